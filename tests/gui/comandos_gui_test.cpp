// Remote commands as a user meets them on the drawn main window: a refused one says why in a
// message box and nothing reaches the device on the line.
#include "gui_fixture.h"
#include "zylma/app/monitor.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/codec/imagen.h"
#include "zylma/sim/restrictor.h"

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace zylma;
using zylma::testing::Gui;

namespace {

struct ComandosGui : ::testing::Test {
    Gui g;
    // Chooses "Enviar" in the "Comando" pop-up once it is drawn; true when it was there.
    void eligeEnviar(bool& visto) {
        g.enElPopup([&visto](QMenu& menu) {
            QAction* enviar = menu.actions().first();
            visto = enviar->text() == "Enviar";
            QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(enviar).center());
        });
    }
};

// An Omnivelda read, its prohibited-call time emptied by keys, then a double-click and
// "Enviar": one "ZYLMA" box names the field and says it is empty; the status line does not
// turn to the "Zylma" of a send, and the device gets nothing, however long the send timer runs.
TEST_F(ComandosGui, AnEmptyTimeIsRefusedWithAMessageAndNothingOnTheLine) {
    g.instala();
    g.conectaSimulador("05");
    g.principal();
    app::ZylForPri& w = g.p->pri();
    g.clic(*w.ZylCmd[3]);  // "Omnivelda"
    g.clic(w.comando(3));  // "&Leer"
    app::ZylForMonitor& m = g.p->monitor();
    ASSERT_TRUE(g.espera([&] { return m.ZylTexMon[4]->text().size() == 270 && w.ZylTexEst->text() == "Zylma"; }))
        << w.ZylTexEst->text();
    auto* tiempo = w.findAs<forms::TextBox>("ZylTexOmnDurP");
    ASSERT_FALSE(tiempo->text().empty());
    g.clic(*tiempo);
    g.tecla(g.w(*tiempo), Qt::Key_A, Qt::ControlModifier);
    g.tecla(g.w(*tiempo), Qt::Key_Delete);
    ASSERT_EQ(tiempo->text(), "");
    const std::string etiqueta = w.find("ZylLabOmnDurP")->caption();

    QTest::qWait(300);
    g.line->stop();
    const std::size_t tramas = g.line->device().frames().size();
    g.line->start();
    const std::size_t cajas = g.cajas.size();
    w.ZylTexEst->setText("Leído");  // what the user saw before: not the text of a send
    bool visto = false;
    eligeEnviar(visto);
    g.dobleClic(*tiempo);
    EXPECT_TRUE(visto);
    ASSERT_EQ(g.cajas.size(), cajas + 1);
    EXPECT_EQ(g.cajas.back().titulo, "ZYLMA");
    EXPECT_EQ(g.cajas.back().texto,
              "No se envió el comando: el valor de \"" + etiqueta + "\" no se puede enviar al equipo (está vacío).");
    EXPECT_EQ(w.ZylTexEst->text(), "Leído");
    EXPECT_FALSE(w.TimerPID->timerEnabled());
    QTest::qWait(5500);
    g.line->stop();
    EXPECT_EQ(g.line->device().frames().size(), tramas);
    g.foto(w, "omnivelda-empty-time-refused.png");
}


// An unprogrammed Téndro (its key "FFFF", map 11-14): "&Verificar" carries the key, so after the
// read's message it is refused with one box naming "Clave", and the device gets nothing.
TEST_F(ComandosGui, VerifyWithTheKeyOfAnUnprogrammedDeviceIsRefused) {
    g.instala();
    sim::Options o;
    o.model = "00";
    std::string error;
    const std::string fabrica = sim::Restrictor::create(o, error)->image();
    std::string mapa = fabrica;
    mapa.replace(10, 4, "FFFF");
    codec::RecalculaSumas(mapa, *codec::BuscaModelo("00"));
    o.hooks.defaultImage = [mapa](const codec::ModeloTrama&, int) { return mapa; };
    g.line = std::make_unique<zylma::testing::SimLine>(o);
    ::setenv("ZYLMA_COM1", g.line->path().c_str(), 1);
    g.principal();
    app::ZylForPri& w = g.p->pri();
    g.clic(*w.ZylCmd[2]);  // "Téndro"
    const std::size_t antes = g.cajas.size();
    g.clic(w.comando(3));  // "&Leer"
    ASSERT_TRUE(g.espera([&] { return g.cajas.size() > antes && w.ZylTexEst->text() == "Zylma"; }));
    EXPECT_NE(g.cajas.back().texto.find("\"Clave\""), std::string::npos) << g.cajas.back().texto;
    EXPECT_EQ(w.ZylTexResCla->text(), "");

    QTest::qWait(300);
    g.line->stop();
    const std::size_t tramas = g.line->device().frames().size();
    g.line->start();
    const std::size_t cajas = g.cajas.size();
    g.clic(w.comando(2));  // "&Verificar"
    ASSERT_EQ(g.cajas.size(), cajas + 1);
    EXPECT_EQ(g.cajas.back().titulo, "ZYLMA");
    EXPECT_NE(g.cajas.back().texto.find("\"Clave\""), std::string::npos) << g.cajas.back().texto;
    QTest::qWait(5500);
    g.line->stop();
    EXPECT_EQ(g.line->device().frames().size(), tramas);
}

}  // namespace
