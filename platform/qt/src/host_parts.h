// The parts of the Qt host, shared between its files (not for use outside platform/qt).
//
//   binding.cpp        what every control's widget does: geometry, mouse, focus, Enter and Esc
//   text_box.cpp, combo_box.cpp, check_box.cpp, button.cpp, label.cpp, frame.cpp, list_box.cpp,
//   tab_strip.cpp      one control kind each: its widget, how it is drawn and what a gesture does
//   form_window.cpp    the windows: building a form's widgets, showing, hiding, modal waits
//   menus.cpp          the menu bar and the pop-up menus
//   message_box.cpp    the message boxes
//   loop.cpp           the host's loop: timers, watched descriptors, quitting, start-up
#pragma once

#include "zylma/qt/qt_host.h"
#include "zylma/qt/text_map.h"

#include <QFont>
#include <QKeySequence>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <cmath>
#include <map>
#include <memory>
#include <vector>

class QKeyEvent;
class QMouseEvent;
class QInputMethodEvent;
class QMenuBar;
class QAction;

namespace zylma::qt {

namespace parts {

constexpr int kTwipsPerPixel = 15;
inline int px(int twips) { return static_cast<int>(std::lround(twips / double(kTwipsPerPixel))); }

// Shift, Ctrl and Alt as the desktop's mouse events report them (1, 2, 4).
int shiftMask(Qt::KeyboardModifiers m);
// A typed text that is characters, not a control key.
bool printable(const QString& t);
// Keys that move the caret or the selection and change no text.
bool movesOnly(QKeyEvent* ke);
// The standard font, or the largest size down to `minPt` at which the text fits the width (and,
// wrapped, the height when one is given); the smallest when none does.
QFont fittingFont(const QString& text, int width, int height, double minPt);
// The font of a window's title, and the width a title bar needs to show a title whole.
QFont titleFont();
int titleBarWidth(const QString& title);
// Enter presses the form's default button and Esc its cancel button, as on the desktop.
bool pressFormButton(forms::Form& f, bool cancel);

// Sets a flag for the lifetime of a scope and puts the old value back.
class FlagScope {
public:
    explicit FlagScope(bool& f) : f_(f), old_(f) { f_ = true; }
    ~FlagScope() { f_ = old_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& f_;
    bool old_;
};

}  // namespace parts

// One control and its widget. It mirrors the control into the widget (the layer tells it what
// changed) and turns the user's gestures on the widget into the layer's user* calls. Each control
// kind has its own binding, in a file of its own; this base does what they all share.
class Binding : public QObject, public forms::ControlView {
public:
    // `editor` is the part that takes typing (a line edit), or nullptr.
    Binding(QtHost& host, forms::Control& c, QWidget* widget, QWidget* editor = nullptr);

    forms::Control* control() const { return control_; }
    QWidget* widget() const { return widget_; }
    void detach();

    void changed(forms::Control& c, forms::Prop p) override;
    void syncAll();

    // The widget this control's children go into (a frame's group box).
    virtual QWidget* containerWidget() const { return widget_; }
    // Wires the widget's own signals to the layer. Called once, after construction.
    virtual void connectSignals() {}
    // Called once every control of the form has its widget (a label finds the control its
    // mnemonic leads to).
    virtual void formBuilt() {}

protected:
    bool eventFilter(QObject* obj, QEvent* e) override;

    virtual void syncCaption() {}
    virtual void syncContent() {}
    // The size the widget takes for the control's size in pixels (a label grows to its text).
    virtual void fitSize(int& /*w*/, int& /*h*/) {}
    // A key press on the widget or its editor; true when it is taken.
    virtual bool key(QObject* obj, QKeyEvent* ke);
    virtual bool inputMethod(QObject* /*obj*/, QInputMethodEvent* /*im*/) { return false; }
    // The left button: pressed, released after a press on this widget, double-clicked. True when
    // the event is taken (Qt's widget does not see it).
    virtual bool leftPress(int /*shift*/) { return false; }
    virtual bool leftRelease(QMouseEvent* /*me*/) { return false; }
    virtual bool leftDoubleClick() { return false; }
    // A box that takes typing: the middle button would paste behind the layer's back.
    virtual bool textual() const { return false; }

    bool enterOrEscape(QKeyEvent* ke);
    void syncGeometry();
    // The bindings of this control's form in tab order.
    std::vector<Binding*> formTabOrder() const;
    bool mouse(QEvent* e);

    QtHost& host_;
    forms::Control* control_;
    QPointer<QWidget> widget_;
    QPointer<QWidget> editor_;
    bool mirroring_ = false;
    bool leftDown_ = false;
};

// A control that takes a click and a double-click of its own (a label, a frame). Its press is
// taken here, so it does not travel on to the frame around it; a release counts as a click
// only over the control.
class ClickBinding : public Binding {
public:
    using Binding::Binding;

protected:
    bool leftPress(int) override { return true; }
    bool leftRelease(QMouseEvent* me) override;
    bool leftDoubleClick() override {
        control_->userDblClick();
        return true;
    }
};

// One maker per control kind: builds the widget under `parent` and its binding.
Binding* bindTextBox(QtHost& h, forms::TextBox& c, QWidget* parent);
Binding* bindComboBox(QtHost& h, forms::ComboBox& c, QWidget* parent);
Binding* bindCheckBox(QtHost& h, forms::CheckBox& c, QWidget* parent);
Binding* bindButton(QtHost& h, forms::Button& c, QWidget* parent);
Binding* bindLabel(QtHost& h, forms::Label& c, QWidget* parent);
Binding* bindFrame(QtHost& h, forms::Frame& c, QWidget* parent);
Binding* bindListBox(QtHost& h, forms::ListBox& c, QWidget* parent);
Binding* bindTabStrip(QtHost& h, forms::TabStrip& c, QWidget* parent);

// A form's window.
class FormWindow : public QWidget {
public:
    FormWindow(QtHost& host, forms::Form& form);
    void detach() { form_ = nullptr; }
    forms::Form* form() const { return form_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* ke) override;

private:
    QtHost& host_;
    forms::Form* form_;
};

// What the host keeps for a form that has a window.
struct QtHost::FormState : forms::FormView {
    FormState(QtHost& h, forms::Form& f) : host(h), form(f) {}
    QtHost& host;
    forms::Form& form;
    QPointer<FormWindow> window;
    QWidget* content = nullptr;
    QMenuBar* bar = nullptr;
    std::map<const forms::Control*, Binding*> bindings;
    std::map<const forms::Menu*, QMenu*> menus;      // menus and items that hold items
    std::map<const forms::Menu*, QAction*> actions;  // items without items, top-level ones included
    bool syncingMenus = false;
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);

    void formChanged(forms::Form& f, forms::Prop p) override;
    void controlAdded(forms::Control& c) override;
    void formDestroyed(forms::Form& f) override;

    Binding* bind(forms::Control& c);
    // The controls with their widgets in tab order (TabIndex, then the form's order).
    std::vector<Binding*> tabOrder() const;
    void syncMenus();
    void syncItems(QMenu* qm, const forms::Menu& m);
    QAction* itemAction(QWidget* owner, const forms::Menu& item);
    void placeWindow();
};

}  // namespace zylma::qt
