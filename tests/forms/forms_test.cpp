// The event rules of the form layer, one case each, as the code above relies on them.
#include "zylma/forms/test_host.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace zylma::forms;

namespace {

struct Fixture : ::testing::Test {
    TestHost host;
    Form form{host, "F"};
    std::vector<std::string> log;
};

TEST_F(Fixture, SettingTextRunsChangeNestedAndOnlyWhenItChanges) {
    auto& a = form.add<TextBox>("A");
    auto& b = form.add<TextBox>("B");
    a.onChange = [&] {
        log.push_back("A:" + a.text());
        b.setText(a.text() + "!");  // nested: B's handler runs before A's assignment returns
        log.push_back("A done");
    };
    b.onChange = [&] { log.push_back("B:" + b.text()); };
    a.setText("x");
    a.setText("x");  // same text: nothing runs
    EXPECT_EQ(log, (std::vector<std::string>{"A:x", "B:x!", "A done"}));
}

TEST_F(Fixture, TypingRunsChangeOncePerEditAndMaxLengthLimitsTypingOnly) {
    auto& t = form.add<TextBox>("T");
    int changes = 0;
    t.onChange = [&] { ++changes; };
    t.setMaxLength(3);
    t.userType("12345");
    EXPECT_EQ(t.text(), "123");
    EXPECT_EQ(changes, 3);
    t.setText("abcdef");  // from code: never cut
    EXPECT_EQ(t.text(), "abcdef");
    t.setSelStart(6);
    t.userType("\b");
    EXPECT_EQ(t.text(), "abcde");
    t.userEdit("0123456789");  // a paste is cut to the limit, one change
    EXPECT_EQ(t.text(), "012");
}

TEST_F(Fixture, KeyPressCanSwallowATypedCharacter) {
    auto& t = form.add<TextBox>("T");
    t.onKeyPress = [](int& k) {
        if (k < '0' || k > '9') k = 0;
    };
    t.userType("1a2é3");
    EXPECT_EQ(t.text(), "123");
}

TEST_F(Fixture, MaxLengthCountsCharactersNotBytes) {
    auto& t = form.add<TextBox>("T");
    t.setMaxLength(3);
    t.userType("ééééé");
    EXPECT_EQ(t.text(), "ééé");
}

TEST_F(Fixture, CheckBoxValueFromCodeRunsClickOnlyOnChangeIncludingGreyed) {
    auto& c = form.add<CheckBox>("C");
    c.onClick = [&] { log.push_back(std::to_string(c.value())); };
    c.setValue(1);
    c.setValue(1);
    c.setValue(2);
    c.setValue(0);
    EXPECT_EQ(log, (std::vector<std::string>{"1", "2", "0"}));
}

TEST_F(Fixture, LeftClickTogglesAfterMouseDownRightPressNeverToggles) {
    auto& c = form.add<CheckBox>("C");
    c.onMouseDown = [&](MouseButton b, int) { log.push_back(b == MouseButton::Right ? "down R" : "down L"); };
    c.onClick = [&] { log.push_back("click " + std::to_string(c.value())); };
    c.userClick();
    c.userClick();
    c.userPress(MouseButton::Right);
    EXPECT_EQ(c.value(), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"down L", "click 1", "down L", "click 0", "down R"}));
    c.setValue(2);
    log.clear();
    c.userClick();  // a greyed box becomes checked
    EXPECT_EQ(c.value(), 1);

    // An option button is selected by a click and stays selected on the next.
    auto& o = form.add<CheckBox>("O");
    o.opcion = true;
    o.userClick();
    o.userClick();
    EXPECT_EQ(o.value(), 1);
}

TEST_F(Fixture, DisabledOrHiddenControlsTakeNoGestureButCodeStillSets) {
    auto& frame = form.add<Frame>("Fr");
    auto& c = form.add<CheckBox>("C", -1, &frame);
    int clicks = 0;
    c.onClick = [&] { ++clicks; };
    frame.setVisible(false);
    c.userClick();
    EXPECT_FALSE(c.shown());
    frame.setVisible(true);
    c.setEnabled(false);
    c.userClick();
    EXPECT_EQ(clicks, 0);
    c.setValue(1);
    EXPECT_EQ(clicks, 1);
}

TEST_F(Fixture, ControlArraysKeepTheirOwnIndex) {
    form.add<TextBox>("Tx", 0);
    form.add<TextBox>("Tx", 5);
    ASSERT_NE(form.findAs<TextBox>("Tx", 5), nullptr);
    EXPECT_EQ(form.findAs<TextBox>("Tx", 5)->index(), 5);
    EXPECT_EQ(form.find("Tx", 1), nullptr);
}

TEST_F(Fixture, HiddenMenuAsPopupRunsTheChosenHandlerBeforeReturning) {
    Menu& m = form.addMenu("mnuComando", "Comando");
    m.setVisible(false);
    Menu& enviar = m.addItem("mnuEnviar", "Enviar");
    enviar.onClick = [&] { log.push_back("enviar"); };
    host.popupChoices.push_back("mnuEnviar");
    host.popupMenu(m);
    log.push_back("after popup");
    host.popupMenu(m);  // dismissed: nothing runs
    EXPECT_EQ(log, (std::vector<std::string>{"enviar", "after popup"}));
}

TEST_F(Fixture, ModalMessageBoxLetsATimerFire) {
    auto& t = form.add<Timer>("Tm");
    int fired = 0;
    t.onTimer = [&] {
        t.setTimerEnabled(false);  // a handler disables its timer before anything that can wait
        ++fired;
    };
    t.setInterval(500);
    t.setTimerEnabled(true);
    host.whileMessage = [&](const TestHost::Message&) {
        host.advance(600);
        return 0;
    };
    int answer = host.msgBox("Error", vbYesNo, "ZYLMA");
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(answer, vbYes);
}

TEST_F(Fixture, TimersFireInOrderOnTheVirtualClockAndRestartWhenSet) {
    auto& a = form.add<Timer>("A");
    auto& b = form.add<Timer>("B");
    a.onTimer = [&] { log.push_back("A@" + std::to_string(host.tickCount())); };
    b.onTimer = [&] {
        log.push_back("B@" + std::to_string(host.tickCount()));
        b.setTimerEnabled(false);
    };
    a.setInterval(300);
    a.setTimerEnabled(true);
    b.setInterval(500);
    b.setTimerEnabled(true);
    host.advance(200);
    a.setInterval(300);  // restarts the count from 200
    host.advance(700);
    EXPECT_EQ(log, (std::vector<std::string>{"B@500", "A@500", "A@800"}));
}

TEST_F(Fixture, FormLoadsOnceAndModalShowReturnsWhenHidden) {
    int loads = 0;
    form.onLoad = [&] { ++loads; };
    host.whileModal = [&](Form& f) {
        log.push_back("modal " + f.name());
        f.hide();
    };
    form.show(true);
    log.push_back("returned");
    form.show();
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"modal F", "returned"}));
    form.unload();
    EXPECT_FALSE(form.loaded());
    form.show();
    EXPECT_EQ(loads, 2);
}

TEST_F(Fixture, CloseBoxAsksQueryUnloadWhichMayCancel) {
    bool cancel = true;
    int unloads = 0;
    form.onQueryUnload = [&](bool& c) { c = cancel; };
    form.onUnload = [&] { ++unloads; };
    form.show();
    form.userClose();
    EXPECT_TRUE(form.visible());
    cancel = false;
    form.userClose();
    EXPECT_FALSE(form.visible());
    EXPECT_EQ(unloads, 1);
}

TEST_F(Fixture, ComboBoxChoiceSetsTextAndRunsClick) {
    auto& c = form.add<ComboBox>("Cb");
    c.addItem("1");
    c.addItem("2");
    c.onClick = [&] { log.push_back("click " + c.text()); };
    c.userSelect(1);
    c.userSelect(1);  // each choice of the user is a click
    c.setListIndex(1);  // from code, the same index is no change
    EXPECT_EQ(c.text(), "2");
    EXPECT_EQ(log, (std::vector<std::string>{"click 2", "click 2"}));
    c.style = ComboBox::DropDownList;
    c.userType("x");
    EXPECT_EQ(c.text(), "2");
    // Choosing an item from the list is a click even when typing already matched it.
    c.style = ComboBox::DropDownCombo;
    c.setListIndex(-1);
    c.setText("");
    log.clear();
    c.userType("1");
    c.userSelect(0);
    EXPECT_EQ(log, (std::vector<std::string>{"click 1"}));
}

// A typed text is the combo's text as typed, and only a pick in the list selects an entry: a
// name typed over a picked "Lectura" must never be saved as "Lectura" again, and a save that
// stores the list index must see -1 for a typed name.
TEST_F(Fixture, ComboTypedTextStaysTypedAndOnlyAPickSelects) {
    auto& c = form.add<ComboBox>("Cb");
    c.addItem("Lectura");
    c.addItem("Escritura");
    c.onChange = [&] { log.push_back("change " + c.text() + " " + std::to_string(c.listIndex())); };
    c.onClick = [&] { log.push_back("click " + c.text() + " " + std::to_string(c.listIndex())); };
    struct Step {
        const char* what;
        std::function<void()> act;
        const char* text;
        int index;
        std::vector<std::string> events;
    };
    const std::vector<Step> steps = {
        {"pick the first entry", [&] { c.userSelect(0); }, "Lectura", 0, {"click Lectura 0"}},
        {"type over it: a new name", [&] { c.userEdit("Prueba"); }, "Prueba", -1, {"change Prueba -1"}},
        {"typing one more character", [&] { c.userType("s"); }, "Pruebas", -1, {"change Pruebas -1"}},
        {"typing that spells an entry still selects none",
         [&] { c.userEdit("Escritur"); c.userType("a"); }, "Escritura", -1,
         {"change Escritur -1", "change Escritura -1"}},
        {"then picking it is a click", [&] { c.userSelect(1); }, "Escritura", 1, {"click Escritura 1"}},
        {"backspace is an edit too", [&] { c.userType("\b"); }, "Escritur", -1, {"change Escritur -1"}},
        {"an edit that leaves the text as it is runs nothing", [&] { c.userEdit("Escritur"); }, "Escritur", -1, {}},
        {"from code a text that spells an entry selects it", [&] { c.setText("Lectura"); }, "Lectura", 0,
         {"change Lectura 0"}},
        {"typing over a picked entry leaves it with its text", [&] { c.userEdit("Lectura"); }, "Lectura", -1, {}},
    };
    for (const Step& s : steps) {
        log.clear();
        s.act();
        EXPECT_EQ(c.text(), s.text) << s.what;
        EXPECT_EQ(c.listIndex(), s.index) << s.what;
        EXPECT_EQ(log, s.events) << s.what;
    }
    // A drop-down list takes no typing at all.
    c.style = ComboBox::DropDownList;
    c.userSelect(1);
    log.clear();
    c.userEdit("Otro");
    c.userType("x");
    EXPECT_EQ(c.text(), "Escritura");
    EXPECT_EQ(c.listIndex(), 1);
    EXPECT_TRUE(log.empty());
}

}  // namespace
