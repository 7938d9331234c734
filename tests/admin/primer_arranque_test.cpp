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

}  // namespace
