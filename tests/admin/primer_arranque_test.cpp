// The program's start as a user meets it on a first run: wizard, login, port choice, main window.
#include "acceso_fixture.h"
#include "kit_fixture.h"
#include "zylma/admin/acceso.h"
#include "zylma/admin/arranque.h"
#include "zylma/admin/configuracion.h"
#include "zylma/admin/selector.h"
#include "zylma/admin/software.h"
#include "zylma/app/zyl_for_pri.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zylma;

namespace {

// On a first run the login is made by the wizard, after the editors hooked onto the main
// window's load: both must still find the "&Configuración" menus wired.
TEST(PrimerArranque, TheEditorsOpenFromTheMenusAfterTheWizard) {
    zylma::testing::CopiaKit k;
    auto h = std::make_unique<zylma::testing::ProgramHarness>(k.app);
    app::Programa& p = *h->programa;
    admin::Arranca(p);
    auto& w = *p.ventanaSiExiste<admin::frmSelector>();
    ASSERT_TRUE(w.visible());
    w.chkEquipoGardomelinta[1]->userClick();
    w.cmbSelSistemaOperativo->userSelect(1);
    w.TxtSelUsuario->userType("tec");
    w.TxtSelContraseña->userType("c1");
    h->host.answers = {forms::vbYes};
    h->host.whileModal = [&](forms::Form& f) {
        if (f.name() == "ZylFrmLogin") {
            auto* l = p.ventanaSiExiste<admin::ZylFrmLogin>();
            l->txtUserName->userType("Ingenieria");
            l->txtPassword->userType("Trufa");
            l->cmdOK->userClick();
        }
    };
    w.cmdSelAceptar->userClick();
    ASSERT_NE(p.ventanaSiExiste<admin::ZylFrmSelPort>(), nullptr);
    p.ventanaSiExiste<admin::ZylFrmSelPort>()->ZylCmbNumPort->userSelect(0);
    ASSERT_TRUE(p.priExiste());
    p.pri().ZylMnuConC->userChoose();
    EXPECT_NE(p.ventanaSiExiste<admin::ZylFrmCPri>(), nullptr) << "software editor not opened on first run";
    p.pri().ZylMnuConE->userChoose();
    EXPECT_NE(p.ventanaSiExiste<admin::ZylFrmConf>(), nullptr) << "config editor not opened on first run";
}

// A new user's first day: the kit unpacked beside a folder and a file of their own, the set-up
// wizard, the software editor used without "&Recuperar" (only the retries typed), and the next
// start. The model buttons must still be there, and so must the user's own folder and file.
TEST(PrimerArranque, AnEditOfTheSoftwareRecordWithoutRestoreKeepsTheModelButtonsAndTheUsersFiles) {
    namespace fs = std::filesystem;
    zylma::testing::CopiaKit k;
    fs::create_directories(k.app + "/Documentos");
    zylma::testing::escribeBytes(k.app + "/Documentos/carta.txt", "querido cliente");
    zylma::testing::escribeBytes(k.app + "/notas.txt", "notas");

    // Who logs in, and the port: as a user does it, whichever way the window comes.
    auto entra = [](zylma::testing::ProgramHarness& h) {
        app::Programa& p = *h.programa;
        auto* l = p.ventanaSiExiste<admin::ZylFrmLogin>();
        ASSERT_NE(l, nullptr);
        l->txtUserName->userType("Ingenieria");
        l->txtPassword->userType("Trufa");
        l->cmdOK->userClick();
    };
    {
        auto h = std::make_unique<zylma::testing::ProgramHarness>(k.app);
        app::Programa& p = *h->programa;
        admin::Arranca(p);
        auto& w = *p.ventanaSiExiste<admin::frmSelector>();
        ASSERT_TRUE(w.visible());
        w.chkEquipoGardomelinta[1]->userClick();  // "Tendro"
        w.cmbSelSistemaOperativo->userSelect(1);
        w.TxtSelUsuario->userType("tec");
        w.TxtSelContraseña->userType("c1");
        h->host.answers = {forms::vbYes};
        h->host.whileModal = [&](forms::Form& f) {
            if (f.name() == "ZylFrmLogin") entra(*h);
        };
        w.cmdSelAceptar->userClick();
        ASSERT_NE(p.ventanaSiExiste<admin::ZylFrmSelPort>(), nullptr);
        p.ventanaSiExiste<admin::ZylFrmSelPort>()->ZylCmbNumPort->userSelect(0);
        ASSERT_TRUE(p.priExiste());
        ASSERT_TRUE(p.pri().ZylCmd[2]->visible());

        p.pri().ZylMnuConC->userChoose();
        auto& e = p.ventana<admin::ZylFrmCPri>();
        ASSERT_TRUE(e.visible());
        e.ZylTexE[20]->userEdit("4");
        h->host.answers = {forms::vbYes};
        e.ZylCmdCPConGra->userClick();
        EXPECT_FALSE(e.loaded()) << h->host.lastMessage();
    }

    auto h = std::make_unique<zylma::testing::ProgramHarness>(k.app);
    app::Programa& p = *h->programa;
    admin::Arranca(p);
    entra(*h);
    ASSERT_NE(p.ventanaSiExiste<admin::ZylFrmSelPort>(), nullptr);
    p.ventanaSiExiste<admin::ZylFrmSelPort>()->ZylCmbNumPort->userSelect(0);
    ASSERT_TRUE(p.priExiste());
    // The Téndro kit record's buttons: "Zylma" and "Téndro".
    EXPECT_TRUE(p.pri().ZylCmd[0]->visible());
    EXPECT_EQ(p.pri().ZylCmd[0]->caption(), "Zylma");
    EXPECT_TRUE(p.pri().ZylCmd[2]->visible());
    EXPECT_EQ(p.pri().ZylCmd[2]->caption(), "Téndro");
    EXPECT_EQ(p.Reintentos, 4);
    EXPECT_EQ(zylma::testing::leeBytes(k.app + "/Documentos/carta.txt"), "querido cliente");
    EXPECT_EQ(zylma::testing::leeBytes(k.app + "/notas.txt"), "notas");
}

}  // namespace
