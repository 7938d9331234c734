// The administration windows as the engineering user works them: the frame monitor's command
// table, the configuration editor and the software editor, each with a name typed into its
// combo box, and the credentials window that follows a software save.
#include "gui_fixture.h"
#include "zylma/admin/cap_login.h"
#include "zylma/admin/configuracion.h"
#include "zylma/admin/software.h"
#include "zylma/app/monitor.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/records/records.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace zylma;
using zylma::testing::Gui;

namespace {

std::vector<records::Record> tabla(const std::string& ruta, const records::RecordKind& k) {
    std::vector<records::Record> out;
    records::scanTable(ruta, k, [&](int, const records::Record& r) {
        if (!r[0].empty()) out.push_back(r);
        return true;
    });
    return out;
}

struct Admin : ::testing::Test {
    Gui g;
    void SetUp() override {
        g.instala();
        g.conectaSimulador();
        g.principal();
    }
    app::ZylForPri& w() { return g.p->pri(); }
    QMenuBar* barra() { return g.ventana(w())->findChild<QMenuBar*>(); }
    // Replaces a combo's or a box's text as a user does: click, select all, type.
    void reescribe(const forms::Control& c, const QString& texto) {
        g.clic(c);
        g.tecla(Qt::Key_A, Qt::ControlModifier);
        g.teclas(texto);
    }
};

// "&Monitor" has no items: a click on it, Alt+M and the arrows along the bar all open the frame
// monitor. A name typed over the picked "Lectura" is a new name: saving it appends a NEW entry and
// leaves "Lectura" alone.
TEST_F(Admin, MonitorOpensByClickAndAltMAndSavesATypedNameAsANewEntry) {
    QAction* monitor = g.host->barActionOf(*w().ZylMnuMon);
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(monitor->menu(), nullptr);
    g.clic(barra(), barra()->actionGeometry(monitor).center());
    app::ZylForMonitor& m = g.p->monitor();
    ASSERT_TRUE(g.espera([&] { return g.ventana(m) && g.ventana(m)->isVisible(); }));
    g.ventana(m)->close();  // the close box only hides it
    EXPECT_FALSE(g.ventana(m)->isVisible());
    g.activa(w());
    g.mnemonico(Qt::Key_M);
    ASSERT_TRUE(g.espera([&] { return g.ventana(m)->isVisible(); }));
    // And by the arrows: from "&Principal" along the bar to "&Monitor", then Enter.
    g.ventana(m)->close();
    g.activa(w());
    g.tecla(Qt::Key_P, Qt::AltModifier);
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    g.tecla(QApplication::activePopupWidget(), Qt::Key_Right);
    g.tecla(QApplication::activePopupWidget(), Qt::Key_Right);
    QWidget* enfocado = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : barra();
    g.tecla(enfocado, Qt::Key_Return);
    ASSERT_TRUE(g.espera([&] { return g.ventana(m)->isVisible(); }));
    g.activa(m);

    g.eligeEnLista(*m.ZylComMon, "Lectura");
    const std::string lectura = m.ZylTexMon[7]->text();
    EXPECT_FALSE(lectura.empty());
    reescribe(*m.ZylComMon, "Prueba");
    EXPECT_EQ(m.ZylComMon->text(), "Prueba");
    EXPECT_EQ(m.ZylComMon->listIndex(), -1);
    reescribe(*m.ZylTexMon[7], "XYZ");
    g.clic(*m.ZylCmdMon[2]);  // "&Aplicar"
    g.clic(*m.ZylCmdMon[1]);  // "&Grabar"
    g.foto(m, "monitor.png");
    const auto t = tabla(records::pathComandos(g.folder.path()), records::RegistroComando);
    ASSERT_FALSE(t.empty());
    EXPECT_EQ(t.back()[0], "Prueba");
    EXPECT_EQ(t.back()[1], "XYZ");
    int lecturas = 0;
    for (const auto& r : t)
        if (r[0] == "Lectura") {
            ++lecturas;
            EXPECT_EQ(r[1], lectura);
        }
    EXPECT_EQ(lecturas, 1);
    EXPECT_TRUE(g.cajas.empty()) << g.cajas.front().texto;
}

// A model name typed into the configuration editor is the one saved: no "No se ha seleccionado
// equipo", and the record and the equipment list carry the typed name.
// A record picked from the list shows its restriction names whole.
TEST_F(Admin, ConfigurationEditorSavesUnderATypedModelName) {
    ASSERT_EQ(records::saveAt(records::pathEquipo(g.folder.path()), records::RegistroEquipo, {"Omnivelda", "1"}, 1),
              records::Status::Ok);
    g.eligeMenu(*w().ZylMnuCon, *w().ZylMnuConE);
    auto* c = g.p->ventanaSiExiste<admin::ZylFrmConf>();
    ASSERT_NE(c, nullptr);
    ASSERT_TRUE(g.espera([&] { return g.ventana(*c) && g.ventana(*c)->isVisible(); }));
    g.activa(*c);
    g.eligeEnLista(*c->ZylComVis, "Omnivelda");
    EXPECT_EQ(c->ZylComVis->text(), "Omnivelda");
    g.foto(*c, "configuration-loaded.png");
    for (forms::TextBox* nombre : c->ZylTexRes) {
        auto* le = g.como<QLineEdit>(*nombre);
        ASSERT_NE(le, nullptr);
        // The text and the box's frame and margins (a few pixels each side).
        EXPECT_LE(le->fontMetrics().horizontalAdvance(le->text()) + 10, le->width()) << nombre->text();
    }
    reescribe(*c->ZylComVis, "Sonobrisa");
    reescribe(*c->ZylTexFirm, "12");
    reescribe(*c->ZylTexIde, "77");
    g.respuestas = {"Aceptar"};  // replace the record
    g.clic(*c->ZylCmdGra);
    g.foto(*c, "configuration-editor.png");
    for (const auto& caja : g.cajas) EXPECT_NE(caja.texto, "No se ha seleccionado equipo");
    records::Record r;
    ASSERT_EQ(records::readSingle(records::pathConfiguracion(g.folder.path(), "Sonobrisa", "12"),
                                  records::RegistroConfiguracion, r),
              records::Status::Ok);
    EXPECT_EQ(r[41], "Sonobrisa");
    EXPECT_EQ(r[42], "77");
    const auto equipos = tabla(records::pathEquipo(g.folder.path()), records::RegistroEquipo);
    ASSERT_FALSE(equipos.empty());
    EXPECT_EQ(equipos.back()[0], "Sonobrisa");
    EXPECT_EQ(equipos.back()[1], "77");
}

// A new user typed over a picked one is a new user: "beto" goes in as user 6 and user 5 stays.
// The software save then stores -1 as the list index of a typed name, and the credentials window
// that follows takes its two texts by their labels' mnemonics.
TEST_F(Admin, SoftwareEditorAddsATypedUserAndStoresNoListIndexForIt) {
    const std::string usuarios = records::pathUsuarios(g.folder.path());
    ASSERT_EQ(records::saveAt(usuarios, records::RegistroUsuario, {"ana", "5", "x", "01/12/2026"}, 5),
              records::Status::Ok);
    g.eligeMenu(*w().ZylMnuCon, *w().ZylMnuConC);
    auto* s = g.p->ventanaSiExiste<admin::ZylFrmCPri>();
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(g.espera([&] { return g.ventana(*s) && g.ventana(*s)->isVisible(); }));
    g.activa(*s);
    g.eligeEnLista(*s->ZylComCPUsuarios, "ana");
    EXPECT_EQ(s->ZylTexE[22]->text(), "5");
    reescribe(*s->ZylComCPUsuarios, "beto");
    reescribe(*s->ZylTexE[22], "6");
    reescribe(*s->ZylTexE[24], "y");
    g.clic(*s->ZylCmdUsZylA);
    g.clic(*s->ZylCmdUsZylG);
    const auto t = tabla(usuarios, records::RegistroUsuario);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0][0], "ana");
    EXPECT_EQ(t[0][1], "5");
    EXPECT_EQ(t[1][0], "beto");
    EXPECT_EQ(t[1][1], "6");
    g.foto(*s, "software-editor.png");

    g.respuestas = {"Sí"};
    g.clic(*s->ZylCmdCPConGra);
    records::Record soft;
    ASSERT_EQ(records::readSingle(records::pathSoftware(g.folder.path()), records::RegistroSoftware, soft),
              records::Status::Ok);
    EXPECT_EQ(soft[21], "-1");

    auto* cred = g.p->ventanaSiExiste<admin::frmCapLogin>();
    ASSERT_NE(cred, nullptr);
    ASSERT_TRUE(g.espera([&] { return g.ventana(*cred) && g.ventana(*cred)->isVisible(); }));
    g.activa(*cred);
    g.tecla(Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(g.foco(), g.w(*cred->txtPassword));
    g.teclas("nueva");
    g.tecla(Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(g.foco(), g.w(*cred->txtUsuario));
    g.teclas("beto");
    g.foto(*cred, "credentials.png");
    g.tecla(Qt::Key_Return);
    records::Record c;
    ASSERT_EQ(records::readSingle(records::pathCredenciales(g.folder.path()), records::RegistroCredenciales, c),
              records::Status::Ok);
    EXPECT_EQ(c[0], "beto");
    EXPECT_EQ(c[1], "nueva");
}

}  // namespace
