// The installer on a real kit: what an installation leaves in the application folder, and that
// a refused or failed one leaves the folder exactly as it was.
#include "kit_fixture.h"
#include "zylma/admin/archivos.h"
#include "zylma/admin/instalador.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>

namespace fs = std::filesystem;
using namespace zylma;
using zylma::testing::CopiaKit;
using zylma::testing::estado;
using zylma::testing::leeBytes;
using zylma::testing::escribeBytes;

namespace {

std::set<std::string> nombres(const std::string& folder) {
    std::set<std::string> s;
    for (const auto& e : fs::directory_iterator(folder)) s.insert(e.path().filename().string());
    return s;
}

TEST(Archivos, PatternsMatchAsTheKitNamesThem) {
    struct Caso {
        const char* patron;
        const char* nombre;
        bool coincide;
    } casos[] = {
        {"Equipo.*", "Equipo.WGe", true},   {"Equipo.*", "EQUIPO.wge", true},  {"Equipo.*", "Equipos.WGe", false},
        {"Usuarios.*", "Usuarios.WCon", true}, {"tapi.*", "TAPI.EXE", true},   {"*.*", "Imagenes", true},
        {"*.Wcon", "Fenzo Kalmoro.Wcon", true}, {"?ZQ", "KZQ", true},          {"?ZQ", "ZQ", false},
        {"a*b*c", "aXXbYYc", true},          {"a*b*c", "aXXbYY", false},       {"Comandos.*", "Comandos", false},
    };
    for (const Caso& c : casos) EXPECT_EQ(admin::archivos::coincide(c.patron, c.nombre), c.coincide) << c.patron << " " << c.nombre;
}

TEST(Instalador, ModelFolderAndDiallerBuildOfEachOption) {
    EXPECT_EQ(admin::CarpetaModelo("Fenzo Kalmoro"), "Fenzo");
    EXPECT_EQ(admin::CarpetaModelo("Selvarindo Voz"), "Selvarindo");
    EXPECT_EQ(admin::CarpetaModelo("Tresmolinas"), "Tresmolinas");
    EXPECT_EQ(admin::LibreriaParaSistema("Windows 95"), "KWMD95.DLL");
    EXPECT_EQ(admin::LibreriaParaSistema("windows 95"), "KWMD.DLL");  // only the exact text
    EXPECT_EQ(admin::LibreriaParaSistema("Windows 98"), "KWMD.DLL");
}

struct Instalacion {
    const char* modelo;
    const char* sistema;
    const char* carpeta;
    const char* libreria;
};

class InstalaTodas : public ::testing::TestWithParam<Instalacion> {};

TEST_P(InstalaTodas, LeavesTheChosenModelTheSharedRecordsAndItsDiallerBuild) {
    const Instalacion& c = GetParam();
    CopiaKit k;
    std::string error;
    ASSERT_TRUE(admin::InstalaEquipo(k.app, c.modelo, c.sistema, error)) << error;

    const auto carpetas = admin::archivos::carpetasDe(k.app);
    EXPECT_EQ(std::set<std::string>(carpetas.begin(), carpetas.end()),
              (std::set<std::string>{"Imagenes", c.carpeta, "Utilerias"}));
    // The files beside the program stay as the kit brought them; the dialler build joins them.
    std::set<std::string> archivos{"Principal", "qaltro6.dll", "QRXdll.dll"};
    for (const std::string& f : admin::archivos::archivosDe(zylma::testing::kKitTree)) {
        archivos.insert(f);
        EXPECT_EQ(leeBytes(k.app + "/" + f), leeBytes(zylma::testing::kKitTree + "/" + f)) << f;
    }
    const auto enApp = admin::archivos::archivosDe(k.app);
    EXPECT_EQ(std::set<std::string>(enApp.begin(), enApp.end()), archivos);
    EXPECT_EQ(estado(k.app + "/" + c.carpeta), estado(zylma::testing::kKitTree + "/" + c.carpeta));
    // The full caption's record, not the one of the model whose folder it shares.
    EXPECT_EQ(leeBytes(k.compartida() + "/Software.WCon"), leeBytes(k.kit(std::string(c.modelo) + ".Wcon")));
    EXPECT_EQ(nombres(k.compartida()),
              (std::set<std::string>{"Comandos.WCon", "Equipo.WGe", "Usuarios.WCon", "Software.WCon"}));
    for (const char* f : {"Comandos.WCon", "Equipo.WGe", "Usuarios.WCon"})
        EXPECT_EQ(leeBytes(k.compartida() + "/" + f), leeBytes(k.kit(f))) << f;
    EXPECT_EQ(leeBytes(k.app + "/QRXdll.dll"), leeBytes(k.kit(c.libreria)));
    EXPECT_EQ(leeBytes(k.app + "/Principal"), "programa");
    EXPECT_EQ(leeBytes(k.app + "/qaltro6.dll"), "credenciales");
}

INSTANTIATE_TEST_SUITE_P(
    Opciones, InstalaTodas,
    ::testing::Values(Instalacion{"Tendro", "Windows 98", "Tendro", "KWMD.DLL"},
                      Instalacion{"Sonobrisa", "Windows 95", "Sonobrisa", "KWMD95.DLL"},
                      Instalacion{"Fenzo Kalmoro", "Windows XP", "Fenzo", "KWMD.DLL"},
                      Instalacion{"Selvarindo Voz", "Windows 2000", "Selvarindo", "KWMD.DLL"},
                      Instalacion{"Selvarindo", "Windows NT 4.0", "Selvarindo", "KWMD.DLL"},
                      // A typed system is passed on as it stands: only "Windows 95" differs.
                      Instalacion{"Tresmolinas", "Linux", "Tresmolinas", "KWMD.DLL"}));

TEST(Instalador, LeftoverTemporaryFolderAndAnEarlierDiallerAreReplaced) {
    CopiaKit k;
    fs::create_directories(k.app + "/Tempo2/Utilerias");
    escribeBytes(k.app + "/Tempo2/Utilerias/viejo", "de una instalación interrumpida");
    escribeBytes(k.app + "/QRXdll.dll", "build anterior");
    std::string error;
    ASSERT_TRUE(admin::InstalaEquipo(k.app, "Quintavo", "Windows Me", error)) << error;
    EXPECT_FALSE(fs::exists(k.app + "/Tempo2"));
    EXPECT_EQ(leeBytes(k.app + "/QRXdll.dll"), leeBytes(k.kit("KWMD.DLL")));
}

TEST(Instalador, KitNamesFoundWithoutRegardToCase) {
    CopiaKit k;
    fs::rename(k.app + "/Tendro", k.app + "/TENDRO");
    fs::rename(k.compartida() + "/Tendro.Wcon", k.compartida() + "/tendro.WCON");
    fs::rename(k.compartida() + "/KWMD95.DLL", k.compartida() + "/kwmd95.dll");
    std::string error;
    ASSERT_TRUE(admin::InstalaEquipo(k.app, "Tendro", "Windows 95", error)) << error;
    EXPECT_TRUE(fs::is_directory(k.app + "/TENDRO"));
    EXPECT_EQ(leeBytes(k.compartida() + "/Software.WCon"), leeBytes(k.kit("Tendro.Wcon")));
    EXPECT_EQ(leeBytes(k.app + "/QRXdll.dll"), leeBytes(k.kit("KWMD95.DLL")));
}

// Each refusal comes before anything is touched.
struct Rechazo {
    const char* caso;
    void (*prepara)(CopiaKit&);
    const char* modelo;
    const char* sistema;
    const char* dice;  // words the reason must hold
};

class Rechaza : public ::testing::TestWithParam<Rechazo> {};

TEST_P(Rechaza, LeavesTheKitAsItWasAndSaysWhy) {
    const Rechazo& c = GetParam();
    CopiaKit k;
    c.prepara(k);
    const auto antes = estado(k.temporal.path());
    std::string error;
    EXPECT_FALSE(admin::InstalaEquipo(k.app, c.modelo, c.sistema, error));
    EXPECT_NE(error.find(c.dice), std::string::npos) << error;
    EXPECT_EQ(estado(k.temporal.path()), antes);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Rechaza,
    ::testing::Values(
        Rechazo{"ModelFolderMissing", [](CopiaKit& k) { fs::remove_all(k.app + "/Quintavo"); }, "Quintavo",
                "Windows 98", "/Quintavo"},
        Rechazo{"SoftwareRecordMissing", [](CopiaKit& k) { fs::remove(k.compartida() + "/Fenzo Kalmoro.Wcon"); },
                "Fenzo Kalmoro", "Windows 98", "Fenzo Kalmoro.Wcon"},
        Rechazo{"SoftwareRecordDamaged",
                [](CopiaKit& k) { escribeBytes(k.compartida() + "/Tendro.Wcon", std::string("\xFF\xFF", 2) + "x"); },
                "Tendro", "Windows 98", "Tendro.Wcon"},
        Rechazo{"OlderBuildMissing", [](CopiaKit& k) { fs::remove(k.compartida() + "/KWMD95.DLL"); }, "Tendro",
                "Windows 95", "KWMD95.DLL"},
        // An installed folder is no kit: rebuilding it would only throw folders away.
        Rechazo{"NotAKit", [](CopiaKit& k) { fs::remove(k.compartida() + "/KWMD.DLL"); }, "Tendro", "Windows 95",
                "KWMD.DLL"},
        Rechazo{"UnknownOption", [](CopiaKit&) {}, "../Tendro", "Windows 98", "no se puede instalar"}),
    [](const auto& info) { return std::string(info.param.caso); });

TEST(Instalador, NeverWorksOnTheDiskRoot) {
    std::string error;
    EXPECT_FALSE(admin::InstalaEquipo("/", "Tendro", "Windows 98", error));
    EXPECT_FALSE(admin::InstalaEquipo("", "Tendro", "Windows 98", error));
    EXPECT_NE(error.find("raíz"), std::string::npos) << error;
}

// Each rename of the swap may be the one that fails: whatever was swapped goes back.
class FallaEnElCambio : public ::testing::TestWithParam<const char*> {};

TEST_P(FallaEnElCambio, PutsEverythingBack) {
    CopiaKit k;
    escribeBytes(k.app + "/QRXdll.dll", "build anterior");
    const auto antes = estado(k.temporal.path());
    const std::string destino = k.app + "/" + GetParam();
    std::string error;
    EXPECT_FALSE(admin::InstalaEquipo(k.app, "Tendro", "Windows 98", error,
                                      [&](const std::string& d) { return d != destino; }));
    EXPECT_NE(error.find("queda como estaba"), std::string::npos) << error;
    EXPECT_EQ(estado(k.temporal.path()), antes);
    // Still a kit: the wizard comes back at the next start.
    EXPECT_TRUE(fs::exists(k.compartida() + "/KWMD.DLL"));
}

// The first rename, one in the middle, the library, and the last (the shared folder).
INSTANTIATE_TEST_SUITE_P(Pasos, FallaEnElCambio,
                         ::testing::Values("Tempo2/anterior/Fenzo", "Tendro", "QRXdll.dll",
                                           "Utilerias/Generales/Equipos"));

// The commit itself may fail: the kit goes back whole.
TEST(Instalador, ACommitThatFailsPutsTheKitBack) {
    CopiaKit k;
    const auto antes = estado(k.temporal.path());
    std::string error;
    EXPECT_FALSE(admin::InstalaEquipo(k.app, "Tendro", "Windows 98", error,
                                      [&](const std::string& d) { return d != k.app + "/Tempo2/descartado"; }));
    EXPECT_NE(error.find("queda como estaba"), std::string::npos) << error;
    EXPECT_EQ(estado(k.temporal.path()), antes);
}

// A run stopped dead at any rename of the swap (the program killed: nothing after it runs) is
// undone by the next start, and the kit is whole again.
struct Interrumpida : std::runtime_error {
    Interrumpida() : std::runtime_error("interrumpida") {}
};
class Interrupcion : public ::testing::TestWithParam<const char*> {};

TEST_P(Interrupcion, TheNextStartPutsTheKitBack) {
    CopiaKit k;
    escribeBytes(k.app + "/QRXdll.dll", "build anterior");
    const auto antes = estado(k.temporal.path());
    const std::string destino = k.app + "/" + GetParam();
    std::string error;
    EXPECT_THROW(admin::InstalaEquipo(k.app, "Tendro", "Windows 98", error,
                                      [&](const std::string& d) {
                                          if (d == destino) throw Interrumpida();
                                          return true;
                                      }),
                 Interrumpida);
    EXPECT_NE(estado(k.temporal.path()), antes);
    EXPECT_TRUE(admin::RecuperaInstalacion(k.app, error)) << error;
    EXPECT_EQ(estado(k.temporal.path()), antes);
    // Nothing left to undo: a second call changes nothing.
    EXPECT_TRUE(admin::RecuperaInstalacion(k.app, error)) << error;
    EXPECT_EQ(estado(k.temporal.path()), antes);
}

INSTANTIATE_TEST_SUITE_P(Pasos, Interrupcion,
                         ::testing::Values("Tempo2/anterior/Sonobrisa", "Tendro", "QRXdll.dll",
                                           "Tempo2/anterior/Utilerias/Generales/Equipos",
                                           "Utilerias/Generales/Equipos", "Tempo2/descartado"));

// A temporary folder with no originals set aside is left over from a run that had committed
// (its delete failed or the program died first) or that had swapped nothing yet: the next start
// deletes it, links and all without following them, and leaves the installation as it is.
TEST(Instalador, ATemporaryFolderWithNothingToPutBackIsDeletedAtTheNextStart) {
    struct Caso {
        const char* que;
        void (*deja)(const std::string& temporal, const std::string& fuera);
    } casos[] = {
        {"the discarded kit after the commit",
         [](const std::string& t, const std::string& fuera) {
             fs::create_directories(t);
             fs::copy(zylma::testing::kKitTree, t + "/descartado", fs::copy_options::recursive);
             escribeBytes(t + "/sin-QRXdll.dll", "");
             fs::create_directory_symlink(fuera, t + "/descartado/Enlace");
         }},
        {"a copy half built before the swap",
         [](const std::string& t, const std::string&) {
             fs::create_directories(t + "/nuevo/Imagenes");
             escribeBytes(t + "/nuevo/Imagenes/a.bmp", "x");
         }},
        {"a link in its place", [](const std::string& t, const std::string& fuera) {
             fs::create_directory_symlink(fuera, t);
         }},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        CopiaKit k;
        std::string error;
        ASSERT_TRUE(admin::InstalaEquipo(k.app, "Tendro", "Windows 98", error)) << error;
        const std::string fuera = k.temporal.path() + "/fuera";
        fs::create_directories(fuera);
        escribeBytes(fuera + "/ajeno", "de otro");
        const auto instalada = estado(k.app);
        const auto ajeno = estado(fuera);
        c.deja(k.app + "/Tempo2", fuera);

        EXPECT_TRUE(admin::RecuperaInstalacion(k.app, error)) << error;
        EXPECT_FALSE(fs::exists(fs::symlink_status(k.app + "/Tempo2")));
        EXPECT_EQ(estado(k.app), instalada);
        EXPECT_EQ(estado(fuera), ajeno);
    }
}

TEST(Instalador, AnInterruptedRunIsUndoneBeforeTheNextInstallation) {
    CopiaKit k;
    std::string error;
    EXPECT_THROW(admin::InstalaEquipo(k.app, "Tendro", "Windows 98", error,
                                      [&](const std::string& d) {
                                          if (d == k.app + "/Utilerias/Generales/Equipos") throw Interrumpida();
                                          return true;
                                      }),
                 Interrumpida);
    ASSERT_TRUE(admin::InstalaEquipo(k.app, "Fenzo Kalmoro", "Windows 98", error)) << error;
    const auto carpetas = admin::archivos::carpetasDe(k.app);
    EXPECT_EQ(std::set<std::string>(carpetas.begin(), carpetas.end()),
              (std::set<std::string>{"Imagenes", "Fenzo", "Utilerias"}));
    EXPECT_EQ(leeBytes(k.compartida() + "/Software.WCon"), leeBytes(k.kit("Fenzo Kalmoro.Wcon")));
}

// What the kit did not bring, around it: each case adds some to a fresh kit, then installs.
// The kit's paths (its pictures, its eight model folders, the shared folder, the dialler build,
// the temporary folder) are rebuilt; everything else must be there after exactly as before, and
// nothing outside the application folder may change.
struct Alrededor {
    const char* caso;
    void (*prepara)(const std::string& app, const std::string& fuera);
    const char* modelo;
    std::vector<std::string> quedan;  // extra folders of the kit's names expected after
};

void PrintTo(const Alrededor& a, std::ostream* os) { *os << a.caso; }

bool esRutaDelKit(const std::string& rel) {
    // Relative paths, compared without regard to case as the kit's names are.
    auto baja = [](std::string t) {
        for (char& ch : t) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        return t;
    };
    const std::string r = baja(rel);
    auto bajo = [&](const std::string& raiz) { return r == raiz || r.rfind(raiz + "/", 0) == 0; };
    for (const char* m : {"imagenes", "sonobrisa", "tendro", "omnivelda", "plurimandelo", "fenzo", "quintavo",
                          "tresmolinas", "selvarindo", "tempo2", "utilerias/generales/equipos", "qrxdll.dll"})
        if (bajo(m)) return true;
    return false;
}

std::map<std::string, std::string> ajenos(const std::string& app) {
    std::map<std::string, std::string> out;
    for (const auto& [rel, e] : estado(app))
        if (!esRutaDelKit(rel)) out[rel] = e;
    return out;
}

void ajenosDeEjemplo(const std::string& app, const std::string& fuera) {
    fs::create_directories(app + "/Documentos");
    escribeBytes(app + "/Documentos/carta.txt", "querido cliente");
    fs::create_directories(app + "/.ssh");
    escribeBytes(app + "/.ssh/id", "clave");
    fs::permissions(app + "/.ssh", fs::perms(0700));
    fs::create_directories(app + "/lib");
    escribeBytes(app + "/lib/libQt6Core.so.6", "biblioteca");
    fs::create_directories(app + "/plugins/platforms");
    escribeBytes(app + "/plugins/platforms/libqoffscreen.so", "plugin");
    escribeBytes(app + "/notas.txt", "notas");
    fs::create_directories(app + "/Utilerias/Otros");
    escribeBytes(app + "/Utilerias/Otros/a.txt", "otro");
    escribeBytes(app + "/Utilerias/Generales/leeme.txt", "leeme");
    fs::create_directory_symlink(fuera, app + "/Enlace");
    fs::create_symlink(fuera + "/ajeno", app + "/enlace-a-archivo");
    fs::create_symlink(app + "/no-hay", app + "/enlace-roto");
}

class Alrededores : public ::testing::TestWithParam<Alrededor> {};

TEST_P(Alrededores, OnlyTheKitIsTouched) {
    const Alrededor& c = GetParam();
    CopiaKit k;
    const std::string fuera = k.temporal.path() + "/fuera";
    fs::create_directories(fuera + "/dentro");
    escribeBytes(fuera + "/ajeno", "de otro");
    escribeBytes(fuera + "/dentro/b", "de otro");
    c.prepara(k.app, fuera);
    const auto antes = ajenos(k.app);
    const auto ajenoFuera = estado(fuera);

    std::string error;
    ASSERT_TRUE(admin::InstalaEquipo(k.app, c.modelo, "Windows 98", error)) << error;
    EXPECT_EQ(ajenos(k.app), antes);
    EXPECT_EQ(estado(fuera), ajenoFuera);
    if (fs::exists(k.app + "/.ssh")) EXPECT_EQ(fs::status(k.app + "/.ssh").permissions() & fs::perms::all, fs::perms(0700));
    // Of the kit's folders, the pictures and the chosen model's only.
    std::set<std::string> delKit;
    for (const std::string& d : admin::archivos::carpetasDe(k.app))
        if (esRutaDelKit(d)) delKit.insert(d);
    std::set<std::string> esperadas{"Imagenes", admin::CarpetaModelo(c.modelo)};
    esperadas.insert(c.quedan.begin(), c.quedan.end());
    EXPECT_EQ(delKit, esperadas);
    EXPECT_FALSE(fs::exists(fs::symlink_status(k.app + "/Tempo2")));
    EXPECT_EQ(leeBytes(k.compartida() + "/Software.WCon"), leeBytes(k.kit(std::string(c.modelo) + ".Wcon")));
    EXPECT_FALSE(fs::exists(k.compartida() + "/KWMD.DLL"));
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Alrededores,
    ::testing::Values(
        Alrededor{"NothingButTheKit", [](const std::string&, const std::string&) {}, "Tendro", {}},
        Alrededor{"ForeignFoldersFilesAndLinks", ajenosDeEjemplo, "Fenzo Kalmoro", {}},
        // A link in the place of a model folder that is not chosen goes as a link, never
        // followed; what it points at stays.
        Alrededor{"ALinkWhereAnotherModelsFolderWas",
                  [](const std::string& app, const std::string& fuera) {
                      fs::remove_all(app + "/Quintavo");
                      fs::create_directory_symlink(fuera, app + "/Quintavo");
                  },
                  "Omnivelda", {}},
        // A left-over temporary folder, with a link out of it, is ours: it goes, unfollowed.
        Alrededor{"ALeftOverTemporaryFolder",
                  [](const std::string& app, const std::string& fuera) {
                      fs::create_directories(app + "/Tempo2/nuevo/Imagenes");
                      escribeBytes(app + "/Tempo2/nuevo/Imagenes/viejo.bmp", "x");
                      fs::create_directory_symlink(fuera, app + "/Tempo2/nuevo/Enlace");
                      ajenosDeEjemplo(app, fuera);
                  },
                  "Selvarindo Voz", {}},
        // Kit folder names in another case are the kit's; a folder that only looks like one is not.
        Alrededor{"KitNamesInAnotherCaseAndLookAlikes",
                  [](const std::string& app, const std::string&) {
                      fs::rename(app + "/Sonobrisa", app + "/SONOBRISA");
                      fs::create_directories(app + "/Tendro2");
                      fs::create_directories(app + "/Imagenes viejas");
                      escribeBytes(app + "/Imagenes viejas/a.bmp", "a");
                  },
                  "Tendro", {}}),
    [](const auto& info) { return std::string(info.param.caso); });

// Every step of an installation that writes may be the one that fails (refused) or the last
// the program makes (killed there): the steps are those a run around foreign entries takes,
// found by recording them, so a new step is covered without a list to keep. A refusal leaves
// the folder as it was; a killed run is undone by the next start. Foreign entries stay either way.
TEST(Instalador, AFailureOrAnEndAtEachStepLeavesTheFolderAsItWas) {
    auto prepara = [](CopiaKit& k) {
        const std::string fuera = k.temporal.path() + "/fuera";
        fs::create_directories(fuera);
        escribeBytes(fuera + "/ajeno", "de otro");
        ajenosDeEjemplo(k.app, fuera);
        escribeBytes(k.app + "/QRXdll.dll", "build anterior");
    };
    std::vector<std::string> pasos;
    {
        CopiaKit k;
        prepara(k);
        std::string error;
        ASSERT_TRUE(admin::InstalaEquipo(k.app, "Fenzo Kalmoro", "Windows 95", error, [&](const std::string& d) {
            pasos.push_back(d.substr(k.app.size()));
            return true;
        })) << error;
    }
    // Copies, folders made, renames of the swap and the commit, at least.
    ASSERT_GT(pasos.size(), 15u);
    for (size_t i = 0; i < pasos.size(); ++i) {
        for (bool muere : {false, true}) {
            SCOPED_TRACE(std::to_string(i) + (muere ? " killed at " : " refused at ") + pasos[i]);
            CopiaKit k;
            prepara(k);
            const auto antes = estado(k.temporal.path());
            size_t n = 0;
            std::string error;
            auto prueba = [&](const std::string&) {
                if (n++ != i) return true;
                if (muere) throw Interrumpida();
                return false;
            };
            if (muere) {
                EXPECT_THROW(admin::InstalaEquipo(k.app, "Fenzo Kalmoro", "Windows 95", error, prueba), Interrumpida);
                EXPECT_TRUE(admin::RecuperaInstalacion(k.app, error)) << error;
            } else {
                EXPECT_FALSE(admin::InstalaEquipo(k.app, "Fenzo Kalmoro", "Windows 95", error, prueba));
                EXPECT_NE(error.find("queda como estaba"), std::string::npos) << error;
            }
            EXPECT_EQ(estado(k.temporal.path()), antes);
        }
    }
}

}  // namespace
