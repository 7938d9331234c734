#include "zylma/files/files.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;
using namespace zylma::files;

// Every byte reads and writes back unchanged, the five holes included (as their own C1 code
// points), so a record read from disk can always be saved again.
TEST(Cp1252, EveryByteRoundTrips) {
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(byte)), byte) << "byte " << b;
    }
    EXPECT_EQ(cp1252ToUtf8("\x81"), "\xC2\x81");
}

TEST(Cp1252, ConversionCases) {
    struct Case {
        const char* name;
        std::string utf8;
        std::string cp1252;
    };
    const Case cases[] = {
        {"plain", "Lectura", "Lectura"},
        {"accents", "Téndro", "T\xE9ndro"},
        {"spanish letters", "ñÑ¿¡ü", "\xF1\xD1\xBF\xA1\xFC"},
        {"euro and quotes", "€“”…", "\x80\x93\x94\x85"},
        {"C1 hole kept as its byte", "\xC2\x81", "\x81"},
        {"empty", "", ""},
        {"NUL kept", std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8ToCp1252(c.utf8), c.cp1252) << c.name;
        if (std::string(c.name) != "C1 hole kept as its byte") {
            EXPECT_EQ(cp1252ToUtf8(c.cp1252), c.utf8) << c.name;
        }
    }
}

TEST(Cp1252, UnmappableAndMalformedUtf8BecomesQuestionMarks) {
    const struct {
        const char* name;
        std::string utf8;
        std::string cp1252;
    } cases[] = {
        {"CJK", "a漢b", "a?b"},
        {"emoji", "x😀", "x?"},
        {"lone lead byte at end", "ab\xC3", "ab?"},
        {"lead without continuation", "\xC3" "A", "?A"},
        {"stray continuation", "\x80" "a", "?a"},
        {"overlong slash", "\xC0\xAF", "??"},
        {"surrogate", "\xED\xA0\x80", "???"},
        {"invalid byte", "\xFF", "?"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(utf8ToCp1252(c.utf8), c.cp1252) << c.name;
}

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zylma-files-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override { fs::remove_all(dir); }
    void touch(const std::string& rel) {
        fs::create_directories(fs::path(dir + "/" + rel).parent_path());
        std::ofstream(dir + "/" + rel) << "x";
    }
    std::string dir;
};

TEST_F(FilesTest, ResolvePathMatchesExactlyFirstThenEachComponentWithoutCase) {
    touch("Utilerias/Generales/Equipos/Comandos.WCon");
    touch("Tendro/Configuracion/Tendro30.Wcon");
    touch("Tendro/Configuracion/Tendro30.WCon");
    touch("Configuración/Dato.txt");
    const struct {
        const char* asked;
        const char* found;
    } cases[] = {
        {"Utilerias/Generales/Equipos/Comandos.WCon", "Utilerias/Generales/Equipos/Comandos.WCon"},
        {"Utilerias/Generales/Equipos/Comandos.Wcon", "Utilerias/Generales/Equipos/Comandos.WCon"},
        {"utilerias/GENERALES/equipos/comandos.wcon", "Utilerias/Generales/Equipos/Comandos.WCon"},
        // Both spellings exist: each finds its own file.
        {"Tendro/Configuracion/Tendro30.Wcon", "Tendro/Configuracion/Tendro30.Wcon"},
        {"Tendro/Configuracion/Tendro30.WCon", "Tendro/Configuracion/Tendro30.WCon"},
        // Latin-1 capitals fold too.
        {"CONFIGURACIÓN/dato.TXT", "Configuración/Dato.txt"},
        // A new file in an existing folder keeps the folder's real name and the name given.
        {"utilerias/Generales/Equipos/Nuevo.WCon", "Utilerias/Generales/Equipos/Nuevo.WCon"},
        // Below a missing folder nothing more is looked up.
        {"Falta/utilerias/x", "Falta/utilerias/x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(resolvePath(dir + "/" + c.asked), dir + "/" + c.found) << c.asked;
    EXPECT_TRUE(fileExists(dir + "/utilerias/generales/equipos/COMANDOS.WCON"));
    EXPECT_FALSE(fileExists(dir + "/Utilerias"));
    EXPECT_TRUE(folderExists(dir + "/UTILERIAS/generales"));
    EXPECT_FALSE(folderExists(dir + "/Utilerias/Generales/Equipos/Comandos.WCon"));
    EXPECT_FALSE(fileExists(dir + "/Falta.WCon"));
}

TEST_F(FilesTest, DeleteFileFindsTheFileWithoutCaseAndAcceptsAMissingOne) {
    touch("Equipos/UltEnvio.WCon");
    EXPECT_TRUE(deleteFile(dir + "/equipos/ultenvio.wcon"));
    EXPECT_FALSE(fs::exists(dir + "/Equipos/UltEnvio.WCon"));
    EXPECT_TRUE(deleteFile(dir + "/Equipos/UltEnvio.WCon"));
    EXPECT_TRUE(deleteFile(dir + "/NoHay/Nada.WCon"));
    EXPECT_FALSE(deleteFile(dir + "/Equipos"));  // a folder is not a file
    EXPECT_TRUE(fs::is_directory(dir + "/Equipos"));
}

TEST(AppFolder, ComesFromTheEnvironmentWithoutTrailingSlashElseTheProgramsFolder) {
    const char* old = getenv("ZYLMA_APP");
    const std::string saved = old ? old : "";
    setenv("ZYLMA_APP", "/opt/zylma//", 1);
    EXPECT_EQ(appFolder(), "/opt/zylma");
    setenv("ZYLMA_APP", "/", 1);
    EXPECT_EQ(appFolder(), "");
    unsetenv("ZYLMA_APP");
    const std::string self = fs::read_symlink("/proc/self/exe").parent_path().string();
    EXPECT_EQ(appFolder(), self);
    if (old)
        setenv("ZYLMA_APP", saved.c_str(), 1);
}
