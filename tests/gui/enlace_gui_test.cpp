// The link as the user meets it on the drawn windows: a command waiting its 5000 ms, and every
// other click turned away with a box that says why, until the waiting command has gone out.
#include "gui_fixture.h"
#include "zylma/app/enlace.h"
#include "zylma/app/zyl_for_pri.h"

#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

using namespace zylma;
using zylma::testing::Gui;

namespace {

TEST(LinkGui, ClicksWhileACommandWaitsAreTurnedAwayWithABoxAndTheCommandGoesOut) {
    Gui g;
    g.instala();
    g.conectaSimulador("00");
    g.principal();
    app::ZylForPri& w = g.p->pri();
    ASSERT_TRUE(g.p->puerto().isOpen());
    g.clic(*w.ZylCmd[2]);  // "Téndro"
    g.line->stop();
    const std::size_t antes = g.line->device().frames().size();
    g.line->start();

    // A right press on restriction 1 and "Enviar" in its pop-up: the command waits 5000 ms.
    g.enElPopup([](QMenu& menu) {
        QAction* enviar = menu.actions().first();
        QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(enviar).center());
    });
    g.clic(g.w(*w.ZylChkRes[0]), QPoint(-1, -1), Qt::RightButton);
    ASSERT_EQ(g.p->enlace.estado, app::EstadoEnlace::ComandoPendiente);
    const std::string pendiente = g.p->CadenaComando;
    const std::string estado = w.ZylTexEst->text();

    // "&Colgar", "Ult.&Leído" and "&Ult.Envío" by the mouse, while it waits.
    const std::size_t cajas = g.cajas.size();
    for (int n : {1, 5, 6}) g.clic(w.comando(n));
    ASSERT_EQ(g.cajas.size(), cajas + 3);
    for (std::size_t i = cajas; i < g.cajas.size(); ++i) {
        EXPECT_EQ(g.cajas[i].titulo, "ZYLMA");
        EXPECT_NE(g.cajas[i].texto.find("comando anterior todavía se está enviando"), std::string::npos)
            << g.cajas[i].texto;
    }
    EXPECT_EQ(w.ZylTexEst->text(), estado);  // a refusal leaves the status line as it was
    EXPECT_EQ(g.p->CadenaComando, pendiente);
    g.foto(w, "command-waiting.png");

    ASSERT_TRUE(g.espera([&] { return g.p->enlace.estado == app::EstadoEnlace::Libre; }, 12000));
    QTest::qWait(300);
    g.line->stop();
    const auto& frames = g.line->device().frames();
    ASSERT_EQ(frames.size(), antes + 1);
    EXPECT_EQ(frames.back(), pendiente);
    EXPECT_EQ(g.cajas.size(), cajas + 3);
}

}  // namespace
