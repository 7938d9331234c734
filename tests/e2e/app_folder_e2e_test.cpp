// The application folder is whole: copied elsewhere, with the build tree out of reach, the
// real program starts from it, a user logs in and presses "&Verificar" in a "PC" installation,
// and the command is dialled through the folder's own QRXdll.dll and modem provider.
#include "fake_modem.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;
using zylma::testing::FakeModem;
using zylma::testing::FakeModemSetup;

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string quoted(const std::string& s) { return "'" + s + "'"; }

TEST(ApplicationFolder, CopiedElsewhereItStartsAndDialsWithoutTheBuildTree) {
    // A private mount namespace hides the build tree from the program alone.
    if (std::system("unshare -m true 2>/dev/null") != 0 && std::system("unshare -rm true 2>/dev/null") != 0)
        GTEST_SKIP() << "no mount namespace to hide the build tree in";
    const char* unshare = std::system("unshare -m true 2>/dev/null") == 0 ? "unshare -m" : "unshare -rm";

    char dir[] = "/tmp/zylma-folder-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const std::string root = dir, app = root + "/Zylma", log = root + "/driver.log";
    fs::copy(ZYLMA_APP_DIR, app, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    ASSERT_TRUE(fs::exists(app + "/Principal")) << "the application folder holds no program";
    // The same folder made a "PC" installation by the kit generator, as a user's kit would be.
    ASSERT_EQ(std::system((quoted(ZYLMA_KIT) + " --sources " + quoted(ZYLMA_SOURCE_DIR "/kit/sources") + " --app " +
                           quoted(app) + " --software Tendro --clase PC")
                              .c_str()),
              0);
    fs::copy_file(ZYLMA_DRIVER, root + "/driver.so");
    fs::create_directory(root + "/locks");

    FakeModemSetup busy;
    busy.result = "BUSY";
    busy.scale = 1;  // the program runs on the real clock
    FakeModem modem(busy);

    // Nothing of the build tree may be reached: neither its libraries nor its dialler, nor a
    // provider named from outside the folder.
    {
        std::ofstream run(root + "/run.sh");
        run << "mount -t tmpfs none " << quoted(ZYLMA_BINARY_DIR) << " || exit 90\n"
            << "test -e " << quoted(ZYLMA_BINARY_DIR "/platform") << " && exit 91\n"
            << "exec env -u ZYLMA_APP -u ZYLMA_TELEPHONY -u LD_LIBRARY_PATH QT_QPA_PLATFORM=offscreen"
            << " ZYLMA_MODEM=" << quoted(modem.path()) << " ZYLMA_LOCK_DIR=" << quoted(root + "/locks")
            << " ZYLMA_DRIVER_LOG=" << quoted(log) << " ASAN_OPTIONS=detect_leaks=0"
            << " LD_PRELOAD=" << quoted(std::string(ZYLMA_PRELOAD_FIRST) + root + "/driver.so") << " "
            << quoted(app + "/Principal") << " >" << quoted(root + "/out.txt") << " 2>&1\n";
    }
    const int status = std::system(("timeout 120 " + std::string(unshare) + " sh " + quoted(root + "/run.sh")).c_str());
    const std::string seen = readAll(log);
    ASSERT_TRUE(WIFEXITED(status)) << seen;
    EXPECT_EQ(WEXITSTATUS(status), 0) << seen << readAll(root + "/out.txt");
    EXPECT_NE(seen.find("main Zylma para PC"), std::string::npos) << seen;
    EXPECT_NE(seen.find("box KZQ|¡ OK !"), std::string::npos) << seen << readAll(root + "/out.txt");
    EXPECT_NE(seen.find("done"), std::string::npos) << seen;
    ASSERT_EQ(modem.dials().size(), 1u) << seen;
    EXPECT_EQ(modem.dials()[0], "*#837");  // the kit's verify text; the key box is empty
    fs::remove_all(root);
}

}  // namespace
