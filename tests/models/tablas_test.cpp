// Every model unit's trigger and field-check rows against the main window they are wired to: a
// misspelt control or index would switch a trigger or a check off without a word, since the
// wiring skips a row whose control is missing.
#include "modelos_fixture.h"

#include "zylma/forms/control.h"

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::ProgramHarness;

namespace {

TEST(TablasModelos, EveryRowReachesItsControlAndRecordsItsCommand) {
    AppFolder folder;
    folder.writeSoftware(AppFolder::softwareRecord());
    ProgramHarness h(folder.path());
    models::RegistraModelos(h.programa->modelos());
    Programa& p = *h.programa;
    ZylForPri& w = p.pri();
    for (const ModeloEquipo& m : p.modelos().todos()) {
        for (const Disparador& d : m.disparadores) {
            SCOPED_TRACE(m.nombre + ": " + d.control + "(" + std::to_string(d.indice) + ")");
            forms::Control* c = w.find(d.control, d.indice);
            ASSERT_NE(c, nullptr);
            p.NumeroComando = "";
            p.IndiceComando = "";
            // The pop-up is left unanswered: only what the gesture records is looked at.
            switch (d.gesto) {
            case Gesto::PulsacionDerecha:
                ASSERT_TRUE(c->onMouseDown);
                c->onMouseDown(forms::MouseButton::Right, 0);
                break;
            case Gesto::DobleClic:
                ASSERT_TRUE(c->onDblClick);
                c->onDblClick();
                break;
            case Gesto::Clic:
                ASSERT_TRUE(c->onClick);
                c->onClick();
                break;
            }
            EXPECT_EQ(p.NumeroComando, d.numero);
            if (d.pasaIndice) EXPECT_EQ(p.IndiceComando, std::to_string(d.indice + d.desplazamientoIndice));
        }
        for (const Validador& v : m.validadores) {
            SCOPED_TRACE(m.nombre + ": check of " + v.control + "(" + std::to_string(v.indice) + ")");
            auto* caja = w.findAs<forms::TextBox>(v.control, v.indice);
            ASSERT_NE(caja, nullptr);
            EXPECT_TRUE(caja->onChange);
        }
    }
}

}  // namespace
