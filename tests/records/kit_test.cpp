// The kit generator run for real into a temporary folder, its records read back through the
// record layer the program uses.
#include "zylma/files/files.h"
#include "zylma/records/records.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace zylma::records;

namespace {

const std::string kSources = std::string(ZYLMA_SOURCE_DIR) + "/kit/sources";

// Model buttons 02-11: the software record field that holds the caption, the name the
// dispatcher compares it with, and the firmware version the button sets.
struct Button {
    int field;
    const char* model;
    const char* version;
};
const Button kButtons[] = {
    {1, "Sonobrisa", "12"}, {2, "Téndro", "30"},     {3, "Omnivelda", "30"},
    {4, "Plurimandelo", "30"}, {5, "Fenzo", "30"},   {6, "Quintavo", "15"},
    {7, "Selvarindo", "72"}, {8, "Tresmolina", "30"}, {9, "Fenzo", "8"}, {10, "Selvarindo", "72"},
};

// The set-up wizard's options and the one model folder the installer keeps for each.
const std::map<std::string, std::string> kOptions = {
    {"Sonobrisa", "Sonobrisa"}, {"Tendro", "Tendro"},       {"Omnivelda", "Omnivelda"},
    {"Plurimandelo", "Plurimandelo"}, {"Fenzo", "Fenzo"}, {"Fenzo Kalmoro", "Fenzo"},
    {"Quintavo", "Quintavo"},   {"Tresmolinas", "Tresmolinas"}, {"Selvarindo", "Selvarindo"},
    {"Selvarindo Voz", "Selvarindo"},
};

bool isNumber(const std::string& s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

bool isFlags(const std::string& s, size_t n) {
    return s.size() == n && s.find_first_not_of("01") == std::string::npos;
}

int runKit(const std::string& args, std::string* errors = nullptr) {
    // One file per test process: CTest runs the cases of this program side by side.
    const std::string err = fs::temp_directory_path() / ("zylma-kit-test-" + std::to_string(::getpid()) + ".err");
    const int rc = std::system((std::string("\"") + ZYLMA_KIT_EXE + "\" " + args + " 2>" + err).c_str());
    if (errors) {
        std::ifstream in(err);
        errors->assign(std::istreambuf_iterator<char>(in), {});
    }
    fs::remove(err);
    return rc;
}

Record readRecord(const std::string& path, const RecordKind& kind) {
    Record r;
    EXPECT_EQ(readSingle(path, kind, r), Status::Ok) << path;
    EXPECT_EQ(r.size(), static_cast<size_t>(kind.fields)) << path;
    return r;
}

class Kit : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zylma-kit-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override { fs::remove_all(dir); }

    // Checks one software record and that every model button it shows finds its configuration
    // record under `root`, in the folders listed in `folders` (all when empty).
    void checkSoftware(const std::string& name, const Record& s, const std::string& root,
                       const std::set<std::string>& folders = {}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(s[0], "Zylma");
        bool anyModel = false;
        for (const auto& b : kButtons) {
            const std::string& caption = s[static_cast<size_t>(b.field)];
            if (caption.empty())
                continue;
            anyModel = true;
            if (b.field <= 8) {
                EXPECT_EQ(caption, b.model) << "field " << b.field;
            }
            const std::string conf = pathConfiguracion(root, b.model, b.version);
            EXPECT_TRUE(fs::is_regular_file(conf)) << conf;
            if (!folders.empty()) {
                EXPECT_TRUE(folders.count(configFolder(b.model))) << "button field " << b.field;
            }
        }
        EXPECT_TRUE(anyModel);
        EXPECT_TRUE(isFlags(s[20], 20)) << s[20];
        EXPECT_TRUE(isNumber(s[23])) << s[23];
        ASSERT_TRUE(isNumber(s[24]) && s[24].size() <= 2) << s[24];
        EXPECT_LE(std::stoi(s[24]), 32);
        EXPECT_EQ(s[25].size(), 4u);
        EXPECT_TRUE(s[26] == "Gardomelinta" || s[26] == "Distribuidor" || s[26] == "GrandeUsuario" ||
                    s[26] == "PC")
            << s[26];
    }

    std::string dir;
};

}  // namespace

TEST_F(Kit, EveryInstallationOfTheWizardHasItsSoftwareRecordAndItsModelsConfiguration) {
    const std::string kit = dir + "/kit";
    ASSERT_EQ(runKit("--sources \"" + kSources + "\" --kit \"" + kit + "\""), 0);
    for (const auto& [option, folder] : kOptions) {
        const std::string path = sharedFolder(kit) + "/" + option + ".Wcon";
        ASSERT_TRUE(fs::is_regular_file(path)) << path;
        checkSoftware(option, readRecord(path, RegistroSoftware), kit, {folder});
    }
    // Every configuration record in the kit names itself in fields 41 and 44 and has whole flag sets.
    int count = 0;
    for (const auto& e : fs::recursive_directory_iterator(kit)) {
        if (e.path().extension() != ".Wcon" || e.path().parent_path().filename() != "Configuracion")
            continue;
        ++count;
        SCOPED_TRACE(e.path().string());
        const Record c = readRecord(e.path().string(), RegistroConfiguracion);
        const std::string folder = e.path().parent_path().parent_path().filename().string();
        EXPECT_EQ(c[41], folder);
        EXPECT_EQ(e.path().filename().string(), folder + c[44] + ".Wcon");
        EXPECT_TRUE(isFlags(c[40], 9)) << c[40];
        EXPECT_TRUE(isFlags(c[54], 20)) << c[54];
        EXPECT_TRUE(isFlags(c[55], 9)) << c[55];
    }
    EXPECT_GE(count, 9);
    // The installer copies these from the shared folder.
    for (const char* f : {"Comandos.WCon", "Equipo.WGe", "Usuarios.WCon"})
        EXPECT_TRUE(fs::is_regular_file(sharedFolder(kit) + "/" + f)) << f;
    EXPECT_TRUE(fs::is_directory(kit + "/Imagenes"));
}

TEST_F(Kit, ApplicationFolderHoldsAllModelsTheCommandsAndTheDemoUserAndKeepsTheLibraries) {
    const std::string app = dir + "/app";
    // Left by the dialler's copy step and by an earlier run of the program.
    fs::create_directories(sharedFolder(app));
    fs::create_directories(app + "/Tendro/Configuracion");
    std::ofstream(app + "/QRXdll.dll") << "elf";
    std::ofstream(sharedFolder(app) + "/KWMD.DLL") << "elf";
    std::ofstream(pathUltEnvio(app)) << "viejo";
    std::ofstream(app + "/Tendro/Configuracion/Tendro99.Wcon") << "viejo";

    ASSERT_EQ(runKit("--sources \"" + kSources + "\" --app \"" + app + "\" --software Gardomelinta"), 0);

    const Record s = readRecord(pathSoftware(app), RegistroSoftware);
    checkSoftware("Software.WCon", s, app);
    for (int k = 1; k <= 8; ++k)
        EXPECT_EQ(s[static_cast<size_t>(k)], kButtons[k - 1].model) << "field " << k;

    EXPECT_TRUE(fs::exists(app + "/QRXdll.dll"));
    EXPECT_TRUE(fs::exists(sharedFolder(app) + "/KWMD.DLL"));
    EXPECT_FALSE(fs::exists(pathUltEnvio(app)));
    EXPECT_FALSE(fs::exists(app + "/Tendro/Configuracion/Tendro99.Wcon"));

    const Record cred = readRecord(pathCredenciales(app), RegistroCredenciales);
    EXPECT_EQ(cred, (Record{"tecnico", "zylma2026"}));
    struct stat st;
    ASSERT_EQ(stat(pathCredenciales(app).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // The command table holds the source's entries in order, or nothing without a source.
    std::vector<std::string> expected;
    if (std::ifstream in{kSources + "/Comandos.txt"}) {
        std::string line;
        while (std::getline(in, line))
            if (!line.empty() && line[0] != '#' && line.find('\t') != std::string::npos)
                expected.push_back(line.substr(0, line.find('\t')) + "=" + line.substr(line.find('\t') + 1));
    }
    std::vector<std::string> table;
    ASSERT_EQ(scanTable(pathComandos(app), RegistroComando, [&](int, const Record& r) {
                  if (!r[0].empty())
                      table.push_back(r[0] + "=" + r[1]);
                  return true;
              }),
              Status::Ok);
    EXPECT_EQ(table, expected);

    // The configuration editor lists every model folder from the equipment list.
    std::set<std::string> listed;
    ASSERT_EQ(scanTable(pathEquipo(app), RegistroEquipo, [&](int, const Record& r) {
                  if (!r[0].empty())
                      listed.insert(r[0]);
                  return true;
              }),
              Status::Ok);
    EXPECT_EQ(listed, (std::set<std::string>{"Fenzo", "Omnivelda", "Plurimandelo", "Quintavo",
                                             "Selvarindo", "Sonobrisa", "Tendro", "Tresmolinas"}));
}

TEST_F(Kit, ABrokenSourceStopsTheGeneratorWithTheFileAndLineNamed) {
    const struct {
        const char* name;
        const char* file;
        const char* line;
        const char* message;
    } cases[] = {
        {"time-out above 32", "Software/Gardomelinta.txt", "24 = 40", "0 to 32"},
        {"field given twice", "Software/Gardomelinta.txt", "0 = Otra", "given twice"},
        {"field beyond the record", "Software/Gardomelinta.txt", "27 = x", "beyond"},
        {"no equals sign", "Configuracion/Tendro/Tendro30.txt", "la clave es 1234", "N = value"},
        {"short flag set", "Configuracion/Tendro/Tendro30.txt", "55 = 0101", "field 55"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string src = dir + "/src";
        fs::remove_all(src);
        fs::copy(kSources, src, fs::copy_options::recursive);
        // Replaces the field's line, or adds the line when its field is not there.
        const std::string target = src + "/" + c.file;
        std::ifstream in(target);
        std::string text, line;
        const std::string key = std::string(c.line).substr(0, std::string(c.line).find('=') + 1);
        bool replaced = false;
        while (std::getline(in, line)) {
            if (!replaced && line.rfind(key, 0) == 0 && std::string(c.message) != "given twice") {
                line = c.line;
                replaced = true;
            }
            text += line + "\n";
        }
        if (!replaced)
            text += std::string(c.line) + "\n";
        in.close();
        std::ofstream(target) << text;

        std::string errors;
        EXPECT_NE(runKit("--sources \"" + src + "\" --kit \"" + dir + "/out\"", &errors), 0);
        EXPECT_NE(errors.find(c.file), std::string::npos) << errors;
        EXPECT_NE(errors.find(c.message), std::string::npos) << errors;
    }
}

// A kit made for one installation class: every option's software record carries it, and
// nothing else of the record changes; a class the program does not know is refused.
TEST_F(Kit, KitForAChosenInstallationClass) {
    ASSERT_EQ(runKit("--sources \"" + kSources + "\" --kit \"" + dir + "/plain\""), 0);
    ASSERT_EQ(runKit("--sources \"" + kSources + "\" --kit \"" + dir + "/pc\" --clase PC"), 0);
    for (const auto& [option, folder] : kOptions) {
        SCOPED_TRACE(option);
        Record plain = readRecord(sharedFolder(dir + "/plain") + "/" + option + ".Wcon", RegistroSoftware);
        const Record pc = readRecord(sharedFolder(dir + "/pc") + "/" + option + ".Wcon", RegistroSoftware);
        ASSERT_EQ(pc.size(), 27u);
        EXPECT_EQ(pc[26], "PC");
        plain[26] = "PC";
        EXPECT_EQ(pc, plain);
    }
    std::string errors;
    EXPECT_NE(runKit("--sources \"" + kSources + "\" --kit \"" + dir + "/x\" --clase Modem", &errors), 0);
    EXPECT_NE(errors.find("Modem"), std::string::npos) << errors;
}
