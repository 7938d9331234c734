// The program's side: QRXdll.dll found in the application folder, loaded, and called with
// the text in Windows-1252; a missing file or export is a message, never a crash.
#include "qrx_harness.h"
#include "zylma/dialler/qrx_binding.h"

#include <filesystem>
#include <fstream>

namespace zylma::testing {
namespace {

namespace fs = std::filesystem;
using zylma::dialler::callQRX;

class AppFolder {
public:
    AppFolder() {
        char pattern[] = "/tmp/zylma-qrx-XXXXXX";
        path_ = ::mkdtemp(pattern);
    }
    ~AppFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    void put(const std::string& source, const std::string& name) const { fs::copy_file(source, path_ + "/" + name); }

private:
    std::string path_;
};

TEST(QrxBinding, CallsTheLibraryWithWindows1252Text) {
    QrxCall call(kStandard);
    tel::callState(100, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BUSY);
    AppFolder app;
    app.put(QRX_STANDARD, "QRXdll.dll");
    auto r = callQRX(app.path(), "12ñ3,4f");
    EXPECT_TRUE(r.called);
    EXPECT_EQ(r.result, 1);
    EXPECT_TRUE(r.error.empty());
    EXPECT_EQ(tel::seen().dialled, "12\xF1" "3,4f");
    EXPECT_EQ(tel::boxes(), std::vector<std::string>{kOkBox});
}

TEST(QrxBinding, FindsTheFileWhateverItsCase) {
    QrxCall call(kStandard);
    tel::callState(100, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BUSY);
    AppFolder app;
    app.put(QRX_OLDER, "QRXDLL.DLL");
    auto r = callQRX(app.path(), "1f");
    EXPECT_TRUE(r.called) << r.error;
    EXPECT_EQ(r.result, 1);
}

TEST(QrxBinding, MissingOrUnusableLibraryIsAMessage) {
    struct Case {
        const char* label;
        const char* source;  // copied in as QRXdll.dll; nullptr: nothing there
        const char* says;
    };
    AppFolder textFile;
    { std::ofstream(textFile.path() + "/notes.txt") << "not a library"; }
    const std::string notLibrary = textFile.path() + "/notes.txt";
    const std::vector<Case> cases = {
        {"missing", nullptr, "No se encontró"},
        {"not a library", notLibrary.c_str(), "No se pudo cargar"},
        {"no QRX in it", TAPI_SCRIPTED, "no tiene la función QRX"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        QrxCall call(kStandard);
        AppFolder app;
        if (c.source != nullptr) app.put(c.source, "QRXdll.dll");
        auto r = callQRX(app.path(), "123");
        EXPECT_FALSE(r.called);
        EXPECT_NE(r.error.find(c.says), std::string::npos) << r.error;
        EXPECT_NE(r.error.find(app.path() + "/QRXdll.dll"), std::string::npos) << r.error;
        EXPECT_TRUE(tel::boxes().empty());
    }
}

// The kit tree holds both builds under the installer's names; the build tree's application
// folder, an installed one, holds the standard build as QRXdll.dll and no KWMD.DLL (which
// would mark a first run).
TEST(QrxBinding, KitTreeAndApplicationFolderOfTheBuildTree) {
    // Both kits, the "PC" one too, with the provider and the system-call layer in their root.
    for (const char* tree : {"/kit-tree/", "/kit-tree-pc/"}) {
        const std::string root = std::string(ZYLMA_BINARY_DIR) + tree;
        const std::string kit = root + "Utilerias/Generales/Equipos/";
        for (const char* name : {"KWMD.DLL", "KWMD95.DLL"}) EXPECT_TRUE(fs::is_regular_file(kit + name)) << tree << name;
        for (const char* name : {"libzylma_tapi_modem.so", "libzylma_winapi.so"})
            EXPECT_TRUE(fs::is_regular_file(root + name)) << tree << name;
    }
    for (const char* name : {"QRXdll.dll", "libzylma_tapi_modem.so", "libzylma_winapi.so"})
        EXPECT_TRUE(fs::is_regular_file(std::string(ZYLMA_APP_DIR) + "/" + name)) << name;
    EXPECT_FALSE(fs::exists(std::string(ZYLMA_APP_DIR) + "/Utilerias/Generales/Equipos/KWMD.DLL"));
    QrxCall call(kStandard);
    tel::callState(100, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BUSY);
    auto r = callQRX(ZYLMA_APP_DIR, "7f");
    EXPECT_TRUE(r.called) << r.error;
    EXPECT_EQ(r.result, 1);
}

}  // namespace
}  // namespace zylma::testing
