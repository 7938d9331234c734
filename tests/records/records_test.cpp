#include "zylma/records/records.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace zylma::records;

namespace {

// One field as it lies on disk.
std::string field(const std::string& cp1252) {
    std::string f;
    f += static_cast<char>(cp1252.size() & 0xFF);
    f += static_cast<char>(cp1252.size() >> 8);
    return f + cp1252;
}

std::string padded(std::string bytes, size_t length) {
    bytes.resize(length, '\0');
    return bytes;
}

constexpr RecordKind Par{"Par", 2, 50};  // two fields in 50 bytes, as the equipment list

class RecordsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zylma-records-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        umask(022);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string at(const std::string& name) const { return dir + "/" + name; }
    void put(const std::string& name, const std::string& bytes) const {
        std::ofstream(at(name), std::ios::binary) << bytes;
    }
    std::optional<std::string> get(const std::string& name) const {
        std::ifstream in(at(name), std::ios::binary);
        if (!in)
            return std::nullopt;
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::vector<std::string> names(const std::string& name, const RecordKind& kind, int* last = nullptr,
                                   Status* status = nullptr) const {
        std::vector<std::string> out;
        const Status s = scanTable(at(name), kind, [&](int, const Record& r) {
            if (!r[0].empty())
                out.push_back(r[0]);
            return true;
        }, last);
        if (status)
            *status = s;
        return out;
    }
    std::string dir;
};

}  // namespace

TEST_F(RecordsTest, RecordFileCases) {
    enum Op { Read, Write };
    struct Case {
        const char* name;
        std::optional<std::string> onDisk;  // as "T.WCon"; nullopt: no file
        const char* opened;
        Op op;
        int n;
        Record written;
        Status want;
        Record wantRead;
        bool wantEof;
        std::optional<std::string> afterwards;  // the file's bytes after; nullopt: no file
    };
    const std::string tendro = field("T\xE9ndro") + field("");
    const std::string two = padded(field("uno") + field("1"), 50) + padded(field("dos") + field("2"), 50);
    const Case cases[] = {
        {"empty field reads as empty text", padded(field("") + field("x"), 50), "T.WCon", Read, 1, {},
         Status::Ok, {"", "x"}, false, padded(field("") + field("x"), 50)},
        {"accents are Windows-1252 on disk", padded(tendro, 50), "T.WCon", Read, 1, {}, Status::Ok,
         {"Téndro", ""}, false, padded(tendro, 50)},
        {"accents written as Windows-1252", std::nullopt, "T.WCon", Write, 1, {"Téndro"}, Status::Ok,
         {}, false, padded(std::string("\x06\x00" "T\xE9ndro" "\x00\x00", 10), 50)},
        {"past the end reads empty and sets eof", two, "T.WCon", Read, 3, {}, Status::Ok, {"", ""},
         true, two},
        {"a partial last record sets eof", two.substr(0, 55), "T.WCon", Read, 2, {}, Status::Ok,
         {"dos", ""}, true, two.substr(0, 55)},
        {"a count past the file is damaged", padded(field("uno"), 50) + "\x30\x00" "ab", "T.WCon",
         Read, 2, {}, Status::Damaged, {"", ""}, true, std::nullopt},
        {"a count past the record is damaged, never read from the next", "\x40\x00" + two.substr(2),
         "T.WCon", Read, 1, {}, Status::Damaged, {"", ""}, false, std::nullopt},
        {"a whole record with no room for its last count is damaged",
         field(std::string(48, 'x')) + two.substr(50), "T.WCon", Read, 1, {}, Status::Damaged,
         {"", ""}, false, std::nullopt},
        {"a partial record with no room left for its last count is damaged",
         field(std::string(47, 'x')), "T.WCon", Read, 1, {}, Status::Damaged, {"", ""}, true,
         std::nullopt},
        {"half a count is damaged", std::string("\x03\x00" "abc" "\x01", 6), "T.WCon", Read, 1, {},
         Status::Damaged, {"", ""}, true, std::nullopt},
        {"name found without regard to case", two, "t.Wcon", Read, 2, {}, Status::Ok, {"dos", "2"},
         false, two},
        {"missing file is reported and not created", std::nullopt, "T.WCon", Read, 1, {},
         Status::Missing, {}, false, std::nullopt},
        {"write keeps the other records", two, "T.WCon", Write, 1, {"UNO", "9"}, Status::Ok, {}, false,
         padded(field("UNO") + field("9"), 50) + two.substr(50)},
        {"gap before a new record is zero-filled", padded("z", 10), "T.WCon", Write, 3, {"tres"},
         Status::Ok, {}, false, padded("z", 100) + padded(field("tres") + field(""), 50)},
        {"oversized record refused, nothing written", two, "T.WCon", Write, 3,
         {std::string(40, 'x'), std::string(10, 'y')}, Status::TooLong, {}, false, two},
        {"more fields than the kind refused", two, "T.WCon", Write, 1, {"a", "b", "c"},
         Status::TooLong, {}, false, two},
        {"a character the code page has not refused, nothing written", two, "T.WCon", Write, 1,
         {"Łukasz", "1"}, Status::Unmappable, {}, false, two},
        {"record number 0 refused", two, "T.WCon", Write, 0, {"a"}, Status::BadNumber, {}, false, two},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(at("T.WCon"));
        if (c.onDisk)
            put("T.WCon", *c.onDisk);
        ArchivoRegistros f;
        Record r;
        if (c.op == Read) {
            const Status opened = f.openRead(at(c.opened), Par);
            if (opened != Status::Ok) {
                EXPECT_EQ(opened, c.want);
            } else {
                EXPECT_EQ(f.read(c.n, r), c.want);
                EXPECT_EQ(r, c.wantRead);
                EXPECT_EQ(f.eof(), c.wantEof);
            }
        } else {
            ASSERT_EQ(f.openWrite(at(c.opened), Par), Status::Ok);
            EXPECT_EQ(f.write(c.n, c.written), c.want);
        }
        f.close();
        if (c.afterwards) {
            EXPECT_EQ(get("T.WCon"), c.afterwards);
        } else if (!c.onDisk) {
            EXPECT_FALSE(fs::exists(at("T.WCon")));
        }
    }
}

TEST_F(RecordsTest, ScanVisitsThePastTheEndRecordAndStopsAtDamage) {
    put("C.WCon", padded(field("a"), 50) + padded(field("b"), 50));
    std::vector<int> seen;
    int last = -1;
    EXPECT_EQ(scanTable(at("C.WCon"), Par, [&](int n, const Record&) { seen.push_back(n); return true; },
                        &last),
              Status::Ok);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(last, 3);  // N+1: the empty record past the end

    seen.clear();
    EXPECT_EQ(scanTable(at("C.WCon"), Par, [&](int n, const Record&) { seen.push_back(n); return n < 1; },
                        &last),
              Status::Ok);
    EXPECT_EQ(seen, (std::vector<int>{1}));
    EXPECT_EQ(last, 1);

    put("D.WCon", padded(field("a"), 50) + padded("\xFF\x00", 50) + padded(field("c"), 50));
    Status s;
    EXPECT_EQ(names("D.WCon", Par, &last, &s), (std::vector<std::string>{"a"}));
    EXPECT_EQ(s, Status::Damaged);
    EXPECT_EQ(last, 2);

    EXPECT_EQ(names("Falta.WCon", Par, &last, &s), std::vector<std::string>{});
    EXPECT_EQ(s, Status::Missing);
    EXPECT_EQ(last, 0);
    EXPECT_FALSE(fs::exists(at("Falta.WCon")));
}

TEST_F(RecordsTest, CommandSaveRewritesAFoundNameAndAppendsANewOne) {
    const std::string path = at("Comandos.WCon");
    int savedAt = 0;
    // Missing table: created with record 1.
    EXPECT_EQ(saveByName(path, RegistroComando, {"Lectura", "R", "01/12/2026"}, &savedAt), Status::Ok);
    EXPECT_EQ(savedAt, 1);
    EXPECT_EQ(saveByName(path, RegistroComando, {"Escritura", "W", "01/12/2026"}, &savedAt), Status::Ok);
    EXPECT_EQ(savedAt, 2);
    EXPECT_EQ(saveByName(path, RegistroComando, {"Lectura", "RR", "02/12/2026"}, &savedAt), Status::Ok);
    EXPECT_EQ(savedAt, 1);
    // The name comparison is exact.
    EXPECT_EQ(saveByName(path, RegistroComando, {"lectura", "r", ""}, &savedAt), Status::Ok);
    EXPECT_EQ(savedAt, 3);
    EXPECT_EQ(fs::file_size(path), 3000u);
    Record r;
    ArchivoRegistros f;
    ASSERT_EQ(f.openRead(path, RegistroComando), Status::Ok);
    ASSERT_EQ(f.read(1, r), Status::Ok);
    EXPECT_EQ(r, (Record{"Lectura", "RR", "02/12/2026"}));
    ASSERT_EQ(f.read(2, r), Status::Ok);
    EXPECT_EQ(r[1], "W");
    EXPECT_EQ(f.recordCount(), 3);

    // A name held twice: the save goes to the later entry, the one the command table's load and
    // the monitor's list take, so the edit is seen.
    EXPECT_EQ(saveByName(path, RegistroComando, {"Lectura", "R2", ""}, &savedAt), Status::Ok);
    EXPECT_EQ(savedAt, 1);
    ArchivoRegistros g;
    ASSERT_EQ(g.openWrite(path, RegistroComando), Status::Ok);
    ASSERT_EQ(g.write(4, {"Lectura", "R4", ""}), Status::Ok);
    ASSERT_EQ(g.close(), Status::Ok);
    EXPECT_EQ(saveByName(path, RegistroComando, {"Lectura", "nuevo", ""}, &savedAt), Status::Ok);
    EXPECT_EQ(savedAt, 4);

    // A damaged table is not written to: the name might have been beyond the damage.
    put("Malo.WCon", padded(field("x"), 1000) + "\xFF\xFF");
    const auto before = get("Malo.WCon");
    EXPECT_EQ(saveByName(at("Malo.WCon"), RegistroComando, {"Nuevo", "N", ""}), Status::Damaged);
    EXPECT_EQ(get("Malo.WCon"), before);
}

TEST_F(RecordsTest, UserNumberFivePlacesTheUserAtByte4000AndTheListSkipsTheGap) {
    const std::string path = at("Usuarios.WCon");
    int savedAt = 0;
    ASSERT_EQ(saveUser(path, {"ana", "5", "jefa", "01/12/2026"}, 5, &savedAt), Status::Ok);
    EXPECT_EQ(savedAt, 5);
    const auto bytes = get("Usuarios.WCon");
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), 5000u);
    EXPECT_EQ(bytes->substr(0, 4000), std::string(4000, '\0'));
    EXPECT_EQ(bytes->substr(4000, 5), std::string("\x03\x00" "ana", 5));

    int last = 0;
    EXPECT_EQ(names("Usuarios.WCon", RegistroUsuario, &last), (std::vector<std::string>{"ana"}));
    EXPECT_EQ(last, 6);

    // The same user at its own number is saved again there; another number is another entry.
    ASSERT_EQ(saveUser(path, {"ana", "5", "otra", ""}, 5, &savedAt), Status::Ok);
    EXPECT_EQ(savedAt, 5);
    ASSERT_EQ(saveUser(path, {"luis", "2", "", ""}, 2, &savedAt), Status::Ok);
    EXPECT_EQ(savedAt, 2);
    EXPECT_EQ(names("Usuarios.WCon", RegistroUsuario), (std::vector<std::string>{"luis", "ana"}));

    // Numbers that would overwrite another user or make an absurd file are refused; the
    // refusal names who holds the number.
    std::string holder;
    EXPECT_EQ(saveUser(path, {"eva", "5", "", ""}, 5, nullptr, &holder), Status::Taken);
    EXPECT_EQ(holder, "ana");
    EXPECT_EQ(saveUser(path, {"eva", "0", "", ""}, 0), Status::BadNumber);
    EXPECT_EQ(saveUser(path, {"eva", "", "", ""}, kMaxRecordNumber + 1), Status::BadNumber);
    EXPECT_EQ(fs::file_size(path), 5000u);
    EXPECT_EQ(names("Usuarios.WCon", RegistroUsuario), (std::vector<std::string>{"luis", "ana"}));

    // A found entry is rewritten where it stands, renamed too.
    ASSERT_EQ(saveAt(path, RegistroUsuario, {"ana maria", "9", "", ""}, 5), Status::Ok);
    EXPECT_EQ(names("Usuarios.WCon", RegistroUsuario), (std::vector<std::string>{"luis", "ana maria"}));
    EXPECT_EQ(saveAt(path, RegistroUsuario, {"x", "", "", ""}, 0), Status::BadNumber);
}

TEST_F(RecordsTest, EquipmentPairIsRewrittenWhenListedAndAppendedWithoutGapWhenNot) {
    const std::string path = at("Equipo.WGe");
    int savedAt = 0;
    const struct {
        Record pair;
        int at;
    } steps[] = {
        {{"Fenzo", "0A"}, 1},
        {{"Fenzo", "0B"}, 2},  // same model, another ID: a second entry
        {{"Fenzo", "0A"}, 1},  // listed: in place
        {{"fenzo", "0A"}, 3},  // exact comparison
    };
    for (const auto& s : steps) {
        ASSERT_EQ(saveEquipo(path, s.pair, &savedAt), Status::Ok);
        EXPECT_EQ(savedAt, s.at) << s.pair[0] << " " << s.pair[1];
    }
    EXPECT_EQ(fs::file_size(path), 150u);
    EXPECT_EQ(saveEquipo(path, {std::string(30, 'M'), std::string(20, 'I')}), Status::TooLong);
    EXPECT_EQ(fs::file_size(path), 150u);
}

TEST_F(RecordsTest, RewriteWholeReplacesTheFileAndAFailedWriteLosesNothing) {
    const std::string path = at("UltEnvio.WCon");
    put("UltEnvio.WCon", std::string(3000, 'v'));  // longer than one record: the rest must go
    ASSERT_EQ(rewriteWhole(path, RegistroUltEnvio, {"00", "primera"}), Status::Ok);
    ASSERT_EQ(rewriteWhole(at("ultenvio.wcon"), RegistroUltEnvio, {"04", "segunda"}), Status::Ok);
    EXPECT_EQ(fs::file_size(path), 1500u);
    Record r;
    ASSERT_EQ(readSingle(path, RegistroUltEnvio, r), Status::Ok);
    EXPECT_EQ(r[0], "04");
    EXPECT_EQ(r[1], "segunda");
    EXPECT_EQ((fs::status(path).permissions() & fs::perms::all), fs::perms(0644));

    // The write of the temporary file fails half way (file size limit): the old file stays.
    const auto before = get("UltEnvio.WCon");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit lim{700, 700};
        setrlimit(RLIMIT_FSIZE, &lim);
        _exit(rewriteWhole(path, RegistroUltEnvio, {"05", "tercera"}) == Status::IoError ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(get("UltEnvio.WCon"), before);

    EXPECT_EQ(rewriteWhole(path, RegistroUltEnvio, {std::string(1500, 'x')}), Status::TooLong);
    EXPECT_EQ(get("UltEnvio.WCon"), before);
    EXPECT_EQ(rewriteWhole(at("NoHay/UltEnvio.WCon"), RegistroUltEnvio, {"00"}), Status::Missing);

    // Nothing but the file itself is left in the folder.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir))
        ++entries;
    EXPECT_EQ(entries, 1);
}

// Every kind of save on a file someone set up by hand: its mode and owner stay, and a file
// without its owner's write bit is left alone, even by a program running as the administrator.
TEST_F(RecordsTest, SavesKeepTheFilesModeAndOwnerAndRefuseAReadOnlyFile) {
    struct Save {
        const char* que;
        const char* file;
        const RecordKind* kind;
        Status (*save)(const std::string& path);
    } saves[] = {
        {"whole rewrite", "Software.WCon", &RegistroSoftware,
         [](const std::string& p) { return rewriteWhole(p, RegistroSoftware, {"Zylma"}); }},
        {"whole rewrite of the credentials", "qaltro6.dll", &RegistroCredenciales,
         [](const std::string& p) { return rewriteWhole(p, RegistroCredenciales, {"tecnico", "x"}); }},
        {"single record in place", "Software.WCon", &RegistroSoftware,
         [](const std::string& p) { return writeSingle(p, RegistroSoftware, {"Zylma"}); }},
        {"table entry at a number", "Usuarios.WCon", &RegistroUsuario,
         [](const std::string& p) { return saveAt(p, RegistroUsuario, {"ana", "2", "", ""}, 2); }},
        {"user at a typed number", "Usuarios.WCon", &RegistroUsuario,
         [](const std::string& p) { return saveUser(p, {"ana", "2", "", ""}, 2); }},
        {"command by name", "Comandos.WCon", &RegistroComando,
         [](const std::string& p) { return saveByName(p, RegistroComando, {"Lectura", "L", ""}); }},
        {"equipment pair", "Equipo.WGe", &RegistroEquipo,
         [](const std::string& p) { return saveEquipo(p, {"Fenzo", "0A"}); }},
    };
    struct Modo {
        mode_t antes;
        mode_t despues;      // for every file but the credentials
        mode_t credenciales; // never readable by others
        bool graba;
    } modos[] = {
        {0600, 0600, 0600, true}, {0640, 0640, 0600, true}, {0664, 0664, 0600, true},
        {0644, 0644, 0600, true}, {0200, 0200, 0200, true},
        // No write bit for the owner: refused, whatever the group and others may do.
        {0444, 0444, 0444, false}, {0400, 0400, 0400, false}, {0466, 0466, 0466, false},
    };
    const bool root = ::geteuid() == 0;
    for (const Save& s : saves) {
        for (const Modo& m : modos) {
            SCOPED_TRACE(std::string(s.que) + " on mode " + std::to_string(m.antes));
            std::string bytes;
            ASSERT_EQ(encodeRecord(*s.kind, {"viejo"}, bytes), Status::Ok);
            put(s.file, bytes);
            const std::string path = at(s.file);
            if (root) {
                ASSERT_EQ(::chown(path.c_str(), 4321, 8765), 0);
            }
            ASSERT_EQ(::chmod(path.c_str(), m.antes), 0);

            const Status st = s.save(path);
            struct stat after {};
            ASSERT_EQ(::stat(path.c_str(), &after), 0);
            const mode_t esperado = s.kind == &RegistroCredenciales ? m.credenciales : m.despues;
            EXPECT_EQ(after.st_mode & 07777, esperado);
            if (root) {
                EXPECT_EQ(after.st_uid, 4321u);
                EXPECT_EQ(after.st_gid, 8765u);
            }
            if (m.graba) {
                EXPECT_EQ(st, Status::Ok);
                EXPECT_NE(get(s.file), bytes);
            } else {
                EXPECT_EQ(st, Status::ReadOnly);
                EXPECT_EQ(get(s.file), bytes);
            }
            // Nothing but the file itself is left in the folder.
            EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
            fs::remove(path);
        }
    }
    EXPECT_STREQ(describe(Status::ReadOnly), "el archivo es de solo lectura");
}

// A program that is neither the file's owner nor the administrator cannot give a replacement
// the old owner: the file is written where it stands, so it keeps owner and mode; one it may not
// write at all is read-only to it.
TEST_F(RecordsTest, AWholeRewriteOfAnotherUsersFileKeepsItsOwner) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs the administrator to hand the file to another user";
    ASSERT_EQ(::chmod(dir.c_str(), 0777), 0);
    struct Caso {
        mode_t modo;
        Status esperado;
    } casos[] = {{0666, Status::Ok}, {0644, Status::ReadOnly}};
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.modo);
        put("Software.WCon", std::string(3000, 'v'));
        const std::string path = at("Software.WCon");
        ASSERT_EQ(::chown(path.c_str(), 0, 0), 0);
        ASSERT_EQ(::chmod(path.c_str(), c.modo), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                _exit(2);
            _exit(rewriteWhole(path, RegistroSoftware, {"nuevo"}) == c.esperado ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        struct stat after {};
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_uid, 0u);
        EXPECT_EQ(after.st_mode & 07777, c.modo);
        Record r;
        if (c.esperado == Status::Ok) {
            EXPECT_EQ(fs::file_size(path), 1000u);
            ASSERT_EQ(readSingle(path, RegistroSoftware, r), Status::Ok);
            EXPECT_EQ(r[0], "nuevo");
        } else {
            EXPECT_EQ(get("Software.WCon"), std::string(3000, 'v'));
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    }
}

// A link to the record is followed: the file it names is replaced and the link stays.
TEST_F(RecordsTest, AWholeRewriteThroughALinkReplacesItsTarget) {
    fs::create_directory(at("real"));
    put("real/Software.WCon", "");
    ASSERT_EQ(::chmod(at("real/Software.WCon").c_str(), 0600), 0);
    fs::create_symlink(at("real/Software.WCon"), at("Software.WCon"));
    ASSERT_EQ(rewriteWhole(at("Software.WCon"), RegistroSoftware, {"nuevo"}), Status::Ok);
    EXPECT_TRUE(fs::is_symlink(at("Software.WCon")));
    Record r;
    ASSERT_EQ(readSingle(at("real/Software.WCon"), RegistroSoftware, r), Status::Ok);
    EXPECT_EQ(r[0], "nuevo");
    EXPECT_EQ(fs::status(at("real/Software.WCon")).permissions() & fs::perms::all, fs::perms(0600));
}

TEST_F(RecordsTest, CredentialsAreReadableByTheOwnerOnly) {
    const std::string path = pathCredenciales(dir);
    put("qaltro6.dll", "");
    fs::permissions(path, fs::perms(0644));
    ASSERT_EQ(writeSingle(path, RegistroCredenciales, {"tecnico", "zylma2026"}), Status::Ok);
    EXPECT_EQ((fs::status(path).permissions() & fs::perms::all), fs::perms(0600));
    ASSERT_EQ(writeSingle(at("Software.WCon"), RegistroSoftware, {"Zylma"}), Status::Ok);
    EXPECT_EQ((fs::status(at("Software.WCon")).permissions() & fs::perms::all), fs::perms(0644));
    Record r;
    ASSERT_EQ(readSingle(path, RegistroCredenciales, r), Status::Ok);
    EXPECT_EQ(r, (Record{"tecnico", "zylma2026"}));
}

TEST(RecordPaths, ModelNamesMapToTheirFoldersAndFiles) {
    const struct {
        const char* model;
        const char* version;
        const char* path;
    } cases[] = {
        {"Téndro", "30", "/app/Tendro/Configuracion/Tendro30.Wcon"},
        {"Tendro", "30", "/app/Tendro/Configuracion/Tendro30.Wcon"},
        {"Fenzo", "8", "/app/Fenzo/Configuracion/Fenzo8.Wcon"},
        {"Tresmolina", "30", "/app/Tresmolinas/Configuracion/Tresmolinas30.Wcon"},
        {"Tresmolinas", "30", "/app/Tresmolinas/Configuracion/Tresmolinas30.Wcon"},
        {"Sonobrisa", "12", "/app/Sonobrisa/Configuracion/Sonobrisa12.Wcon"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pathConfiguracion("/app", c.model, c.version), c.path) << c.model;
    EXPECT_EQ(pathSoftware("/app"), "/app/Utilerias/Generales/Equipos/Software.WCon");
    EXPECT_EQ(pathEquipo(""), "/Utilerias/Generales/Equipos/Equipo.WGe");
    EXPECT_EQ(pathCredenciales("/app"), "/app/qaltro6.dll");
}
