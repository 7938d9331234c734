// zylma-kit: writes the record files of the installation kit from the text sources in
// kit/sources, with the program's own record encoding.
//
//   zylma-kit --sources DIR --kit DIR                  the installation kit, every installation
//   zylma-kit --sources DIR --app DIR [--software N]   a ready application folder (installation N)
//   --clase C                                          every software record written gets the
//                                                      installation class C (say "PC": the modem
//                                                      road), whatever its source says
//
// Sources: one field per line, "N = value"; the value is everything after "= " as it stands, or
// the text between double quotes when it starts and ends with one (for leading blanks). Lines
// starting with "#" and blank lines are skipped; fields not given are empty.
//   Software/<installation>.txt                  RegistroSoftware, one per set-up option
//   Configuracion/<Folder>/<Folder><version>.txt RegistroConfiguracion, one per model and firmware
//   Credenciales.txt                             RegistroCredenciales (application folder only)
//   Comandos.txt                                 device command table, "Name<TAB>Text" lines
#include "zylma/records/records.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace zylma::records;

namespace {

// The model folders of the kit, as the set-up wizard and the configuration paths name them.
const char* const kModelFolders[] = {"Sonobrisa", "Tendro", "Omnivelda", "Plurimandelo",
                                     "Fenzo", "Quintavo", "Selvarindo", "Tresmolinas"};

const std::set<std::string> kClasses = {"Gardomelinta", "Distribuidor", "GrandeUsuario", "PC"};

struct KitError {
    std::string text;
};

[[noreturn]] void fail(const std::string& text) { throw KitError{text}; }

std::string trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return "";
    const auto e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool allDigits(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

Record readFieldSource(const fs::path& file, const RecordKind& kind) {
    std::ifstream in(file);
    if (!in)
        fail(file.string() + ": cannot be read");
    Record r(static_cast<size_t>(kind.fields));
    std::set<int> seen;
    std::string line;
    for (int lineNo = 1; std::getline(in, line); ++lineNo) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string t = trim(line);
        if (t.empty() || t[0] == '#')
            continue;
        const auto eq = line.find('=');
        const std::string where = file.string() + ":" + std::to_string(lineNo) + ": ";
        if (eq == std::string::npos)
            fail(where + "expected \"N = value\"");
        const std::string num = trim(line.substr(0, eq));
        if (!allDigits(num) || num.size() > 3)
            fail(where + "field number \"" + num + "\" is not a number");
        const int n = std::stoi(num);
        if (n >= kind.fields)
            fail(where + "field " + num + " beyond the " + std::to_string(kind.fields) + " fields of " + kind.name);
        if (!seen.insert(n).second)
            fail(where + "field " + num + " given twice");
        std::string value = line.substr(eq + 1);
        if (!value.empty() && value[0] == ' ')
            value.erase(0, 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        r[static_cast<size_t>(n)] = value;
    }
    return r;
}

void checkFlags(const fs::path& file, const Record& r, int field, size_t count) {
    const std::string& f = r[static_cast<size_t>(field)];
    if (f.size() != count || f.find_first_not_of("01") != std::string::npos)
        fail(file.string() + ": field " + std::to_string(field) + " must be " + std::to_string(count) +
             " characters \"0\"/\"1\"");
}

void checkSoftware(const fs::path& file, const Record& r) {
    checkFlags(file, r, 20, 20);
    if (!allDigits(r[23]))
        fail(file.string() + ": field 23 (retries) must be a whole number");
    // The reply watchdog is field 24 x 1000 ms in a signed 16-bit number.
    if (!allDigits(r[24]) || r[24].size() > 2 || std::stoi(r[24]) > 32)
        fail(file.string() + ": field 24 (time-out) must be 0 to 32 seconds");
    if (r[25].size() != 4)
        fail(file.string() + ": field 25 (modifier code) must have 4 characters");
    if (!kClasses.count(r[26]))
        fail(file.string() + ": field 26 is not an installation class");
}

void checkConfiguracion(const fs::path& file, const std::string& folder, const Record& r) {
    checkFlags(file, r, 40, 9);
    checkFlags(file, r, 54, 20);
    checkFlags(file, r, 55, 9);
    // The configuration editor saves under the model name of field 41 and the firmware of 44.
    if (r[41] != folder || file.stem().string() != folder + r[44])
        fail(file.string() + ": fields 41 and 44 must name this file (" + folder + " and its version)");
}

void write(const fs::path& path, const RecordKind& kind, const Record& r) {
    fs::create_directories(path.parent_path());
    fs::remove(path);
    const Status s = writeSingle(path.string(), kind, r);
    if (s != Status::Ok)
        fail(path.string() + ": " + describe(s));
}

void writeEmptyTable(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        fail(path.string() + ": cannot be written");
}

std::vector<fs::path> sourcesIn(const fs::path& folder) {
    std::vector<fs::path> out;
    if (fs::is_directory(folder))
        for (const auto& e : fs::directory_iterator(folder))
            if (e.is_regular_file() && e.path().extension() == ".txt")
                out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

std::string lower(std::string s) {
    for (auto& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Removes what an earlier run wrote, and nothing else: the library builds that another step
// copies in (".DLL", ".dll" in the shared folder) stay.
void clearOwnFiles(const fs::path& root) {
    for (const char* folder : kModelFolders)
        fs::remove_all(root / folder);
    fs::remove(root / "qaltro6.dll");
    const fs::path shared = sharedFolder(root.string());
    if (fs::is_directory(shared))
        for (const auto& e : fs::directory_iterator(shared)) {
            const std::string ext = lower(e.path().extension().string());
            if (e.is_regular_file() && (ext == ".wcon" || ext == ".wge"))
                fs::remove(e.path());
        }
}

void writeComandos(const fs::path& sources, const fs::path& table, const std::string& fecha) {
    std::vector<Record> entries;
    const fs::path src = sources / "Comandos.txt";
    if (std::ifstream in{src}) {
        std::string line;
        for (int lineNo = 1; std::getline(in, line); ++lineNo) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (trim(line).empty() || trim(line)[0] == '#')
                continue;
            const auto tab = line.find('\t');
            if (tab == std::string::npos || tab == 0)
                fail(src.string() + ":" + std::to_string(lineNo) + ": expected \"Name<TAB>Text\"");
            entries.push_back({line.substr(0, tab), line.substr(tab + 1), fecha});
        }
    }
    writeEmptyTable(table);
    ArchivoRegistros f;
    if (const Status s = f.openWrite(table.string(), RegistroComando); s != Status::Ok)
        fail(table.string() + ": " + describe(s));
    for (size_t k = 0; k < entries.size(); ++k)
        if (const Status s = f.write(static_cast<int>(k + 1), entries[k]); s != Status::Ok)
            fail(src.string() + ": entry " + entries[k][0] + ": " + describe(s));
    if (const Status s = f.close(); s != Status::Ok)
        fail(table.string() + ": " + describe(s));
}

struct Kit {
    std::map<std::string, Record> software;  // installation -> record
    struct Conf {
        std::string folder;
        std::string stem;
        Record record;
    };
    std::vector<Conf> configuraciones;
};

Kit load(const fs::path& sources) {
    Kit kit;
    for (const auto& file : sourcesIn(sources / "Software")) {
        Record r = readFieldSource(file, RegistroSoftware);
        checkSoftware(file, r);
        kit.software[file.stem().string()] = r;
    }
    if (kit.software.empty())
        fail((sources / "Software").string() + ": no software records");
    for (const char* folder : kModelFolders) {
        const auto files = sourcesIn(sources / "Configuracion" / folder);
        if (files.empty())
            fail((sources / "Configuracion" / folder).string() + ": no configuration records");
        for (const auto& file : files) {
            Record r = readFieldSource(file, RegistroConfiguracion);
            checkConfiguracion(file, folder, r);
            kit.configuraciones.push_back({folder, file.stem().string(), r});
        }
    }
    return kit;
}

// What both layouts share: model folders, command table, equipment list, user table, pictures.
void writeCommon(const Kit& kit, const fs::path& sources, const fs::path& root, const std::string& fecha) {
    fs::create_directories(root / "Imagenes");
    for (const auto& c : kit.configuraciones)
        write(root / c.folder / "Configuracion" / (c.stem + ".Wcon"), RegistroConfiguracion, c.record);
    const fs::path shared = sharedFolder(root.string());
    writeComandos(sources, pathComandos(root.string()), fecha);
    // The equipment list fills the configuration editor's model list: one entry per model and
    // device ID, under the folder name the editor builds its paths from.
    writeEmptyTable(pathEquipo(root.string()));
    std::set<std::pair<std::string, std::string>> listed;
    for (const auto& c : kit.configuraciones)
        if (listed.insert({c.folder, c.record[42]}).second)
            if (const Status s = saveEquipo(pathEquipo(root.string()), {c.folder, c.record[42]}); s != Status::Ok)
                fail(pathEquipo(root.string()) + ": " + describe(s));
    writeEmptyTable(pathUsuarios(root.string()));
}

int run(int argc, char** argv) {
    std::string sources, kitDir, appDir, installation = "Gardomelinta", fecha = "01/12/2026", clase;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                fail(a + " needs a value");
            return argv[++i];
        };
        if (a == "--sources")
            sources = value();
        else if (a == "--kit")
            kitDir = value();
        else if (a == "--app")
            appDir = value();
        else if (a == "--software")
            installation = value();
        else if (a == "--fecha")
            fecha = value();
        else if (a == "--clase")
            clase = value();
        else
            fail("unknown argument " + a);
    }
    if (sources.empty() || (kitDir.empty() && appDir.empty()))
        fail("usage: zylma-kit --sources DIR (--kit DIR | --app DIR [--software NAME]) [--clase C] [--fecha D]");

    umask(022);
    Kit kit = load(sources);
    if (!clase.empty()) {
        if (!kClasses.count(clase))
            fail("--clase " + clase + " is not an installation class");
        for (auto& [name, r] : kit.software)
            r[26] = clase;
    }
    if (!kitDir.empty()) {
        clearOwnFiles(kitDir);
        writeCommon(kit, sources, kitDir, fecha);
        // The installer takes the option's own record, named after its caption.
        for (const auto& [name, r] : kit.software)
            write(fs::path(sharedFolder(kitDir)) / (name + ".Wcon"), RegistroSoftware, r);
    }
    if (!appDir.empty()) {
        const auto chosen = kit.software.find(installation);
        if (chosen == kit.software.end())
            fail("no software record for the installation \"" + installation + "\"");
        clearOwnFiles(appDir);
        writeCommon(kit, sources, appDir, fecha);
        write(pathSoftware(appDir), RegistroSoftware, chosen->second);
        const fs::path cred = fs::path(sources) / "Credenciales.txt";
        if (fs::exists(cred))
            write(pathCredenciales(appDir), RegistroCredenciales, readFieldSource(cred, RegistroCredenciales));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const KitError& e) {
        std::fprintf(stderr, "zylma-kit: %s\n", e.text.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zylma-kit: %s\n", e.what());
    }
    return 1;
}
