// The main paths as a user walks them, with keys and clicks on the drawn windows only.
#include "gui_fixture.h"
#include "zylma/admin/acceso.h"
#include "zylma/admin/configuracion.h"
#include "zylma/admin/software.h"
#include "zylma/app/zyl_for_pri.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace zylma;
using zylma::testing::Gui;

namespace {

struct Paths : ::testing::Test {
    Gui g;
};

// Alt+U and Alt+C lead to the boxes after their labels; Enter is "Aceptar". A password typed
// after Alt+C lands in the password box, never in clear in the user-name box.
TEST_F(Paths, LoginByKeyboardAloneLeadsThroughThePortChoiceToTheMainWindow) {
    g.instala();
    g.conectaSimulador();
    g.arranca();
    auto& login = g.p->ventana<admin::ZylFrmLogin>();
    g.activa(login);
    g.tecla(Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(g.foco(), g.w(*login.txtPassword));
    g.teclas("Trufa");
    g.tecla(Qt::Key_U, Qt::AltModifier);
    EXPECT_EQ(g.foco(), g.w(*login.txtUserName));
    g.teclas("Ingenieria");
    EXPECT_EQ(login.txtUserName->text(), "Ingenieria");
    EXPECT_EQ(login.txtPassword->text(), "Trufa");
    EXPECT_EQ(g.como<QLineEdit>(*login.txtPassword)->displayText().toStdString(), "*****");
    g.foto(login, "login.png");
    // Tab from the user name goes to the password box (the label between takes no focus).
    g.tecla(Qt::Key_Tab);
    EXPECT_EQ(g.foco(), g.w(*login.txtPassword));
    g.tecla(Qt::Key_Return);

    auto* puerto = g.p->ventanaSiExiste<admin::ZylFrmSelPort>();
    ASSERT_NE(puerto, nullptr);
    ASSERT_TRUE(g.espera([&] { return g.ventana(*puerto) && g.ventana(*puerto)->isVisible(); }));
    g.foto(*puerto, "port-choice.png");
    // Typing in the port's field chooses nothing; a pick in the list does.
    g.activa(*puerto);
    QWidget* combo = g.w(*puerto->ZylCmbNumPort);
    combo->setFocus();
    g.tecla(combo, Qt::Key_A, Qt::ControlModifier);
    g.teclas(combo, "2");
    EXPECT_FALSE(g.p->priExiste());
    g.eligeEnLista(*puerto->ZylCmbNumPort, "1");
    ASSERT_TRUE(g.p->priExiste());
    EXPECT_EQ(g.p->NumPuerto, 1);
    EXPECT_TRUE(g.ventana(g.p->pri())->isVisible());
    EXPECT_TRUE(g.p->puerto().isOpen());
    EXPECT_TRUE(g.cajas.empty()) << g.cajas.front().texto;
}

}  // namespace

#include "zylma/app/barra.h"
#include "zylma/app/cambio_clave.h"
#include "zylma/app/monitor.h"

#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

namespace {

QRect globalRect(QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); }

// A Téndro on the far end of a pty: a model button, "&Leer" by its mnemonic, a refused
// keystroke, "&Enviar", a right press with its pop-up, and the key-change window.
TEST_F(Paths, ReadEditWriteAndCommandATendroOverThePty) {
    g.instala();
    g.conectaSimulador("00");
    g.principal();
    app::ZylForPri& w = g.p->pri();
    ASSERT_TRUE(g.p->puerto().isOpen());
    g.clic(*w.ZylCmd[2]);  // "Téndro"
    EXPECT_TRUE(g.w(*w.panel("ZylFraTen"))->isVisible());
    g.activa(w);
    // "&Leer" shares its letter with "Ult.&Leído": Alt+L goes to them in turn, and Space presses
    // the one it reached.
    QWidget* leer = g.w(w.comando(3));
    for (int i = 0; i < 2 && g.foco() != leer; ++i) g.tecla(Qt::Key_L, Qt::AltModifier);
    ASSERT_EQ(g.foco(), leer);
    EXPECT_EQ(w.ZylTexEst->text(), "Zylma");  // reached, not pressed
    g.tecla(Qt::Key_Space);
    app::ZylForMonitor& m = g.p->monitor();
    ASSERT_TRUE(g.espera([&] { return m.ZylTexMon[4]->text().size() == 138 && w.ZylTexEst->text() == "Zylma"; },
                         15000))
        << w.ZylTexEst->text();
    EXPECT_EQ(g.p->CodigoEquipo, "00");
    const std::string clave = w.ZylTexResCla->text();
    EXPECT_FALSE(clave.empty());
    g.foto(w, "tendro-read.png");

    // A letter typed into the key box is refused with a message and taken out again; the key is
    // then typed back as it was.
    QWidget* caja = g.w(*w.ZylTexResCla);
    g.clic(caja);
    g.tecla(caja, Qt::Key_A, Qt::ControlModifier);
    const std::size_t antes = g.cajas.size();
    g.teclas(caja, QString::fromStdString(clave.substr(0, 2)) + "x");
    ASSERT_EQ(g.cajas.size(), antes + 1);
    EXPECT_EQ(g.cajas.back().texto.find("Solo se admiten numeros"), 0u) << g.cajas.back().texto;
    EXPECT_EQ(w.ZylTexResCla->text(), clave.substr(0, 2));
    g.teclas(caja, QString::fromStdString(clave.substr(2)));
    EXPECT_EQ(w.ZylTexResCla->text(), clave);

    // "&Enviar": the write command now, the data part when the send timer has run.
    g.activa(w);
    g.mnemonico(Qt::Key_E);
    EXPECT_EQ(w.ZylTexEst->text(), "Escribiendo");
    ASSERT_TRUE(g.espera([&] { return !w.TimerPID->timerEnabled() && g.p->enlace.estado == app::EstadoEnlace::Libre; }, 12000));
    QTest::qWait(500);  // the data frame's last acknowledgements

    // A right press on a restriction pops up "Comando"; "Enviar" there starts the command.
    bool popupVisto = false;
    g.enElPopup([&](QMenu& menu) {
        popupVisto = menu.grab().save(QString::fromStdString(Gui::rutaFoto("popup.png")), "PNG");
        QAction* enviar = menu.actions().first();
        EXPECT_EQ(enviar->text().toStdString(), "Enviar");
        QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(enviar).center());
    });
    g.clic(g.w(*w.ZylChkRes[0]), QPoint(-1, -1), Qt::RightButton);
    EXPECT_TRUE(popupVisto);
    EXPECT_EQ(w.ZylChkRes[0]->value(), 0);  // a right press never toggles
    EXPECT_TRUE(w.TimerPID->timerEnabled());
    // Sent, and its frame through: until then the link turns any other send away.
    ASSERT_TRUE(g.espera([&] { return !w.TimerPID->timerEnabled() && g.p->enlace.estado == app::EstadoEnlace::Libre; },
                         12000));

    // The key box's double-click opens the key-change window beside the box, on screen.
    g.dobleClic(*w.ZylTexResCla);
    auto* v = g.p->ventanaSiExiste<app::ZylForCamCla>();
    ASSERT_NE(v, nullptr);
    QWidget* vv = g.ventana(*v);
    ASSERT_TRUE(vv && vv->isVisible());
    QApplication::processEvents();
    const QRect r = vv->frameGeometry();
    EXPECT_GE(r.left(), globalRect(caja).right()) << "over the key box";
    EXPECT_TRUE(vv->screen()->availableGeometry().contains(r)) << "past the screen's edge";
    g.foto(*v, "key-change.png");
    g.activa(*v);
    g.clic(*v->ZylTextCanCka);
    g.teclas("0");
    ASSERT_FALSE(g.cajas.empty());
    EXPECT_EQ(g.cajas.back().texto, "No se admite 0 al inicio de clave");
    EXPECT_EQ(v->ZylTextCanCka->text(), "");
    g.teclas("4321");
    g.clic(*v->zylCmbCamCla);
    EXPECT_EQ(w.ZylTexResCla->text(), "4321");
    EXPECT_EQ(g.p->ClaveAnterior, clave);
    EXPECT_TRUE(w.TimerPID->timerEnabled());
    ASSERT_TRUE(g.espera([&] { return !w.TimerPID->timerEnabled() && g.p->enlace.estado == app::EstadoEnlace::Libre; },
                         12000));
    QTest::qWait(500);
    g.line->stop();
    // What went out reached the device whole: the read, the write and both commands.
    EXPECT_GE(g.line->device().frames().size(), 4u);
}

}  // namespace

namespace {

// "E&scape" and the close boxes: the main window says "Cerrando Puerto" and ends the program,
// so do the login's and the port window's close boxes (without a word); the key-change window's
// close box sends nothing.
TEST(Closing, EscapeAndTheCloseBoxOfEachWindow) {
    struct Caso {
        const char* gesto;
        std::function<void(Gui&)> hace;
        bool termina;
        std::vector<std::string> mensajes;
    };
    const std::vector<Caso> casos = {
        {"the main window's close box", [](Gui& g) { g.principal(); g.ventana(g.p->pri())->close(); }, true,
         {"Cerrando Puerto"}},
        {"Alt+S on the main window", [](Gui& g) { g.principal(); g.mnemonico(Qt::Key_S); }, true,
         {"Cerrando Puerto"}},
        {"the login's close box",
         [](Gui& g) {
             g.arranca();
             g.ventana(g.p->ventana<admin::ZylFrmLogin>())->close();
         },
         true, {}},
        {"the port window's close box",
         [](Gui& g) {
             g.arranca();
             auto* puerto = g.entraComoIngeniero();
             ASSERT_NE(puerto, nullptr);
             g.ventana(*puerto)->close();
         },
         true, {}},
        {"the editors' and the monitor's close boxes",
         [](Gui& g) {
             g.principal();
             app::ZylForPri& w = g.p->pri();
             const std::vector<std::pair<forms::Menu*, forms::Menu*>> menus = {
                 {w.ZylMnuCon, w.ZylMnuConE}, {w.ZylMnuCon, w.ZylMnuConC}, {w.ZylMnuMon, nullptr}};
             std::vector<forms::Form*> ventanas = {&g.p->ventana<admin::ZylFrmConf>(),
                                                   &g.p->ventana<admin::ZylFrmCPri>(), &g.p->monitor()};
             for (std::size_t i = 0; i < menus.size(); ++i) {
                 forms::Form* f = ventanas[i];
                 g.activa(w);
                 if (menus[i].second) {
                     g.eligeMenu(*menus[i].first, *menus[i].second);
                 } else {
                     g.mnemonico(Qt::Key_M);
                 }
                 ASSERT_TRUE(g.espera([&] { return g.ventana(*f) && g.ventana(*f)->isVisible(); })) << f->caption();
                 g.activa(*f);
                 g.ventana(*f)->close();
                 EXPECT_FALSE(g.ventana(*f) && g.ventana(*f)->isVisible()) << f->caption();
             }
             EXPECT_TRUE(g.ventana(g.p->pri())->isVisible());
         },
         false, {}},
        {"the key-change window's close box",
         [](Gui& g) {
             g.principal();
             g.clic(*g.p->pri().ZylCmd[2]);
             g.dobleClic(*g.p->pri().ZylTexResCla);
             auto* v = g.p->ventanaSiExiste<app::ZylForCamCla>();
             ASSERT_NE(v, nullptr);
             g.teclas(g.w(*v->ZylTextCanCka), "4321");
             g.ventana(*v)->close();
             EXPECT_FALSE(g.ventana(*v) && g.ventana(*v)->isVisible());
             EXPECT_FALSE(g.p->pri().TimerPID->timerEnabled());
             EXPECT_EQ(g.p->pri().ZylTexResCla->text(), "1234");
         },
         false, {}},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.gesto);
        Gui g;
        g.instala();
        g.conectaSimulador();
        c.hace(g);
        EXPECT_EQ(g.host->quitting(), c.termina);
        std::vector<std::string> vistos;
        for (const auto& caja : g.cajas) vistos.push_back(caja.texto);
        EXPECT_EQ(vistos, c.mensajes);
    }
}

}  // namespace
