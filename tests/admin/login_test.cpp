// The login as a user meets it: both levels, the credentials file in every state, the port
// choice and the main window that follows.
#include "acceso_fixture.h"

#include <gtest/gtest.h>

using namespace zylma;
using namespace zylma::admin;
namespace zt = zylma::testing;
using zt::Acceso;

namespace {

enum class Camino {
    ClaveMala,      // message, focus back in the password box, the login stays
    FinSilencioso,  // the program ends without a word
    FinConMensaje,  // a "ZYLMA" message naming qaltro6.dll, then the same end
    PuertoNoModal,  // port choice modeless, then the main window
    PuertoModal,    // port choice modal, then the main window
    Principal,      // straight to the main window
};

enum class Guardado { Ninguno, Registro, Danado };

struct Caso {
    const char* que;
    const char* usuario;
    const char* clave;
    Guardado guardado;
    const char* nombreCp1252;  // the stored record, in the file's bytes
    const char* claveCp1252;
    const char* clase;
    Camino camino;
};

const Caso kCasos[] = {
    {"engineering user", "Ingenieria", "Trufa", Guardado::Registro, "tecnico", "zylma2026", "Gardomelinta", Camino::PuertoNoModal},
    {"engineering user without qaltro6.dll", "Ingenieria", "Trufa", Guardado::Ninguno, "", "", "Distribuidor", Camino::PuertoNoModal},
    {"engineering user with a damaged qaltro6.dll", "Ingenieria", "Trufa", Guardado::Danado, "", "", "Gardomelinta", Camino::PuertoNoModal},
    {"engineering user in PC mode still chooses a port", "Ingenieria", "Trufa", Guardado::Ninguno, "", "", "PC", Camino::PuertoNoModal},
    {"engineering password in another case", "Ingenieria", "trufa", Guardado::Registro, "tecnico", "zylma2026", "Gardomelinta", Camino::ClaveMala},
    {"engineering user with the stored password", "Ingenieria", "zylma2026", Guardado::Registro, "tecnico", "zylma2026", "Gardomelinta", Camino::ClaveMala},
    {"engineering name in lower case is ordinary", "ingenieria", "Trufa", Guardado::Registro, "tecnico", "zylma2026", "Gardomelinta", Camino::FinSilencioso},
    {"engineering name with an accent is ordinary", "Ingeniería", "Trufa", Guardado::Registro, "tecnico", "zylma2026", "Gardomelinta", Camino::FinSilencioso},
    {"ordinary user", "tecnico", "zylma2026", Guardado::Registro, "tecnico", "zylma2026", "Gardomelinta", Camino::PuertoModal},
    {"ordinary user in PC mode", "tecnico", "zylma2026", Guardado::Registro, "tecnico", "zylma2026", "PC", Camino::Principal},
    {"accented ordinary user stored in Windows-1252", "Ingeniería", "Contraseñá", Guardado::Registro, "Ingenier\xED" "a", "Contrase\xF1\xE1", "GrandeUsuario", Camino::PuertoModal},
    {"accented name typed without its accent", "Ingenieria", "Contraseñá", Guardado::Registro, "Ingenier\xED" "a", "Contrase\xF1\xE1", "GrandeUsuario", Camino::ClaveMala},
    {"ordinary user, wrong password", "tecnico", "zylma2027", Guardado::Registro, "tecnico", "zylma2026", "Gardomelinta", Camino::FinSilencioso},
    {"ordinary user, name in another case", "Tecnico", "zylma2026", Guardado::Registro, "tecnico", "zylma2026", "Gardomelinta", Camino::FinSilencioso},
    {"stored name empty, both typed empty", "", "zylma2026", Guardado::Registro, "", "zylma2026", "Gardomelinta", Camino::FinSilencioso},
    {"stored password empty, typed empty", "tecnico", "", Guardado::Registro, "tecnico", "", "Gardomelinta", Camino::FinSilencioso},
    {"qaltro6.dll missing", "tecnico", "zylma2026", Guardado::Ninguno, "", "", "Gardomelinta", Camino::FinConMensaje},
    {"qaltro6.dll damaged", "tecnico", "zylma2026", Guardado::Danado, "", "", "Gardomelinta", Camino::FinConMensaje},
};

TEST(Login, EveryRoad) {
    for (const Caso& c : kCasos) {
        SCOPED_TRACE(c.que);
        Acceso a;
        if (c.guardado == Guardado::Registro)
            zt::escribeCredenciales(a.folder.path(), zt::registroCredenciales(c.nombreCp1252, c.claveCp1252));
        if (c.guardado == Guardado::Danado)
            // A count that runs past the record.
            zt::escribeCredenciales(a.folder.path(), std::string("\xF0\x03tecnico", 9) + std::string(991, '\0'));
        a.arranca(c.clase);
        ASSERT_TRUE(a.login().visible());
        const auto antes = zt::snapshot(a.folder.path());

        // Whichever way the port choice comes, "2" is chosen from its list.
        bool modal = false;
        a.h->host.whileModal = [&](forms::Form& f) {
            if (f.name() != "ZylFrmSelPort") return;
            modal = true;
            a.puerto()->ZylCmbNumPort->userSelect(1);
        };
        a.teclea(c.usuario, c.clave);
        bool modeless = false;
        if (!modal && a.puerto() && a.puerto()->visible()) {
            modeless = true;
            a.puerto()->ZylCmbNumPort->userSelect(1);
        }

        auto& host = a.h->host;
        const bool admitido = c.camino == Camino::PuertoNoModal || c.camino == Camino::PuertoModal ||
                              c.camino == Camino::Principal;
        EXPECT_EQ(modal, c.camino == Camino::PuertoModal);
        EXPECT_EQ(modeless, c.camino == Camino::PuertoNoModal);
        switch (c.camino) {
        case Camino::ClaveMala:
            ASSERT_EQ(host.messages.size(), 1u);
            EXPECT_EQ(host.messages[0].title, "Inicio de sesión");
            EXPECT_EQ(host.messages[0].text, "La contraseña no es válida. Vuelva a intentarlo");
            EXPECT_EQ(host.messages[0].style, forms::vbOKOnly);
            EXPECT_EQ(a.visibles(), std::vector<std::string>{"ZylFrmLogin"});
            EXPECT_EQ(a.login().activeControl(), a.login().txtPassword);
            EXPECT_EQ(a.login().txtPassword->selText(), c.clave);
            EXPECT_FALSE(host.quitting());
            EXPECT_EQ(a.puerto(), nullptr);
            EXPECT_FALSE(a.p().priExiste());
            break;
        case Camino::FinSilencioso:
        case Camino::FinConMensaje:
            EXPECT_TRUE(host.quitting());
            EXPECT_TRUE(a.visibles().empty());
            EXPECT_FALSE(a.p().priExiste());
            // A login refused is an ordinary end; a credentials file that cannot be read is a
            // fault of the installation and ends as a failure, as the software record's does.
            EXPECT_EQ(host.exitCode(), c.camino == Camino::FinSilencioso ? 0 : 1);
            if (c.camino == Camino::FinSilencioso) {
                EXPECT_TRUE(host.messages.empty());
            } else {
                ASSERT_EQ(host.messages.size(), 1u);
                EXPECT_EQ(host.messages[0].title, "ZYLMA");
                EXPECT_NE(host.messages[0].text.find(records::pathCredenciales(a.folder.path())), std::string::npos)
                    << host.messages[0].text;
            }
            break;
        default:
            EXPECT_TRUE(host.messages.empty()) << host.lastMessage();
            EXPECT_FALSE(host.quitting());
            EXPECT_EQ(a.visibles(), std::vector<std::string>{"ZylForPri"});
            break;
        }

        if (admitido) {
            const bool ingenieria = std::string(c.usuario) == "Ingenieria";
            const bool pc = std::string(c.clase) == "PC";
            app::ZylForPri& w = a.p().pri();
            EXPECT_EQ(a.p().NivelUsuario, ingenieria ? "Ingenieria" : "Otro");
            EXPECT_EQ(a.p().ClaseInstalacion, std::string(c.clase).substr(0, 2));
            EXPECT_EQ(w.ZylMnuCon->visible(), ingenieria);
            EXPECT_EQ(w.ZylMnuMon->visible(), ingenieria);
            const int puerto = c.camino == Camino::Principal ? 0 : 2;
            EXPECT_EQ(a.p().NumPuerto, puerto);
            if (pc) {
                EXPECT_EQ(a.h->port, nullptr);
            } else {
                ASSERT_NE(a.h->port, nullptr);
                EXPECT_EQ(a.h->port->opened, 1);
                EXPECT_EQ(a.h->port->openedDevice, "/dev/ttyS1");
            }
            w.ZylCmd[1]->userClick();  // a model panel with the restriction area
            EXPECT_TRUE(w.ZylChkRes[0]->visible());
            EXPECT_EQ(w.ZylTexBan->visible(), ingenieria);
        }

        // Nothing typed or stored ever reaches a message or the trace.
        for (const std::string& secreto : {std::string(c.clave), std::string("zylma2026"), std::string("Trufa")})
            for (const std::string& linea : host.trace)
                if (!secreto.empty()) {
                    EXPECT_EQ(linea.find(secreto), std::string::npos) << linea;
                }
        EXPECT_TRUE(zt::snapshot(a.folder.path()) == antes) << "the application folder changed";
    }
}

TEST(Login, WrongEngineeringPasswordAsOftenAsTheUserLikes) {
    Acceso a;
    a.arranca();
    auto& w = a.login();
    w.txtUserName->userType("Ingenieria");
    for (const char* clave : {"trufa", "Truf", "Trufa!"}) {
        w.txtPassword->setText("");
        w.txtPassword->userType(clave);
        w.setActiveControl(w.cmdOK);  // as a mouse click on "Aceptar" leaves it
        w.cmdOK->userClick();
        EXPECT_EQ(w.activeControl(), w.txtPassword);
        EXPECT_EQ(w.txtPassword->selStart(), 0);
        EXPECT_EQ(w.txtPassword->selText(), clave);
    }
    EXPECT_EQ(a.h->host.countMessages("La contraseña no es válida. Vuelva a intentarlo"), 3);
    // The password box already had the focus (Enter pressed in it): the focus is still put back.
    a.h->host.trace.clear();
    w.cmdOK->userClick();
    EXPECT_EQ(a.h->host.trace.back(), "focus txtPassword");
    w.txtPassword->setText("");
    w.txtPassword->userType("Trufa");
    w.cmdOK->userClick();
    ASSERT_NE(a.puerto(), nullptr);
    EXPECT_TRUE(a.puerto()->visible());
    EXPECT_FALSE(w.visible());
}

TEST(Login, DesignOfTheWindows) {
    Acceso a;
    a.arranca();
    auto& w = a.login();
    EXPECT_EQ(w.caption(), "Acceso a ZYLMA");
    EXPECT_EQ(w.lblLabels[0]->caption(), "&Usuario:");
    EXPECT_EQ(w.lblLabels[1]->caption(), "&Contraseña:");
    EXPECT_EQ(w.txtPassword->passwordChar, '*');
    EXPECT_EQ(w.txtUserName->passwordChar, 0);
    EXPECT_TRUE(w.cmdOK->isDefault);
    EXPECT_EQ(w.cmdOK->caption(), "Aceptar");
    EXPECT_TRUE(w.cmdCancel->isCancel);
    EXPECT_EQ(w.cmdCancel->caption(), "Cancelar");
    EXPECT_LT(w.txtUserName->tabIndex, w.txtPassword->tabIndex);
    EXPECT_LT(w.txtPassword->tabIndex, w.cmdOK->tabIndex);
    a.teclea("Ingenieria", "Trufa");
    auto& s = *a.puerto();
    EXPECT_EQ(s.caption(), "Puerto Serie");
    EXPECT_EQ(s.ZylLabPuerInf->caption(), "Que puerto usara ?");
    EXPECT_EQ(s.ZylCmbNumPort->text(), "# Puerto");
    EXPECT_EQ(s.ZylCmbNumPort->list(), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
}

// Every way out before the main window: nothing written, no window left up.
TEST(Login, EveryEndLeavesNothingBehind) {
    struct Fin {
        const char* que;
        std::function<void(Acceso&)> haz;
        bool conUsuario = false;  // an ordinary user stored, for the modal port choice
    };
    const Fin fines[] = {
        {"Cancelar", [](Acceso& a) { a.login().cmdCancel->userClick(); }},
        {"closing the login", [](Acceso& a) { a.login().userClose(); }},
        {"closing the port choice", [](Acceso& a) {
             a.teclea("Ingenieria", "Trufa");
             a.puerto()->userClose();
         }},
        {"closing the modal port choice", [](Acceso& a) {
             a.h->host.whileModal = [](forms::Form& f) { f.userClose(); };
             a.teclea("tecnico", "zylma2026");
         }, true},
        {"the port choice left without a choice", [](Acceso& a) {
             a.h->host.whileModal = [](forms::Form& f) { f.hide(); };
             a.teclea("tecnico", "zylma2026");
         }, true},
    };
    for (const Fin& f : fines) {
        SCOPED_TRACE(f.que);
        Acceso a;
        if (f.conUsuario) zt::escribeCredenciales(a.folder.path(), zt::registroCredenciales("tecnico", "zylma2026"));
        a.arranca();
        const auto antes = zt::snapshot(a.folder.path());
        f.haz(a);
        EXPECT_TRUE(a.h->host.quitting());
        EXPECT_EQ(a.h->host.exitCode(), 0);
        EXPECT_TRUE(a.visibles().empty());
        EXPECT_FALSE(a.p().priExiste());
        EXPECT_TRUE(a.h->host.messages.empty());
        EXPECT_TRUE(zt::snapshot(a.folder.path()) == antes) << "the application folder changed";
    }
}

TEST(Login, LoadSetsTheFoldersAndTheInstallationClass) {
    Acceso a;
    a.arranca("GrandeUsuario", "");
    EXPECT_EQ(a.p().RutaAplicacion, a.folder.path());
    EXPECT_EQ(a.p().CarpetaUtilerias, "/Utilerias");
    EXPECT_EQ(a.p().ClaseInstalacion, "Gr");
    EXPECT_EQ(a.p().NumPuerto, 0);

    Acceso b;
    b.arranca("P", b.folder.path() + "//");
    EXPECT_EQ(b.p().RutaAplicacion, b.folder.path());
    EXPECT_EQ(b.p().ClaseInstalacion, "P");  // shorter than two characters: all of it
}

TEST(Login, SoftwareRecordThatCannotBeReadEndsTheProgramWithAMessage) {
    struct Caso {
        const char* que;
        std::string carpeta;  // "" = the test's folder, with the record removed or spoilt
        bool danado;
    };
    const Caso casos[] = {
        {"missing", "", false},
        {"damaged", "", true},
        {"at the root the folder is empty", "/", false},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        zt::AppFolder folder;
        const std::string app = c.carpeta.empty() ? folder.path() : c.carpeta;
        if (c.danado) {
            std::ofstream out(records::pathSoftware(folder.path()), std::ios::binary);
            out << std::string("\xE8\x03", 2) << std::string(500, 'x');
        }
        zt::ProgramHarness h(app);
        admin::MuestraLogin(*h.programa);
        EXPECT_TRUE(h.host.quitting());
        EXPECT_EQ(h.host.exitCode(), 1);
        ASSERT_EQ(h.host.messages.size(), 1u);
        EXPECT_EQ(h.host.messages[0].title, "ZYLMA");
        const std::string ruta = c.carpeta == "/" ? "/Utilerias/Generales/Equipos/Software.WCon"
                                                   : records::pathSoftware(folder.path());
        EXPECT_NE(h.host.messages[0].text.find(ruta), std::string::npos) << h.host.messages[0].text;
        EXPECT_FALSE(h.programa->ventana<ZylFrmLogin>().visible());
        EXPECT_FALSE(h.programa->priExiste());
    }
}

// ---------------------------------------------------------------- the port choice

struct PortChoice : ::testing::Test {
    Acceso a;
    ZylFrmSelPort& s() { return *a.puerto(); }
    void SetUp() override {
        a.arranca();
        a.teclea("Ingenieria", "Trufa");
        ASSERT_NE(a.puerto(), nullptr);
    }
};

TEST_F(PortChoice, EmptyChoiceIsRefusedAndTheWindowStays) {
    s().ZylCmbNumPort->userType(std::string(8, '\b'));
    ASSERT_EQ(s().ZylCmbNumPort->text(), "");
    s().ZylCmbNumPort->onClick();  // the list's event with nothing in the field
    ASSERT_EQ(a.h->host.messages.size(), 1u);
    EXPECT_EQ(a.h->host.messages[0].title, "ZYLMA");
    EXPECT_EQ(a.h->host.messages[0].text, "Necesitas seleccionar un Número");
    EXPECT_EQ(a.visibles(), std::vector<std::string>{"ZylFrmSelPort"});
    EXPECT_FALSE(a.p().priExiste());
    EXPECT_EQ(a.p().NumPuerto, 0);
}

TEST_F(PortChoice, TypingInTheFieldChoosesNothing) {
    s().ZylCmbNumPort->userType(std::string(8, '\b') + "3");
    EXPECT_TRUE(a.h->host.messages.empty());
    EXPECT_EQ(a.visibles(), std::vector<std::string>{"ZylFrmSelPort"});
    EXPECT_FALSE(a.p().priExiste());
    EXPECT_EQ(a.p().NumPuerto, 0);
}

TEST_F(PortChoice, ChoiceOpensThatPortOnceAndTheMainWindowHidesTheChoice) {
    setenv("ZYLMA_COM3", "/dev/zylma-adaptador", 1);
    s().ZylCmbNumPort->userSelect(2);
    unsetenv("ZYLMA_COM3");
    EXPECT_EQ(a.p().NumPuerto, 3);
    ASSERT_NE(a.h->port, nullptr);
    EXPECT_EQ(a.h->port->opened, 1);
    EXPECT_EQ(a.h->port->openedDevice, "/dev/zylma-adaptador");
    EXPECT_EQ(a.visibles(), std::vector<std::string>{"ZylForPri"});
    // The choice is made once: the hidden window stays loaded and the port is not opened again.
    a.p().pri().show();
    EXPECT_EQ(a.h->port->opened, 1);
}

// The port that will not open is reported by the main window's load: an ordinary user must not
// meet the administration menus behind that message.
TEST(Login, OrdinaryMenusAreHiddenBeforeTheMainWindowsLoadSpeaks) {
    Acceso a;
    zt::escribeCredenciales(a.folder.path(), zt::registroCredenciales("tecnico", "zylma2026"));
    a.arranca();
    a.h->portOpens = false;
    std::vector<std::string> alMensaje;
    a.h->host.whileMessage = [&](const forms::TestHost::Message&) {
        app::ZylForPri& w = a.p().pri();
        alMensaje.push_back(std::string(w.ZylMnuCon->visible() ? "Con" : "-") + (w.ZylMnuMon->visible() ? "Mon" : "-") +
                            (w.visible() ? " shown" : " not shown"));
        return 0;
    };
    a.h->host.whileModal = [&a](forms::Form&) { a.puerto()->ZylCmbNumPort->userSelect(0); };
    a.teclea("tecnico", "zylma2026");
    EXPECT_EQ(alMensaje, std::vector<std::string>{"-- not shown"});
    EXPECT_NE(a.h->host.lastMessage().find("puerto serie 1"), std::string::npos);
    EXPECT_EQ(a.visibles(), std::vector<std::string>{"ZylForPri"});
    EXPECT_FALSE(a.h->host.quitting());
}

}  // namespace

namespace {

// The build tree's application folder, as the kit lays it out: its demo ordinary user gets in.
TEST(Login, KitsDemoUserGetsInOnTheBuildTreesFolder) {
    const std::string app = ZYLMA_APP_DIR;
    if (!std::filesystem::exists(records::pathCredenciales(app))) GTEST_SKIP() << "no qaltro6.dll in " << app;
    // Other tests may use the folder at the same time: only the two files the login reads count.
    auto leidos = [&app] {
        return std::make_pair(zt::bytesDe(records::pathSoftware(app)), zt::bytesDe(records::pathCredenciales(app)));
    };
    const auto antes = leidos();
    zt::ProgramHarness h(app);
    h.host.whileModal = [&h](forms::Form&) {
        h.programa->ventana<ZylFrmSelPort>().ZylCmbNumPort->userSelect(0);
    };
    admin::MuestraLogin(*h.programa);
    auto& w = h.programa->ventana<ZylFrmLogin>();
    w.txtUserName->userType("tecnico");
    w.txtPassword->userType("zylma2026");
    w.cmdOK->userClick();
    EXPECT_FALSE(h.host.quitting()) << h.host.lastMessage();
    EXPECT_EQ(h.programa->NivelUsuario, "Otro");
    ASSERT_TRUE(h.programa->priExiste());
    EXPECT_TRUE(h.programa->pri().visible());
    EXPECT_FALSE(h.programa->pri().ZylMnuCon->visible());
    EXPECT_TRUE(leidos() == antes) << "the software record or qaltro6.dll changed";
}

}  // namespace
