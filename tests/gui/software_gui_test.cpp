// The software editor as the engineer meets it: opened from the main window's menu with the
// keyboard, edited with keys and clicks on the drawn boxes.
#include "gui_fixture.h"
#include "zylma/admin/acceso.h"
#include "zylma/admin/software.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/records/records.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace zylma;
using zylma::testing::Gui;

namespace {

struct SoftwareGui : ::testing::Test {
    Gui g;
    records::Record leeSoftware() {
        records::Record r;
        EXPECT_EQ(records::readSingle(records::pathSoftware(g.folder.path()), records::RegistroSoftware, r),
                  records::Status::Ok);
        return r;
    }
    // Over whatever the box holds, as a user does it.
    void reescribe(const forms::TextBox& t, const QString& texto) {
        g.clic(t);
        g.tecla(g.w(t), Qt::Key_A, Qt::ControlModifier);
        g.teclas(g.w(t), texto);
    }
};

// Opened from "&Configuración" > "&Software" it already shows the stored record; a time-out of
// 0 typed over it is refused naming the box, and nothing is written; 12 is then saved with
// every model name kept.
TEST_F(SoftwareGui, OpensOnTheRecordAndRefusesATimeOutOfZeroNamingIt) {
    g.instala();
    g.conectaSimulador();
    g.arranca();
    auto* puerto = g.entraComoIngeniero();
    ASSERT_NE(puerto, nullptr);
    ASSERT_TRUE(g.espera([&] { return g.ventana(*puerto) && g.ventana(*puerto)->isVisible(); }));
    g.eligeEnLista(*puerto->ZylCmbNumPort, "1");
    ASSERT_TRUE(g.p->priExiste());

    // A click on the menu bar's "Configuración", then on "Software" in the menu it drops.
    g.activa(g.p->pri());
    auto* barra = g.ventana(g.p->pri())->findChild<QMenuBar*>();
    ASSERT_NE(barra, nullptr);
    QAction* configuracion = nullptr;
    for (QAction* a : barra->actions())
        if (a->text() == "&Configuración") configuracion = a;
    ASSERT_NE(configuracion, nullptr);
    QTest::mouseClick(barra, Qt::LeftButton, Qt::NoModifier, barra->actionGeometry(configuracion).center());
    ASSERT_TRUE(g.espera([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; }));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QAction* software = nullptr;
    for (QAction* a : menu->actions())
        if (a->text() == "&Software") software = a;
    ASSERT_NE(software, nullptr);
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(software).center());
    auto* e = g.p->ventanaSiExiste<admin::ZylFrmCPri>();
    ASSERT_NE(e, nullptr);
    ASSERT_TRUE(g.espera([&] { return g.ventana(*e) && g.ventana(*e)->isVisible(); }));
    EXPECT_EQ(g.como<QLineEdit>(*e->ZylTexE[2])->text().toStdString(), "Téndro");
    EXPECT_EQ(g.como<QLineEdit>(*e->ZylTexE[21])->text().toStdString(), "10");
    g.foto(*e, "software-editor.png");

    const records::Record antes = leeSoftware();
    g.activa(*e);
    reescribe(*e->ZylTexE[21], "0");
    g.clic(*e->ZylCmdCPConGra);
    ASSERT_EQ(g.cajas.size(), 1u);
    EXPECT_NE(g.cajas[0].texto.find("TimeOut"), std::string::npos) << g.cajas[0].texto;
    EXPECT_EQ(g.cajas[0].texto.find("Reintentos"), std::string::npos) << g.cajas[0].texto;
    EXPECT_EQ(leeSoftware(), antes);
    EXPECT_TRUE(g.ventana(*e)->isVisible());

    reescribe(*e->ZylTexE[21], "12");
    // The question's default button, its first: yes, in whatever language the buttons speak.
    g.clic(*e->ZylCmdCPConGra);
    ASSERT_EQ(g.cajas.size(), 2u);
    ASSERT_EQ(g.cajas[1].botones.size(), 2u);
    EXPECT_EQ(g.cajas[1].pulsado, g.cajas[1].botones[0]);
    const records::Record r = leeSoftware();
    EXPECT_EQ(r[24], "12");
    for (int i = 0; i < 20; ++i) EXPECT_EQ(r[i], antes[i]) << "field " << i;
    EXPECT_EQ(r[25], antes[25]);
    EXPECT_EQ(r[26], antes[26]);
}

}  // namespace
