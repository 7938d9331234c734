// The main paths as a user walks them, with keys and clicks on the drawn windows only.
#include "gui_fixture.h"
#include "zylma/admin/acceso.h"
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
