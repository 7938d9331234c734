// The start-up form: the ordinary start straight to the login, and the set-up wizard on a copy
// of the kit, from the first click to the main window.
#include "acceso_fixture.h"
#include "kit_fixture.h"
#include "zylma/admin/cap_login.h"
#include "zylma/admin/instalador.h"
#include "zylma/admin/selector.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace zylma;
using admin::frmSelector;
using admin::ZylFrmLogin;
using forms::vbNo;
using forms::vbYes;
using zylma::testing::CopiaKit;
using zylma::testing::estado;

namespace {

struct Inicio {
    std::unique_ptr<zylma::testing::ProgramHarness> h;
    void arranca(const std::string& app) {
        h = std::make_unique<zylma::testing::ProgramHarness>(app);
        // What the program's start calls.
        admin::MuestraSelector(*h->programa);
    }
    app::Programa& p() { return *h->programa; }
    forms::TestHost& host() { return h->host; }
    frmSelector* selector() { return p().ventanaSiExiste<frmSelector>(); }
    ZylFrmLogin* login() { return p().ventanaSiExiste<ZylFrmLogin>(); }
};

TEST(Inicio, AnInstalledFolderGoesStraightToTheLogin) {
    zylma::testing::AppFolder folder;
    folder.writeSoftware(zylma::testing::AppFolder::softwareRecord("PC-Modem"));
    Inicio i;
    i.arranca(folder.path());
    ASSERT_NE(i.selector(), nullptr);
    EXPECT_FALSE(i.selector()->loaded());
    ASSERT_NE(i.login(), nullptr);
    EXPECT_TRUE(i.login()->visible());
    EXPECT_FALSE(i.login()->modal());
    EXPECT_EQ(i.p().ClaseInstalacion, "PC");
    EXPECT_TRUE(i.host().messages.empty());
    EXPECT_FALSE(i.host().quitting());
}

TEST(Inicio, AMissingSoftwareRecordIsNamedAndTheProgramEnds) {
    zylma::testing::AppFolder folder;  // no software record
    Inicio i;
    i.arranca(folder.path());
    ASSERT_EQ(i.host().messages.size(), 1u);
    EXPECT_NE(i.host().lastMessage().find("Software.WCon"), std::string::npos) << i.host().lastMessage();
    EXPECT_TRUE(i.host().quitting());
    EXPECT_EQ(i.login(), nullptr);
}

// The wizard over a copy of the kit.
struct Asistente : ::testing::Test {
    CopiaKit k;
    Inicio i;
    void SetUp() override { i.arranca(k.app); }
    frmSelector& w() { return *i.selector(); }
    void rellena(int opcion, const std::string& sistema, const std::string& usuario, const std::string& clave) {
        if (opcion >= 0) w().chkEquipoGardomelinta[static_cast<size_t>(opcion)]->userClick();
        w().cmbSelSistemaOperativo->setText(sistema);
        w().TxtSelUsuario->userType(usuario);
        w().TxtSelContraseña->userType(clave);
    }
    // The login and the port choice as the user goes through them.
    void entraComo(const std::string& usuario, const std::string& clave) {
        i.host().whileModal = [this, usuario, clave](forms::Form& f) {
            if (f.name() == "ZylFrmLogin") {
                i.login()->txtUserName->userType(usuario);
                i.login()->txtPassword->userType(clave);
                i.login()->cmdOK->userClick();
            } else if (f.name() == "ZylFrmSelPort") {
                i.p().ventana<admin::ZylFrmSelPort>().ZylCmbNumPort->userSelect(0);
            }
        };
    }
};

TEST_F(Asistente, TheKitShowsTheWizardAndNothingElse) {
    EXPECT_TRUE(w().loaded());
    EXPECT_TRUE(w().visible());
    EXPECT_EQ(w().caption(), "KZQ");
    EXPECT_EQ(w().cmbSelSistemaOperativo->text(), "Sistema Operativo");
    EXPECT_EQ(w().cmbSelSistemaOperativo->list(),
              (std::vector<std::string>{"Windows 95", "Windows 98", "Windows Me", "Windows XP", "Windows NT 4.0",
                                        "Windows 2000"}));
    for (forms::CheckBox* c : w().chkEquipoGardomelinta) EXPECT_EQ(c->value(), 0) << c->caption();
    EXPECT_EQ(i.login(), nullptr);
    EXPECT_TRUE(i.host().messages.empty());
}

TEST_F(Asistente, ContinuarInstallsStoresTheUserAndLeadsThroughTheLoginToTheMainWindow) {
    rellena(1, "", "tecnico", "clave1");
    w().cmbSelSistemaOperativo->userSelect(1);
    i.host().answers = {vbYes};
    entraComo("tecnico", "clave1");
    w().cmdSelAceptar->userClick();

    ASSERT_FALSE(i.host().messages.empty());
    EXPECT_EQ(i.host().messages[0].title, "KZQ");
    EXPECT_EQ(i.host().messages[0].text,
              "La información es correcta?\nSistema Operativo: Windows 98 \nEquipo Gardomelinta: Tendro");
    EXPECT_EQ(i.host().messages[0].style & 7, forms::vbYesNo);
    EXPECT_EQ(i.host().messages.size(), 1u) << i.host().lastMessage();

    // Installed: the model's folder only, its software record, the standard dialler build.
    EXPECT_TRUE(fs::is_directory(k.app + "/Tendro"));
    EXPECT_FALSE(fs::exists(k.app + "/Sonobrisa"));
    EXPECT_FALSE(fs::exists(k.compartida() + "/KWMD.DLL"));
    EXPECT_EQ(zylma::testing::leeBytes(k.app + "/QRXdll.dll"), zylma::testing::leeBytes(k.kit("KWMD.DLL")));
    // The credentials as typed, the record whole, readable by its owner only.
    EXPECT_EQ(zylma::testing::leeBytes(k.app + "/qaltro6.dll"), zylma::testing::registroCredenciales("tecnico", "clave1"));
    struct stat st {};
    ASSERT_EQ(::stat((k.app + "/qaltro6.dll").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // The login came modally, the user went through it, and the wizard is gone.
    EXPECT_NE(std::find(i.host().trace.begin(), i.host().trace.end(), "modal ZylFrmLogin"), i.host().trace.end());
    EXPECT_FALSE(w().loaded());
    ASSERT_TRUE(i.p().priExiste());
    EXPECT_TRUE(i.p().pri().visible());
    EXPECT_EQ(i.p().NivelUsuario, admin::kNivelOtro);
    EXPECT_EQ(i.p().NumPuerto, 1);
    EXPECT_FALSE(i.host().quitting());

    // The next start is an ordinary one.
    Inicio otra;
    otra.arranca(k.app);
    EXPECT_FALSE(otra.selector()->loaded());
    ASSERT_NE(otra.login(), nullptr);
    EXPECT_TRUE(otra.login()->visible());
}

TEST_F(Asistente, OptionsAreOneGroupAndNoneClickedMeansTheFirst) {
    w().chkEquipoGardomelinta[3]->userClick();
    w().chkEquipoGardomelinta[5]->userClick();
    w().chkEquipoGardomelinta[5]->userClick();  // the chosen one stays chosen
    for (int n = 0; n < 10; ++n) EXPECT_EQ(w().chkEquipoGardomelinta[static_cast<size_t>(n)]->value(), n == 5 ? 1 : 0) << n;
    EXPECT_EQ(w().ModeloInstalado, 5);

    Inicio otra;
    CopiaKit kit;
    otra.arranca(kit.app);
    frmSelector& s = *otra.selector();
    s.cmbSelSistemaOperativo->setText("Linux");  // typed: passed on as it stands
    s.TxtSelUsuario->userType("u");
    s.TxtSelContraseña->userType("c");
    otra.host().answers = {vbYes};
    s.cmdSelAceptar->userClick();
    EXPECT_EQ(otra.host().messages[0].text,
              "La información es correcta?\nSistema Operativo: Linux \nEquipo Gardomelinta: Sonobrisa");
    EXPECT_TRUE(fs::is_directory(kit.app + "/Sonobrisa"));
    EXPECT_FALSE(fs::exists(kit.app + "/Tendro"));
    EXPECT_EQ(zylma::testing::leeBytes(kit.app + "/QRXdll.dll"), zylma::testing::leeBytes(kit.kit("KWMD.DLL")));
}

// What stops "Continuar" before anything is installed or written: the wizard stays.
struct Parada {
    const char* caso;
    const char* sistema;
    std::string usuario;
    std::string clave;
    int respuesta;
    std::vector<std::string> mensajes;  // after the confirmation
};

class AsistenteSeDetiene : public Asistente, public ::testing::WithParamInterface<Parada> {};

TEST_P(AsistenteSeDetiene, LeavesTheKitAsItWas) {
    const Parada& c = GetParam();
    rellena(2, c.sistema, c.usuario, c.clave);
    const auto antes = estado(k.temporal.path());
    i.host().answers = {c.respuesta};
    w().cmdSelAceptar->userClick();

    ASSERT_EQ(i.host().messages.size(), 1 + c.mensajes.size()) << i.host().lastMessage();
    EXPECT_EQ(i.host().messages[0].title, "KZQ");
    for (size_t n = 0; n < c.mensajes.size(); ++n) {
        EXPECT_EQ(i.host().messages[n + 1].text, c.mensajes[n]);
        EXPECT_EQ(i.host().messages[n + 1].title, "ZYLMA");
    }
    EXPECT_EQ(estado(k.temporal.path()), antes);
    EXPECT_TRUE(w().visible());
    EXPECT_EQ(i.login(), nullptr);
    EXPECT_FALSE(i.host().quitting());
}

INSTANTIATE_TEST_SUITE_P(
    Casos, AsistenteSeDetiene,
    ::testing::Values(Parada{"AnsweredNo", "Windows XP", "u", "c", vbNo, {}},
                      // The confirmation comes first, whatever the answer.
                      Parada{"NoSystemChosen", "Sistema Operativo", "u", "c", vbYes,
                             {"Necesita seleccionar Sistema Operativo"}},
                      Parada{"SystemErased", "", "u", "c", vbNo, {"Necesita seleccionar Sistema Operativo"}},
                      Parada{"NoUserName", "Windows XP", "", "c", vbYes, {admin::kFaltanCredenciales}},
                      Parada{"NoPassword", "Windows XP", "u", "", vbYes, {admin::kFaltanCredenciales}},
                      // Credentials the record cannot hold would fail to store after the
                      // installation, with no wizard to come back to. Each text alone fits here.
                      Parada{"CredentialsTooLongTogether", "Windows XP", std::string(600, 'u'), std::string(400, 'c'),
                             vbYes,
                             {"El nombre de usuario y la contraseña son demasiado largos para guardarlos. Acórtelos. "
                              "No se ha instalado nada."}},
                      Parada{"ACharacterTheFileCannotHold", "Windows XP", "Łukasz", "clave", vbYes,
                             {"No se pueden guardar el nombre de usuario y la contraseña (un texto tiene caracteres "
                              "que no se pueden guardar). Corríjalos. No se ha instalado nada."}}),
    [](const auto& info) { return std::string(info.param.caso); });

TEST_F(Asistente, AFailedInstallationIsReportedAndTheWizardStays) {
    fs::remove_all(k.app + "/Omnivelda");
    rellena(2, "Windows 98", "u", "c");
    const auto antes = estado(k.temporal.path());
    i.host().answers = {vbYes};
    w().cmdSelAceptar->userClick();
    ASSERT_EQ(i.host().messages.size(), 2u);
    EXPECT_NE(i.host().lastMessage().find("No se pudo instalar el equipo Omnivelda"), std::string::npos)
        << i.host().lastMessage();
    EXPECT_NE(i.host().lastMessage().find("/Omnivelda"), std::string::npos);
    EXPECT_EQ(estado(k.temporal.path()), antes);  // no credentials written either
    EXPECT_TRUE(w().visible());
    EXPECT_EQ(i.login(), nullptr);
}

TEST_F(Asistente, AnInstallationStoppedMidwayIsUndoneAtTheNextStart) {
    const auto antes = estado(k.temporal.path());
    std::string error;
    // Stopped dead with the old shared folder set aside and the new one not yet in place.
    struct Corte {};
    EXPECT_THROW(admin::InstalaEquipo(k.app, "Tendro", "Windows 98", error,
                                      [&](const std::string& d) {
                                          if (d == k.app + "/Utilerias/Generales/Equipos") throw Corte();
                                          return true;
                                      }),
                 Corte);
    ASSERT_FALSE(fs::exists(k.app + "/Utilerias/Generales/Equipos"));
    Inicio otra;
    otra.arranca(k.app);
    EXPECT_TRUE(otra.selector()->visible());
    EXPECT_TRUE(otra.host().messages.empty()) << otra.host().lastMessage();
    EXPECT_EQ(estado(k.temporal.path()), antes);
}

TEST_F(Asistente, ClosingTheWizardEndsTheProgram) {
    w().userClose();
    EXPECT_TRUE(i.host().quitting());
    EXPECT_FALSE(w().visible());
}

TEST_F(Asistente, CancellingTheLoginAfterTheInstallationEndsTheProgram) {
    rellena(0, "Windows 95", "u", "c");
    i.host().answers = {vbYes};
    i.host().whileModal = [this](forms::Form& f) {
        if (f.name() == "ZylFrmLogin") i.login()->cmdCancel->userClick();
    };
    w().cmdSelAceptar->userClick();
    EXPECT_TRUE(i.host().quitting());
    EXPECT_EQ(zylma::testing::leeBytes(k.app + "/QRXdll.dll"), zylma::testing::leeBytes(k.kit("KWMD95.DLL")));
    EXPECT_FALSE(i.p().priExiste() && i.p().pri().visible());
}

}  // namespace
