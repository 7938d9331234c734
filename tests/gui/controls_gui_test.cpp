// Each control kind as the form sees it when the user works the drawn widget: one table of
// gestures per kind, on the program's own windows.
#include "gui_fixture.h"
#include "zylma/admin/acceso.h"
#include "zylma/admin/selector.h"
#include "zylma/app/monitor.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/records/records.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace zylma;
using zylma::testing::Gui;

namespace {

struct Controls : ::testing::Test {
    Gui g;
    void SetUp() override {
        g.instala();
        g.conectaSimulador();
        g.principal();
    }
    app::ZylForPri& w() { return g.p->pri(); }
    app::ZylForMonitor& monitor() {
        app::ZylForMonitor& m = g.p->monitor();
        m.show();
        g.activa(m);
        return m;
    }
};

// A text box: the form's text follows each edit where the caret is, and Change runs once for
// each keystroke that changes it.
TEST_F(Controls, TextBoxTakesEveryEditAtTheCaret) {
    app::ZylForMonitor& m = monitor();
    forms::TextBox& t = *m.ZylTexMon[7];
    int cambios = 0;
    t.onChange = [&] { ++cambios; };  // counts what the form sees; nothing is driven through it
    QWidget* caja = g.w(t);
    g.clic(caja);
    struct Caso {
        const char* gesto;
        std::function<void()> hace;
        const char* texto;
        int cambios;
    };
    const std::vector<Caso> casos = {
        {"typing", [&] { g.teclas(caja, "ABC"); }, "ABC", 3},
        {"Home, then a character", [&] { g.tecla(caja, Qt::Key_Home); g.teclas(caja, "X"); }, "XABC", 1},
        {"Delete after the caret", [&] { g.tecla(caja, Qt::Key_Delete); }, "XBC", 1},
        {"End, Backspace", [&] { g.tecla(caja, Qt::Key_End); g.tecla(caja, Qt::Key_Backspace); }, "XB", 1},
        {"a selection typed over",
         [&] { g.tecla(caja, Qt::Key_A, Qt::ControlModifier); g.teclas(caja, "Z"); }, "Z", 1},
        {"a paste is one edit",
         [&] {
             QGuiApplication::clipboard()->setText("123");
             g.tecla(caja, Qt::Key_V, Qt::ControlModifier);
         },
         "Z123", 1},
        {"Ctrl+Z undoes nothing behind the form", [&] { g.tecla(caja, Qt::Key_Z, Qt::ControlModifier); }, "Z123", 0},
        {"arrows move only", [&] { g.tecla(caja, Qt::Key_Left); g.tecla(caja, Qt::Key_Right); }, "Z123", 0},
    };
    for (const Caso& c : casos) {
        cambios = 0;
        c.hace();
        EXPECT_EQ(t.text(), c.texto) << c.gesto;
        EXPECT_EQ(cambios, c.cambios) << c.gesto;
        EXPECT_EQ(g.como<QLineEdit>(t)->text().toStdString(), c.texto) << c.gesto;
    }
}

// An editable combo box: typed text is the combo's text (Change each edit, list index -1, even
// when it spells an entry); a pick by the mouse or by the list keys selects (Click). Leaving the
// box picks nothing.
TEST_F(Controls, ComboBoxTypedTextStaysTypedAndOnlyAPickSelects) {
    app::ZylForMonitor& m = monitor();
    forms::ComboBox& c = *m.ZylComMon;
    std::vector<std::string> visto;
    const auto cambio = c.onChange;
    const auto clic = c.onClick;
    c.onChange = [&] {
        visto.push_back("change");
        if (cambio) cambio();
    };
    c.onClick = [&] {
        visto.push_back("click");
        if (clic) clic();
    };
    QWidget* combo = g.w(c);
    struct Caso {
        const char* gesto;
        std::function<void()> hace;
        const char* texto;
        int indice;
        std::vector<std::string> eventos;
    };
    const std::vector<Caso> casos = {
        {"a pick with the mouse", [&] { g.eligeEnLista(c, "Lectura"); }, "Lectura", 0, {"click"}},
        {"typing over it",
         [&] {
             g.clic(combo);
             g.tecla(combo, Qt::Key_A, Qt::ControlModifier);
             g.teclas(combo, "Pr");
         },
         "Pr", -1, {"change", "change"}},
        {"typing that spells an entry",
         [&] {
             g.tecla(combo, Qt::Key_A, Qt::ControlModifier);
             g.teclas(combo, "Escritura");
         },
         "Escritura", -1, std::vector<std::string>(9, "change")},
        {"the focus leaving", [&] { g.clic(*m.ZylTexMon[7]); }, "Escritura", -1, {}},
        {"Backspace at the end", [&] { g.clic(combo); g.tecla(combo, Qt::Key_End); g.tecla(combo, Qt::Key_Backspace); },
         "Escritur", -1, {"change"}},
        {"a list key is a pick", [&] { g.tecla(combo, Qt::Key_Down); }, "Lectura", 0, {"click"}},
        {"Enter adds nothing to the list", [&] { g.tecla(combo, Qt::Key_Return); }, "Lectura", 0, {}},
    };
    for (const Caso& k : casos) {
        visto.clear();
        k.hace();
        EXPECT_EQ(c.text(), k.texto) << k.gesto;
        EXPECT_EQ(c.listIndex(), k.indice) << k.gesto;
        EXPECT_EQ(visto, k.eventos) << k.gesto;
    }
    EXPECT_EQ(g.como<QComboBox>(c)->count(), static_cast<int>(c.list().size()));
}

// A check box toggles on a left click anywhere on the control, mark, caption or the empty room
// after it, and on Space; a right press never toggles.
TEST_F(Controls, CheckBoxTogglesOnAClickAnywhereOnItAndOnSpace) {
    g.clic(*w().ZylCmd[1]);  // Sonobrisa: the restriction area shows
    forms::CheckBox& c = *w().ZylChkRes[0];
    QWidget* caja = g.w(c);
    ASSERT_TRUE(caja->isVisible());
    const int alto = caja->height() / 2;
    const int finTexto = QFontMetrics(caja->font()).horizontalAdvance(QString::fromStdString(c.caption())) + 24;
    ASSERT_LT(finTexto + 10, caja->width()) << "the case of the empty room needs a box wider than its caption";
    struct Caso {
        const char* donde;
        std::function<void()> hace;
        int valor;
    };
    const std::vector<Caso> casos = {
        {"on the mark", [&] { g.clic(caja, QPoint(6, alto)); }, 1},
        {"on the caption", [&] { g.clic(caja, QPoint(30, alto)); }, 0},
        {"on the empty room after the caption", [&] { g.clic(caja, QPoint(caja->width() - 4, alto)); }, 1},
        {"Space", [&] { caja->setFocus(); g.tecla(caja, Qt::Key_Space); }, 0},
        {"a right press (its command pop-up dismissed)",
         [&] {
             g.enElPopup([](QMenu& menu) { QTest::keyClick(&menu, Qt::Key_Escape); });
             g.clic(caja, QPoint(6, alto), Qt::RightButton);
         },
         0},
    };
    for (const Caso& k : casos) {
        k.hace();
        EXPECT_EQ(c.value(), k.valor) << k.donde;
        EXPECT_EQ(qobject_cast<QAbstractButton*>(caja)->isChecked(), k.valor == 1) << k.donde;
    }
}

// A command button: a click, Space or Enter on it, and its mnemonic, each press it once.
TEST_F(Controls, ButtonIsPressedByClickSpaceEnterAndMnemonic) {
    app::ZylForMonitor& m = monitor();
    forms::Button& borrar = *m.ZylCmdMon[3];  // "&Borrar" empties the frame boxes
    QWidget* b = g.w(borrar);
    struct Caso {
        const char* gesto;
        std::function<void()> hace;
    };
    const std::vector<Caso> casos = {
        {"click", [&] { g.clic(b); }},
        {"Space", [&] { b->setFocus(); g.tecla(b, Qt::Key_Space); }},
        {"Enter", [&] { b->setFocus(); g.tecla(b, Qt::Key_Return); }},
        {"Alt+B", [&] { g.clic(*m.ZylTexMon[7]); g.mnemonico(Qt::Key_B); }},
    };
    for (const Caso& k : casos) {
        m.ZylTexMon[4]->setText("024500");  // a received frame to clear (set by the test, not a gesture)
        k.hace();
        EXPECT_EQ(m.ZylTexMon[4]->text(), "") << k.gesto;
    }
}

// Menu-bar entries with items open them by click or Alt+letter; entries without items run at
// once. Two captions sharing a letter ("&Colgar" and "&Configuración") are reached in turn by
// Alt+C, and neither is pressed by it.
TEST_F(Controls, MenuEntriesByClickAndAltAndASharedLetterGoesToEachInTurn) {
    QMenuBar* barra = g.ventana(w())->findChild<QMenuBar*>();
    ASSERT_NE(barra, nullptr);
    QAction* principal = g.host->barActionOf(*w().ZylMnuPri);
    ASSERT_NE(principal, nullptr);
    g.clic(barra, barra->actionGeometry(principal).center());
    EXPECT_EQ(QApplication::activePopupWidget(), g.host->barMenuOf(*w().ZylMnuPri));
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    g.activa(w());
    g.tecla(Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(QApplication::activePopupWidget(), g.host->barMenuOf(*w().ZylMnuPri));
    if (QWidget* p = QApplication::activePopupWidget()) p->close();

    g.activa(w());
    QWidget* colgar = g.w(w().comando(1));
    bool menuAbierto = false, colgarAlcanzado = false;
    for (int i = 0; i < 2; ++i) {
        g.mnemonico(Qt::Key_C);
        if (QWidget* p = QApplication::activePopupWidget()) {
            menuAbierto = menuAbierto || p == g.host->barMenuOf(*w().ZylMnuCon);
            p->close();
            g.activa(w());
        } else {
            colgarAlcanzado = colgarAlcanzado || g.foco() == colgar;
        }
    }
    EXPECT_TRUE(menuAbierto);
    EXPECT_TRUE(colgarAlcanzado);
    QTest::qWait(200);
    g.line->stop();
    EXPECT_TRUE(g.line->device().frames().empty()) << "\"&Colgar\" was pressed by its shared letter";
}

// Option buttons (the set-up wizard's models) are selected by a click anywhere on them; the
// operating system typed into the wizard's combo is the one the confirmation names.
TEST(Wizard, OptionButtonsByClickAndATypedSystemGoesToTheConfirmation) {
    Gui g;
    g.instala();
    const std::string kwmd = records::sharedFolder(g.folder.path()) + "/KWMD.DLL";
    std::ofstream(kwmd) << "kit";
    g.arranca();
    auto* s = g.p->ventanaSiExiste<admin::frmSelector>();
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(g.espera([&] { return g.ventana(*s) && g.ventana(*s)->isVisible(); }));
    g.activa(*s);
    for (int i : {2, 7}) {
        QWidget* op = g.w(*s->chkEquipoGardomelinta[i]);
        g.clic(op, QPoint(op->width() - 3, op->height() / 2));
        EXPECT_EQ(s->ModeloInstalado, i);
        for (int j = 0; j < 10; ++j)
            EXPECT_EQ(s->chkEquipoGardomelinta[j]->value(), j == i ? 1 : 0) << j;
    }
    g.clic(*s->cmbSelSistemaOperativo);
    g.tecla(Qt::Key_A, Qt::ControlModifier);
    g.teclas("Linux");
    g.respuestas = {"No"};  // nothing is installed
    g.clic(*s->cmdSelAceptar);
    ASSERT_EQ(g.cajas.size(), 1u);
    EXPECT_NE(g.cajas[0].texto.find("Sistema Operativo: Linux "), std::string::npos) << g.cajas[0].texto;
    EXPECT_TRUE(std::filesystem::exists(kwmd));
    g.foto(*s, "wizard.png");
}

}  // namespace
