// The form layer's rules as a user meets them through the real Qt widgets.
#include "qt_test_app.h"
#include "zylma/qt/qt_host.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace zylma::forms;
using zylma::qt::QtHost;
using zylma::qt::testing::app;

namespace {

class QtHostTest : public ::testing::Test {
protected:
    QApplication& a = app();
    QtHost host;
    Form form{host, "ZylForPrueba"};

    template <class W>
    W* widget(const Control& c) {
        W* w = qobject_cast<W*>(host.widgetOf(c));
        EXPECT_NE(w, nullptr) << c.name();
        return w;
    }
    void showAndActivate(Form& f) {
        f.show();
        QWidget* w = host.windowOf(f);
        ASSERT_NE(w, nullptr);
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }
};

// Runs `act` on the first message box that opens (polling, since the box runs its own loop).
void onNextBox(std::function<void(QMessageBox&)> act) {
    auto* t = new QTimer;
    QObject::connect(t, &QTimer::timeout, t, [t, act] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            t->stop();
            t->deleteLater();
            act(*box);
        }
    });
    t->start(10);
}

// ---------------------------------------------------------------- text boxes

TEST_F(QtHostTest, TypingRunsChangeOncePerCharacterAndRespectsMaxLength) {
    auto& t = form.add<TextBox>("ZylTexClave");
    t.setMaxLength(4);
    std::vector<std::string> seen;
    t.onChange = [&] { seen.push_back(t.text()); };
    form.show();
    auto* le = widget<QLineEdit>(t);

    QTest::keyClicks(le, "ABCDEF");
    EXPECT_EQ(t.text(), "ABCD");
    EXPECT_EQ(seen, (std::vector<std::string>{"A", "AB", "ABC", "ABCD"}));
    EXPECT_EQ(le->text().toStdString(), "ABCD");

    // Code is not held to the limit, and the widget shows all of it.
    t.setText("123456789");
    EXPECT_EQ(le->text().toStdString(), "123456789");
    seen.clear();
    QTest::keyClick(le, Qt::Key_End);
    QTest::keyClicks(le, "X");
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(t.text(), "123456789");

    // Backspace is typing too: one change, and the rest stays as code left it.
    QTest::keyClick(le, Qt::Key_Backspace);
    EXPECT_EQ(t.text(), "12345678");
    ASSERT_EQ(seen.size(), 1u);

    // Deleting from the front of an over-long text leaves the rest whole.
    QTest::keyClick(le, Qt::Key_Home);
    QTest::keyClick(le, Qt::Key_Delete);
    EXPECT_EQ(t.text(), "2345678");
    EXPECT_EQ(le->text().toStdString(), "2345678");
    EXPECT_EQ(t.selStart(), 0);
}

TEST_F(QtHostTest, TextFromCodeRunsChangeOnceAndNotAgainThroughTheWidget) {
    auto& t = form.add<TextBox>("ZylTexNumero");
    int changes = 0;
    t.onChange = [&] { ++changes; };
    form.show();
    auto* le = widget<QLineEdit>(t);
    t.setText("5551234");
    QApplication::processEvents();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(le->text().toStdString(), "5551234");
    t.setText("5551234");
    EXPECT_EQ(changes, 1);
    // A change handler that corrects the text (a validator dropping a bad key) shows the result.
    t.onChange = [&] {
        ++changes;
        if (!t.text().empty() && t.text().back() == 'x') t.setText(t.text().substr(0, t.text().size() - 1));
    };
    QTest::keyClick(le, Qt::Key_End);
    QTest::keyClicks(le, "x");
    EXPECT_EQ(t.text(), "5551234");
    EXPECT_EQ(le->text().toStdString(), "5551234");
}

TEST_F(QtHostTest, SelectionMadeInTheWidgetIsWhatTypingReplaces) {
    auto& t = form.add<TextBox>("ZylTexDato");
    form.show();
    auto* le = widget<QLineEdit>(t);
    QTest::keyClicks(le, "ABCD");
    QTest::keyClick(le, Qt::Key_Home);
    QTest::keyClick(le, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(le, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(t.selStart(), 0);
    EXPECT_EQ(t.selLength(), 2);
    // A letter outside ASCII, as a keyboard layout sends it.
    QKeyEvent n(QEvent::KeyPress, Qt::Key_Ntilde, Qt::NoModifier, QStringLiteral("ñ"));
    QApplication::sendEvent(le, &n);
    EXPECT_EQ(t.text(), "ñCD");
    EXPECT_EQ(t.selStart(), 1);
    EXPECT_EQ(le->cursorPosition(), 1);
    // Code's selection shows in the widget.
    t.setSelStart(1);
    t.setSelLength(2);
    EXPECT_EQ(le->selectedText().toStdString(), "CD");
}

TEST_F(QtHostTest, PasteIsOneEditCutToTheRoomLeftAndQtsOwnEditsAreRefused) {
    auto& t = form.add<TextBox>("ZylTexClave");
    t.setMaxLength(4);
    int changes = 0;
    t.onChange = [&] { ++changes; };
    form.show();
    auto* le = widget<QLineEdit>(t);
    QTest::keyClicks(le, "AB");
    changes = 0;
    QGuiApplication::clipboard()->setText("12\n3456");
    QTest::keyClick(le, Qt::Key_Home);
    QTest::keyClick(le, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(t.text(), "12AB");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(t.selStart(), 2);
    // Qt's own editing keys change nothing behind the layer's back.
    for (auto [key, mods] : {std::pair{Qt::Key_Z, Qt::ControlModifier}, std::pair{Qt::Key_Backspace, Qt::ControlModifier},
                             std::pair{Qt::Key_K, Qt::ControlModifier}, std::pair{Qt::Key_H, Qt::ControlModifier},
                             std::pair{Qt::Key_D, Qt::ControlModifier}, std::pair{Qt::Key_U, Qt::ControlModifier},
                             std::pair{Qt::Key_X, Qt::AltModifier}}) {
        QTest::keyClick(le, key, mods);
        EXPECT_EQ(t.text(), "12AB") << key;
        EXPECT_EQ(le->text().toStdString(), "12AB") << key;
    }
    // Moving and selecting with Ctrl stay Qt's.
    QTest::keyClick(le, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(t.selLength(), 4);
}

TEST_F(QtHostTest, KeyPressHandlerCanSwallowAKey) {
    auto& t = form.add<TextBox>("ZylTexDigitos");
    t.onKeyPress = [](int& k) {
        if (k < '0' || k > '9') k = 0;
    };
    form.show();
    QTest::keyClicks(widget<QLineEdit>(t), "1a2-3");
    EXPECT_EQ(t.text(), "123");
}

TEST_F(QtHostTest, EnterPressesTheDefaultButtonAndEscTheCancelButton) {
    auto& t = form.add<TextBox>("ZylTexUsuario");
    auto& ok = form.add<Button>("ZylCmdAceptar");
    auto& cancel = form.add<Button>("ZylCmdCancelar");
    ok.isDefault = true;
    cancel.isCancel = true;
    std::vector<std::string> pressed;
    ok.onClick = [&] { pressed.push_back("ok"); };
    cancel.onClick = [&] { pressed.push_back("cancel"); };
    form.show();
    auto* le = widget<QLineEdit>(t);
    QTest::keyClick(le, Qt::Key_Return);
    QTest::keyClick(le, Qt::Key_Escape);
    EXPECT_EQ(pressed, (std::vector<std::string>{"ok", "cancel"}));
    EXPECT_EQ(t.text(), "");

    // With no default button Enter reaches the box's own KeyPress as 13, and is never typed.
    ok.isDefault = false;
    std::vector<int> keys;
    t.onKeyPress = [&](int& k) { keys.push_back(k); };
    QTest::keyClick(le, Qt::Key_Return);
    EXPECT_EQ(keys, std::vector<int>{13});
    EXPECT_EQ(t.text(), "");
    EXPECT_EQ(pressed.size(), 2u);
}

TEST_F(QtHostTest, FocusMovesBetweenWidgetAndLayerBothWays) {
    auto& a = form.add<TextBox>("ZylTexUsuario");
    auto& b = form.add<TextBox>("ZylTexClave");
    b.move(0, 450);
    a.tabIndex = 0;
    b.tabIndex = 1;
    std::vector<std::string> events;
    a.onLostFocus = [&] { events.push_back("a lost"); };
    b.onGotFocus = [&] { events.push_back("b got"); };
    showAndActivate(form);
    widget<QLineEdit>(a)->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(form.activeControl(), &a);
    QTest::keyClick(widget<QLineEdit>(a), Qt::Key_Tab);
    EXPECT_EQ(form.activeControl(), &b);
    EXPECT_EQ(events, (std::vector<std::string>{"a lost", "b got"}));
    // From code: the widget follows.
    form.setActiveControl(&a);
    EXPECT_TRUE(widget<QLineEdit>(a)->hasFocus());
}

// ---------------------------------------------------------------- check boxes and mouse

TEST_F(QtHostTest, LeftClickOnACheckBoxTogglesOnceAfterMouseDown) {
    auto& c = form.add<CheckBox>("ZylChkRes01");
    c.setCaption("Restricción &1");
    std::vector<std::string> events;
    c.onMouseDown = [&](MouseButton b, int) { events.push_back(b == MouseButton::Left ? "down" : "down?"); };
    c.onClick = [&] { events.push_back("click " + std::to_string(c.value())); };
    form.show();
    auto* w = widget<QCheckBox>(c);

    QTest::mouseClick(w, Qt::LeftButton);
    EXPECT_EQ(c.value(), 1);
    EXPECT_EQ(w->checkState(), Qt::Checked);
    QTest::mouseClick(w, Qt::LeftButton);
    EXPECT_EQ(c.value(), 0);
    EXPECT_EQ(w->checkState(), Qt::Unchecked);
    EXPECT_EQ(events, (std::vector<std::string>{"down", "click 1", "down", "click 0"}));

    // Greyed from code; the user's click makes it checked, never a third Qt state.
    events.clear();
    c.setValue(CheckBox::Grayed);
    EXPECT_EQ(w->checkState(), Qt::PartiallyChecked);
    QTest::mouseClick(w, Qt::LeftButton);
    EXPECT_EQ(c.value(), 1);
    EXPECT_EQ(w->checkState(), Qt::Checked);
    EXPECT_EQ(events, (std::vector<std::string>{"click 2", "down", "click 1"}));
}

TEST_F(QtHostTest, RightPressNeverTogglesButRunsMouseDownWithRight) {
    auto& c = form.add<CheckBox>("ZylChkRes02");
    auto& t = form.add<TextBox>("ZylTexOmnDurL");
    t.move(0, 600);
    int clicks = 0;
    std::vector<MouseButton> downs;
    c.onClick = [&] { ++clicks; };
    c.onMouseDown = [&](MouseButton b, int) { downs.push_back(b); };
    t.onMouseDown = [&](MouseButton b, int) { downs.push_back(b); };
    form.show();
    QTest::mousePress(widget<QCheckBox>(c), Qt::RightButton);
    QTest::mouseRelease(widget<QCheckBox>(c), Qt::RightButton);
    QTest::mousePress(widget<QLineEdit>(t), Qt::RightButton);
    EXPECT_EQ(c.value(), 0);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(downs, (std::vector<MouseButton>{MouseButton::Right, MouseButton::Right}));
}

TEST_F(QtHostTest, DisabledControlTakesNoClick) {
    auto& c = form.add<CheckBox>("ZylChkRes03");
    c.setEnabled(false);
    form.show();
    QTest::mouseClick(widget<QCheckBox>(c), Qt::LeftButton);
    EXPECT_EQ(c.value(), 0);
    EXPECT_FALSE(widget<QCheckBox>(c)->isEnabled());
}

TEST_F(QtHostTest, LabelsTakeClicksAndDoubleClicks) {
    auto& frame = form.add<Frame>("ZylFraFenzo");
    frame.move(0, 0, 4000, 2000);
    int frameClicks = 0;
    frame.onClick = [&] { ++frameClicks; };
    auto& l = form.add<Label>("ZylLabFenzo", -1, &frame);
    l.move(150, 300, 2000, 255);
    l.setCaption("Fenzo && Cía");
    std::vector<std::string> events;
    l.onClick = [&] { events.push_back("click"); };
    l.onDblClick = [&] { events.push_back("dbl"); };
    form.show();
    auto* w = widget<QLabel>(l);
    EXPECT_EQ(w->text().toStdString(), "Fenzo & Cía");
    QTest::mouseClick(w, Qt::LeftButton);
    QTest::mouseDClick(w, Qt::LeftButton);
    EXPECT_EQ(events, (std::vector<std::string>{"click", "dbl"}));
    EXPECT_EQ(frameClicks, 0);  // the frame around it hears nothing
}

TEST_F(QtHostTest, ListChoicesGoThroughTheLayer) {
    auto& combo = form.add<ComboBox>("ZylComModelo");
    combo.style = ComboBox::DropDownList;
    for (const char* s : {"Sonobrisa", "Téndro", "Omnivelda"}) combo.addItem(s);
    auto& list = form.add<ListBox>("ZylLstEquipos");
    list.move(0, 600, 2000, 1500);
    list.addItem("uno");
    list.addItem("dos");
    auto& tabs = form.add<TabStrip>("ZylTabPaneles");
    tabs.tabs = {"&General", "&Restricciones"};
    tabs.move(3000, 0, 3000, 400);
    std::vector<std::string> events;
    combo.onClick = [&] { events.push_back("combo " + combo.text()); };
    list.onClick = [&] { events.push_back("list " + list.text()); };
    tabs.onClick = [&] { events.push_back("tab " + std::to_string(tabs.selected())); };
    form.show();

    auto* cw = widget<QComboBox>(combo);
    EXPECT_FALSE(cw->isEditable());
    cw->setFocus();
    QTest::keyClick(cw, Qt::Key_Down);
    auto* lw = widget<QListWidget>(list);
    QTest::mouseClick(lw->viewport(), Qt::LeftButton, {}, lw->visualItemRect(lw->item(1)).center());
    auto* tw = widget<QTabBar>(tabs);
    QTest::mouseClick(tw, Qt::LeftButton, {}, tw->tabRect(1).center());
    EXPECT_EQ(events, (std::vector<std::string>{"combo Sonobrisa", "list dos", "tab 1"}));
    EXPECT_EQ(combo.listIndex(), 0);

    // A list's items sit in its viewport: presses there reach the control too.
    events.clear();
    list.onMouseDown = [&](MouseButton b, int) { events.push_back(b == MouseButton::Right ? "right" : "left?"); };
    list.onDblClick = [&] { events.push_back("dbl"); };
    QTest::mousePress(lw->viewport(), Qt::RightButton, {}, lw->visualItemRect(lw->item(0)).center());
    QTest::mouseDClick(lw->viewport(), Qt::LeftButton, {}, lw->visualItemRect(lw->item(1)).center());
    EXPECT_EQ(events, (std::vector<std::string>{"right", "dbl"}));
    EXPECT_EQ(list.listIndex(), 1);

    // From code the widgets follow, and nothing comes back through them.
    events.clear();
    combo.setListIndex(2);
    list.setListIndex(0);
    tabs.setSelected(0);
    EXPECT_EQ(cw->currentIndex(), 2);
    EXPECT_EQ(lw->currentRow(), 0);
    EXPECT_EQ(tw->currentIndex(), 0);
    EXPECT_EQ(events, (std::vector<std::string>{"combo Omnivelda", "list uno", "tab 0"}));
}

TEST_F(QtHostTest, EditableComboTypesThroughTheLayer) {
    auto& combo = form.add<ComboBox>("ZylComPuerto");
    combo.addItem("COM1");
    combo.addItem("COM2");
    std::vector<std::string> events;
    combo.onChange = [&] { events.push_back("change " + combo.text()); };
    combo.onClick = [&] { events.push_back("click " + combo.text()); };
    showAndActivate(form);
    auto* cw = widget<QComboBox>(combo);
    ASSERT_TRUE(cw->isEditable());
    // Keys go to the combo, which has the focus, as a user's keystrokes do.
    cw->setFocus();
    QTest::keyClicks(cw, "COM1");
    EXPECT_EQ(events, (std::vector<std::string>{"change C", "change CO", "change COM", "change COM1"}));
    EXPECT_EQ(combo.text(), "COM1");
    EXPECT_EQ(combo.listIndex(), -1);  // typed, not picked, even though it spells an entry
    // The caret is where the user puts it: Home, then a character goes in front.
    events.clear();
    QTest::keyClick(cw, Qt::Key_Home);
    QTest::keyClick(cw, Qt::Key_X);
    QTest::keyClick(cw, Qt::Key_Delete);
    EXPECT_EQ(events, (std::vector<std::string>{"change xCOM1", "change xOM1"}));
    EXPECT_EQ(cw->lineEdit()->text().toStdString(), "xOM1");
    EXPECT_EQ(cw->lineEdit()->cursorPosition(), 1);
    // A key in the list is a pick.
    events.clear();
    QTest::keyClick(cw, Qt::Key_Down);
    EXPECT_EQ(combo.listIndex(), 0);
    EXPECT_EQ(combo.text(), "COM1");
    EXPECT_EQ(events, (std::vector<std::string>{"click COM1"}));
    QTest::keyClick(cw, Qt::Key_Return);
    EXPECT_EQ(cw->count(), 2);  // Enter never adds what was typed to the list
}

// ---------------------------------------------------------------- layout

TEST_F(QtHostTest, GeometryInTwipsFramesHoldTheirChildrenAndLateControlsGetWidgets) {
    auto& frame = form.add<Frame>("ZylFraOmnivelda");
    frame.setCaption("Omnivelda");
    frame.move(150, 300, 4500, 3000);
    auto& inner = form.add<TextBox>("ZylTexOmnDurL", -1, &frame);
    inner.move(300, 450, 1500, 315);
    form.show();
    auto* gb = widget<QGroupBox>(frame);
    auto* le = widget<QLineEdit>(inner);
    EXPECT_EQ(gb->geometry(), QRect(10, 20, 300, 200));
    EXPECT_EQ(le->parentWidget(), gb);
    EXPECT_EQ(le->geometry(), QRect(20, 30, 100, 21));

    // Added while the form is up: drawn at once, inside its frame.
    auto& late = form.add<CheckBox>("ZylChkRes01", 1, &frame);
    late.setCaption("Tarde");
    late.move(300, 900);
    auto* cb = widget<QCheckBox>(late);
    EXPECT_EQ(cb->parentWidget(), gb);
    EXPECT_TRUE(cb->isVisible());
    EXPECT_EQ(cb->text().toStdString(), "Tarde");

    // Hiding the frame hides what is inside it.
    frame.setVisible(false);
    EXPECT_FALSE(le->isVisible());
}

TEST_F(QtHostTest, CaptionsSizedForTheDesktopFontAreNeverCut) {
    auto& l = form.add<Label>("ZylLabOmnDurL");
    l.setCaption("Duración máxima de llamada local");
    l.move(0, 0, 600, 255);
    auto& wrapped = form.add<Label>("ZylLabAviso");
    wrapped.setCaption("El equipo no respondió: revise el cable y vuelva a leer");
    wrapped.move(0, 600, 2400, 500);
    auto& b = form.add<Button>("ZylCmdConfiguracion");
    b.setCaption("&Configuración");
    b.move(0, 1200, 1200, 360);
    form.show();
    auto* lw = widget<QLabel>(l);
    EXPECT_GE(lw->width(), lw->fontMetrics().horizontalAdvance(lw->text()));
    auto* ww = widget<QLabel>(wrapped);
    EXPECT_EQ(ww->width(), 160);
    EXPECT_LE(ww->fontMetrics().boundingRect(QRect(0, 0, 158, 1000), Qt::TextWordWrap, ww->text()).height(),
              ww->height());
    auto* bw = widget<QPushButton>(b);
    EXPECT_EQ(bw->width(), 80);
    EXPECT_LE(bw->fontMetrics().horizontalAdvance("Configuración"), bw->width() - 10);
}

// ---------------------------------------------------------------- menus

TEST_F(QtHostTest, HiddenTopLevelMenuIsNotInTheBarAndItsMnemonicOpensNothing) {
    auto& archivo = form.addMenu("ZylMnuArchivo", "&Archivo");
    archivo.addItem("ZylMnuSalir", "&Salir");
    auto& comando = form.addMenu("ZylMnuComando", "&Comando");
    comando.addItem("ZylMnuEnviar", "&Enviar");
    comando.setVisible(false);
    showAndActivate(form);

    EXPECT_NE(host.barMenuOf(archivo), nullptr);
    EXPECT_EQ(host.barMenuOf(comando), nullptr);
    QWidget* win = host.windowOf(form);
    auto* bar = win->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 1);
    EXPECT_EQ(bar->actions()[0]->text().toStdString(), "&Archivo");

    // The visible menu's mnemonic opens it; the hidden one's opens nothing.
    QTest::keyClick(win, Qt::Key_A, Qt::AltModifier);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), host.barMenuOf(archivo));
    if (QWidget* p = QApplication::activePopupWidget()) p->close();
    QTest::keyClick(win, Qt::Key_C, Qt::AltModifier);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    // Shown again, it comes back in its place.
    comando.setVisible(true);
    ASSERT_EQ(bar->actions().size(), 2);
    EXPECT_EQ(bar->actions()[1]->text().toStdString(), "&Comando");
}

TEST_F(QtHostTest, MenuBarItemRunsItsHandler) {
    auto& archivo = form.addMenu("ZylMnuArchivo", "&Archivo");
    auto& salir = archivo.addItem("ZylMnuSalir", "&Salir");
    auto& oculto = archivo.addItem("ZylMnuOculto", "Oculto");
    oculto.setVisible(false);
    int runs = 0;
    salir.onClick = [&] { ++runs; };
    form.show();
    QMenu* qm = host.barMenuOf(archivo);
    ASSERT_NE(qm, nullptr);
    ASSERT_EQ(qm->actions().size(), 2);
    EXPECT_FALSE(qm->actions()[1]->isVisible());
    qm->actions()[0]->trigger();
    EXPECT_EQ(runs, 1);
    salir.setEnabled(false);
    EXPECT_FALSE(qm->actions()[0]->isEnabled());
}

TEST_F(QtHostTest, PopupOfAHiddenMenuRunsTheChosenItemBeforeItReturns) {
    auto& comando = form.addMenu("ZylMnuComando", "Comando");
    auto& enviar = comando.addItem("ZylMnuEnviar", "&Enviar");
    comando.addItem("ZylMnuNada", "Nada");
    comando.setVisible(false);
    std::vector<std::string> order;
    enviar.onClick = [&] { order.push_back("Enviar"); };
    form.show();

    QTimer::singleShot(50, [] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(popup, nullptr);
        QAction* a = popup->actions().value(0);
        ASSERT_NE(a, nullptr);
        QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(a).center());
    });
    host.popupMenu(comando);
    order.push_back("returned");
    EXPECT_EQ(order, (std::vector<std::string>{"Enviar", "returned"}));

    // The usual road: a right press on a panel field pops the menu up from its MouseDown.
    order.clear();
    auto& campo = form.add<TextBox>("ZylTexSonClave");
    campo.onMouseDown = [&](MouseButton b, int) {
        if (b != MouseButton::Right) return;
        host.popupMenu(comando);
        order.push_back("after popup");
    };
    QTimer::singleShot(50, [] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(popup, nullptr);
        QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(popup->actions().value(0)).center());
    });
    QTest::mousePress(widget<QLineEdit>(campo), Qt::RightButton);
    QTest::mouseRelease(widget<QLineEdit>(campo), Qt::RightButton);
    EXPECT_EQ(order, (std::vector<std::string>{"Enviar", "after popup"}));

    // Dismissed: nothing runs.
    order.clear();
    QTimer::singleShot(50, [] {
        if (QWidget* p = QApplication::activePopupWidget()) QTest::keyClick(p, Qt::Key_Escape);
    });
    host.popupMenu(comando);
    EXPECT_TRUE(order.empty());
}

// ---------------------------------------------------------------- waiting

TEST_F(QtHostTest, MessageBoxAnswersByStyleWhileTimersRun) {
    struct Case {
        int style;
        QMessageBox::StandardButton press;
        int answer;
        QMessageBox::Icon icon;
    };
    const Case cases[] = {
        {vbOKOnly, QMessageBox::Ok, vbOK, QMessageBox::NoIcon},
        {vbOKCancel | vbExclamation, QMessageBox::Cancel, vbCancel, QMessageBox::Warning},
        {vbAbortRetryIgnore | vbCritical, QMessageBox::Retry, vbRetry, QMessageBox::Critical},
        {vbYesNoCancel | vbQuestion, QMessageBox::Cancel, vbCancel, QMessageBox::Question},
        {vbYesNo | vbQuestion, QMessageBox::No, vbNo, QMessageBox::Question},
        {vbRetryCancel | vbInformation, QMessageBox::Retry, vbRetry, QMessageBox::Information},
    };
    auto& timer = form.add<Timer>("TimerEC");
    int ticks = 0;
    timer.onTimer = [&] { ++ticks; };
    timer.setInterval(20);
    timer.setTimerEnabled(true);
    form.show();
    for (const Case& c : cases) {
        ticks = 0;
        QString shownText;
        QMessageBox::Icon shownIcon{};
        onNextBox([&](QMessageBox& box) {
            shownText = box.text();
            shownIcon = box.icon();
            // Let the form's timer tick a few times while the box is up.
            QTimer::singleShot(120, &box, [&box, c] { box.button(c.press)->click(); });
        });
        int answer = host.msgBox("Error de Comunicación <b>", c.style, "ZYLMA");
        EXPECT_EQ(answer, c.answer) << c.style;
        EXPECT_EQ(shownIcon, c.icon) << c.style;
        EXPECT_EQ(shownText, "Error de Comunicación <b>");
        EXPECT_GE(ticks, 2) << c.style;
    }
}

TEST_F(QtHostTest, TimerRestartsFromNowAndStopsWhenDisabled) {
    auto& timer = form.add<Timer>("TimerPID");
    int ticks = 0;
    timer.onTimer = [&] {
        if (++ticks == 3) timer.setTimerEnabled(false);
    };
    timer.setInterval(15);
    timer.setTimerEnabled(true);
    QElapsedTimer clock;
    clock.start();
    std::uint32_t t0 = host.tickCount();
    QTest::qWait(250);
    EXPECT_EQ(ticks, 3);
    EXPECT_GE(host.tickCount() - t0, 200u);
}

TEST_F(QtHostTest, RunModalReturnsWhenTheFormHides) {
    Form dialog(host, "ZylFrmSelPort");
    auto& t = dialog.add<Timer>("TimerCierra");
    t.onTimer = [&] {
        t.setTimerEnabled(false);
        dialog.hide();
    };
    t.setInterval(60);
    // The clock starts with the timer: the wait ends no sooner than the timer fires.
    QElapsedTimer clock;
    clock.start();
    t.setTimerEnabled(true);
    form.show();
    dialog.show(true);
    EXPECT_GE(clock.elapsed(), 50);
    EXPECT_FALSE(dialog.visible());
    EXPECT_FALSE(host.windowOf(dialog)->isVisible());

    // Shown modeless first, then modal: the wait still ends with the hide.
    dialog.show();
    EXPECT_NE(host.windowOf(dialog)->windowModality(), Qt::ApplicationModal);
    bool wasModal = false;
    QTimer::singleShot(30, [&] {
        wasModal = host.windowOf(dialog)->windowModality() == Qt::ApplicationModal;
        dialog.hide();
    });
    dialog.show(true);
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(dialog.visible());
}

TEST_F(QtHostTest, CloseBoxAsksTheFormAndUnloadEndsAModalWait) {
    Form dialog(host, "ZylFrmLogin");
    bool refuse = true;
    int unloads = 0;
    dialog.onQueryUnload = [&](bool& cancel) { cancel = refuse; };
    dialog.onUnload = [&] { ++unloads; };
    std::vector<std::string> steps;
    QTimer::singleShot(30, [&] {
        host.windowOf(dialog)->close();  // refused: the form stays up
        steps.push_back(host.windowOf(dialog)->isVisible() ? "still up" : "gone");
        refuse = false;
        host.windowOf(dialog)->close();
    });
    dialog.show(true);
    steps.push_back("returned");
    EXPECT_EQ(steps, (std::vector<std::string>{"still up", "returned"}));
    EXPECT_EQ(unloads, 1);
    EXPECT_FALSE(dialog.loaded());
    EXPECT_EQ(host.windowOf(dialog), nullptr);

    // Shown again after the unload: a fresh window from the controls' state.
    dialog.show();
    EXPECT_NE(host.windowOf(dialog), nullptr);
}

TEST_F(QtHostTest, ReturningToAnotherFormRunsItsActivate) {
    Form other(host, "ZylForMonitor");
    int activations = 0;
    form.onActivate = [&] { ++activations; };
    showAndActivate(form);
    EXPECT_EQ(activations, 1);  // from the show itself, not again from the window
    showAndActivate(other);
    host.windowOf(form)->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(host.windowOf(form)));
    EXPECT_EQ(activations, 2);
    // A message box over the form and back is no new activation.
    onNextBox([](QMessageBox& box) { box.button(QMessageBox::Ok)->click(); });
    host.msgBox("Listo", vbOKOnly, "ZYLMA");
    QApplication::processEvents();
    EXPECT_EQ(activations, 2);
}

TEST_F(QtHostTest, MultiLineBoxKeepsDesktopLineEnds) {
    auto& t = form.add<TextBox>("ZylTexTrama");
    t.multiLine = true;
    t.move(0, 0, 3000, 1500);
    form.show();
    auto* pe = widget<QPlainTextEdit>(t);
    t.setText("0T");
    t.appendText(":5");
    EXPECT_EQ(pe->toPlainText().toStdString(), "0T:5");
    QTest::keyClick(pe, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(pe, Qt::Key_Return);
    QTest::keyClicks(pe, "P");
    EXPECT_EQ(t.text(), "0T:5\r\nP");
    EXPECT_EQ(pe->toPlainText().toStdString(), "0T:5\nP");
    int changes = 0;
    t.onChange = [&] { ++changes; };
    QTest::keyClick(pe, Qt::Key_Backspace);
    QTest::keyClick(pe, Qt::Key_Backspace);
    EXPECT_EQ(t.text(), "0T:5");  // the line end goes whole, never half of it
    EXPECT_EQ(pe->toPlainText().toStdString(), "0T:5");
    EXPECT_EQ(changes, 2);
}

TEST_F(QtHostTest, FormUnloadedUnderItsOpenBoxOrPopupIsNoCrash) {
    auto& timer = form.add<Timer>("TimerEC");
    timer.onTimer = [&] {
        timer.setTimerEnabled(false);
        form.unload();
    };
    timer.setInterval(40);
    auto& comando = form.addMenu("ZylMnuComando", "Comando");
    comando.addItem("ZylMnuEnviar", "Enviar");
    for (int round = 0; round < 2; ++round) {
        showAndActivate(form);
        timer.setTimerEnabled(true);
        if (round == 0) {
            // The box goes with its window; the answer is the one that does nothing.
            EXPECT_EQ(host.msgBox("Error de Comunicación", vbRetryCancel, "ZYLMA"), vbCancel);
        } else {
            host.popupMenu(comando);
        }
        QTest::qWait(20);
        EXPECT_FALSE(form.loaded());
        EXPECT_EQ(host.windowOf(form), nullptr);
    }
}

TEST_F(QtHostTest, QuitInsideAMessageBoxEndsEveryLoop) {
    auto& timer = form.add<Timer>("TimerEC");
    timer.onTimer = [&] {
        timer.setTimerEnabled(false);
        host.quit(3);
    };
    timer.setInterval(40);
    int answer = 0;
    bool afterBox = false;
    QTimer::singleShot(0, [&] {
        timer.setTimerEnabled(true);
        answer = host.msgBox("¿Salir?", vbYesNo, "ZYLMA");
        afterBox = true;
        // Once the program is ending no box waits for anyone.
        EXPECT_EQ(host.msgBox("Cerrando Puerto", vbOKOnly, "ZYLMA"), vbOK);
    });
    EXPECT_EQ(host.exec(), 3);
    EXPECT_TRUE(afterBox);
    EXPECT_EQ(answer, vbNo);
    EXPECT_TRUE(host.quitting());
}

TEST_F(QtHostTest, WatchedDescriptorRunsOnTheEventLoopAndCanUnwatchItself) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::string got;
    int id = 0;
    id = host.watchFd(fds[0], [&] {
        char buf[16];
        ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n > 0) got.append(buf, static_cast<std::size_t>(n));
        host.unwatchFd(id);
    });
    ASSERT_EQ(::write(fds[1], "T", 1), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !got.empty(); }, 2000));
    EXPECT_EQ(got, "T");
    ASSERT_EQ(::write(fds[1], "P", 1), 1);
    QTest::qWait(50);
    EXPECT_EQ(got, "T");
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST_F(QtHostTest, WatchedDescriptorIsServedWhileItsOwnCallbackWaits) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::string got, seenInsideWait;
    host.watchFd(fds[0], [&] {
        char c;
        if (::read(fds[0], &c, 1) != 1) return;
        got += c;
        if (c == 'A') {
            // A message box inside the receive event: the line keeps being read meanwhile.
            EXPECT_EQ(::write(fds[1], "B", 1), 1);
            QEventLoop loop;
            QTimer::singleShot(200, &loop, &QEventLoop::quit);
            loop.exec();
            seenInsideWait = got;
        }
    });
    ASSERT_EQ(::write(fds[1], "A", 1), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !seenInsideWait.empty(); }, 2000));
    EXPECT_EQ(seenInsideWait, "AB");
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST_F(QtHostTest, FormDestroyedWhileShownLeavesNothingBehind) {
    auto form2 = std::make_unique<Form>(host, "ZylForMonitor");
    auto& t = form2->add<TextBox>("ZylTexTrama");
    auto& timer = form2->add<Timer>("TimerMon");
    int ticks = 0;
    timer.onTimer = [&] { ++ticks; };
    timer.setInterval(10);
    timer.setTimerEnabled(true);
    form2->show();
    QPointer<QWidget> w = host.widgetOf(t);
    ASSERT_TRUE(w);
    timer.setTimerEnabled(false);
    form2.reset();
    QTest::qWait(50);
    EXPECT_FALSE(w);  // the window went with the form
    EXPECT_EQ(ticks, 0);
}

// ---------------------------------------------------------------- picture

TEST_F(QtHostTest, SampleFormRendersReadably) {
    form.setCaption("Zylma para Distribuidor");
    form.move(0, 0, 7200, 4800);
    auto& archivo = form.addMenu("ZylMnuArchivo", "&Archivo");
    archivo.addItem("ZylMnuSalir", "&Salir");
    form.addMenu("ZylMnuConfiguracion", "&Configuración");
    form.addMenu("ZylMnuMonitor", "&Monitor");
    auto& frame = form.add<Frame>("ZylFraSonobrisa");
    frame.setCaption("Sonobrisa");
    frame.move(120, 120, 4300, 3000);
    const char* captions[] = {"Clave", "Duración local (s)", "Contador de llamadas"};
    for (int i = 0; i < 3; ++i) {
        auto& l = form.add<Label>("ZylLabSonPar", i, &frame);
        l.setCaption(captions[i]);
        l.move(150, 330 + i * 420, 1500, 255);
        auto& t = form.add<TextBox>("ZylTexSonPar", i, &frame);
        t.move(2400, 300 + i * 420, 1500, 315);
        t.setText(i == 0 ? "1234" : i == 1 ? "180" : "25");
    }
    auto& chk = form.add<CheckBox>("ZylChkRes01", -1, &frame);
    chk.setCaption("Restricción &01 (larga distancia)");
    chk.move(150, 1650, 3900, 315);
    chk.setValue(1);
    auto& chk2 = form.add<CheckBox>("ZylChkRes02", -1, &frame);
    chk2.setCaption("Restricción &02 (celulares)");
    chk2.move(150, 2010, 3900, 315);
    chk2.setValue(2);
    auto& combo = form.add<ComboBox>("ZylComVersion", -1, &frame);
    combo.style = ComboBox::DropDownList;
    combo.addItem("Versión 3.1");
    combo.setListIndex(0);
    combo.move(150, 2430, 2000, 315);
    const char* buttons[] = {"&Leer", "&Enviar", "E&scape"};
    for (int i = 0; i < 3; ++i) {
        auto& b = form.add<Button>("ZylCmdBarra", i);
        b.setCaption(buttons[i]);
        b.move(4700, 200 + i * 500, 1800, 420);
    }
    auto& status = form.add<Label>("ZylLabEstado");
    status.setCaption("Leyendo");
    status.border = true;
    status.move(120, 3300, 6300, 300);

    // Drawn without ever being shown on screen.
    auto dir = std::filesystem::path(ZYLMA_BINARY_DIR) / "screenshots";
    std::filesystem::create_directories(dir);
    auto png = (dir / "qt-sample.png").string();
    ASSERT_TRUE(zylma::qt::grabForm(form, png));
    QImage img(QString::fromStdString(png));
    ASSERT_FALSE(img.isNull());
    EXPECT_GE(img.width(), 400);
    // Text was drawn: the picture is not one flat colour.
    QRgb first = img.pixel(0, img.height() / 2);
    bool varied = false;
    for (int x = 0; x < img.width() && !varied; ++x)
        for (int y = 0; y < img.height() && !varied; y += 3) varied = img.pixel(x, y) != first;
    EXPECT_TRUE(varied);
}

}  // namespace
