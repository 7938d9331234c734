// What the drawn windows look like where a user can be failed by it: model buttons that cover
// panel fields or each other, boxes and windows too narrow for their titles, buttons in English.
#include "gui_fixture.h"
#include "zylma/admin/acceso.h"
#include "zylma/app/monitor.h"
#include "zylma/app/zyl_for_pri.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

using namespace zylma;
using zylma::testing::Gui;

namespace {

QRect enVentana(QWidget* w) { return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size()); }

// Every widget drawn inside `root` (a panel, the restriction area), at any depth.
void dibujados(QWidget* root, std::vector<QWidget*>& out) {
    for (QObject* o : root->children())
        if (auto* c = qobject_cast<QWidget*>(o); c && c->isVisible() && !c->isWindow()) {
            out.push_back(c);
            dibujados(c, out);
        }
}

// In both layouts, with each model's panel shown by its button: every visible model button can
// be clicked (it is the widget under its own centre), none lies on another, and none covers any
// control of a panel, of the restriction area or of the command bar.
TEST(Layout, ModelButtonsCoverNoPanelControlAndEachCanBeClicked) {
    for (const char* clase : {"Gardomelinta", "PC"}) {
        SCOPED_TRACE(clase);
        Gui g;
        g.instala(clase);
        g.principal();
        app::ZylForPri& w = g.p->pri();
        QWidget* win = g.ventana(w);
        std::vector<QWidget*> botones;
        for (forms::Button* b : w.ZylCmd)
            if (b->visible()) botones.push_back(g.w(*b));
        ASSERT_EQ(botones.size(), 11u);  // the eleven names of the software record
        for (std::size_t i = 0; i < botones.size(); ++i) {
            SCOPED_TRACE(botones[i]->property("text").toString().toStdString());
            for (std::size_t j = i + 1; j < botones.size(); ++j)
                EXPECT_FALSE(enVentana(botones[i]).intersects(enVentana(botones[j])))
                    << "on " << botones[j]->property("text").toString().toStdString();
            // Clicked where a user aims: its centre, and whatever lies there takes the click.
            const QPoint centro = enVentana(botones[i]).center();
            ASSERT_EQ(win->childAt(centro), botones[i]) << "something lies over it";
            g.clic(botones[i]);
            g.activa(w);
            std::vector<QWidget*> controles;
            for (forms::Frame* f : w.paneles)
                if (f->shown()) dibujados(g.w(*f), controles);
            for (forms::Control* c : w.controls())
                if (c->container() == nullptr && c->kind() != forms::Kind::Timer && c->shown() &&
                    c->name().rfind("ZylCmd", 0) != 0)
                    if (QWidget* wd = g.host->widgetOf(*c)) {
                        controles.push_back(wd);
                        dibujados(wd, controles);
                    }
            for (QWidget* control : controles)
                for (QWidget* b : botones)
                    EXPECT_FALSE(enVentana(b).intersects(enVentana(control)))
                        << b->property("text").toString().toStdString() << " covers "
                        << control->metaObject()->className() << " "
                        << control->property("text").toString().toStdString();
        }
        g.foto(w, std::string("main-") + clase + ".png");
    }
}

// The title font: the application's font in bold, as a title bar draws it.
int anchoTitulo(const QString& titulo) {
    QFont f = QApplication::font();
    f.setBold(true);
    return QFontMetrics(f).horizontalAdvance(titulo);
}

// Qt's own Spanish translation gives the standard buttons; each box is at least as wide as its
// title, the retry boxes' one-character texts included.
TEST(Layout, MessageBoxesReadInSpanishAndAreAsWideAsTheirTitles) {
    Gui g;
    g.instala();
    g.principal();
    struct Caso {
        const char* titulo;
        const char* texto;
        int estilo;
        std::vector<std::string> botones;
    };
    const std::vector<Caso> casos = {
        {"ZYLMA", "1", forms::vbOKOnly, {"Aceptar"}},
        {"ERROR EN LA CLAVE", "Solo se admiten numeros", forms::vbOKOnly, {"Aceptar"}},
        {"Inicio de sesión", "La contraseña no es válida. Vuelva a intentarlo", forms::vbOKOnly, {"Aceptar"}},
        {"ZYLMA", "No existe archivo de configuración. Crear uno nuevo?", forms::vbYesNo, {"Sí", "No"}},
        {"ZYLMA", "¿Desea reemplazar ?", forms::vbOKCancel, {"Aceptar", "Cancelar"}},
        {"ZYLMA", "?", forms::vbYesNoCancel, {"Sí", "No", "Cancelar"}},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.texto);
        g.cajas.clear();
        g.host->msgBox(c.texto, c.estilo, c.titulo);
        ASSERT_EQ(g.cajas.size(), 1u);
        EXPECT_EQ(g.cajas[0].titulo, c.titulo);
        std::vector<std::string> vistos = g.cajas[0].botones, esperados = c.botones;
        std::sort(vistos.begin(), vistos.end());  // the box orders them by the platform's rule
        std::sort(esperados.begin(), esperados.end());
        EXPECT_EQ(vistos, esperados);
        EXPECT_GE(g.cajas[0].ancho, anchoTitulo(QString::fromUtf8(c.titulo)));
    }
}

// Without the translation file the boxes keep Qt's English and nothing fails.
TEST(Layout, AMissingTranslationLeavesTheButtonsInEnglish) {
    Gui g;
    g.instala();
    EXPECT_FALSE(qt::installSpanishTranslation("/nonexistent/zylma"));
    g.host = std::make_unique<qt::QtHost>();
    g.cajas.clear();
    EXPECT_EQ(g.host->msgBox("1", forms::vbOKCancel, "ZYLMA"), forms::vbOK);
    ASSERT_EQ(g.cajas.size(), 1u);
    std::vector<std::string> vistos = g.cajas[0].botones;
    std::sort(vistos.begin(), vistos.end());
    EXPECT_EQ(vistos, (std::vector<std::string>{"Cancel", "OK"}));
}

// Every window the user meets shows its title whole: the window is as wide as the title with
// room for a title bar's icon and its three buttons (24 pixels each).
TEST(Layout, WindowsAreWideEnoughForTheirTitles) {
    Gui g;
    g.instala();
    g.arranca();
    g.p->NumPuerto = 1;
    auto& login = g.p->ventana<admin::ZylFrmLogin>();
    auto& puerto = g.p->ventana<admin::ZylFrmSelPort>();
    std::vector<forms::Form*> ventanas = {&login, &puerto, static_cast<forms::Form*>(&g.p->pri()),
                                          static_cast<forms::Form*>(&g.p->monitor())};
    for (forms::Form* f : ventanas) {
        QWidget* v = g.host->ensureWindow(*f);
        SCOPED_TRACE(f->caption());
        EXPECT_GE(v->width(), anchoTitulo(QString::fromStdString(f->caption())) + 4 * 24);
    }
}

}  // namespace
