// Controls of the form layer: plain objects with the event rules the program relies on.
//
// The rules live here, never in the toolkit that draws them:
//  - setting a text box's text from code runs its change handler at once, nested, and only when
//    the text actually changes; typing runs it once per edit;
//  - setting a check box's value from code runs its click handler at once when the value changes;
//    a left click toggles 0/1, a right press never toggles; mouse-down comes before the click;
//  - MaxLength limits typing only: text set from code is never cut.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zylma::forms {

class Form;

enum class MouseButton { Left = 1, Right = 2, Middle = 4 };

enum class Kind { TextBox, CheckBox, Button, Label, Frame, ComboBox, ListBox, TabStrip, Timer };

// What changed on a control, for whoever draws it.
enum class Prop { Visible, Enabled, Geometry, Caption, Text, Value, List, Selection, Style };

class Control;

// A drawing of a control (the Qt host's widget, or nothing in tests).
class ControlView {
public:
    virtual ~ControlView() = default;
    virtual void changed(Control& c, Prop p) = 0;
};

class Control {
public:
    Control(Form& form, Kind kind, std::string name, int index);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Kind kind() const { return kind_; }
    const std::string& name() const { return name_; }
    int index() const { return index_; }  // -1 when not in a control array
    Form& form() const { return form_; }

    // The frame this control sits in (nullptr: directly on the form).
    Control* container() const { return container_; }
    void setContainer(Control* frame);

    bool visible() const { return visible_; }
    void setVisible(bool v);
    // True when this control and every frame around it are visible.
    bool shown() const;
    bool enabled() const { return enabled_; }
    void setEnabled(bool e);

    // Geometry in twips (15 twips a pixel), relative to the container.
    int left() const { return left_; }
    int top() const { return top_; }
    int width() const { return width_; }
    int height() const { return height_; }
    void setLeft(int v);
    void setTop(int v);
    void setWidth(int v);
    void setHeight(int v);
    void move(int left, int top, int width = -1, int height = -1);

    // Caption of a button, check box, label or frame; "&" marks the mnemonic.
    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& c);

    int tabIndex = 0;
    std::string toolTip;

    std::function<void()> onClick;
    std::function<void()> onDblClick;
    std::function<void(MouseButton, int shift)> onMouseDown;
    std::function<void(MouseButton, int shift)> onMouseUp;
    std::function<void()> onGotFocus;
    std::function<void()> onLostFocus;
    // A typed character; set it to 0 to swallow the key.
    std::function<void(int& keyAscii)> onKeyPress;

    // Gestures of the user, as the host reports them. Disabled or hidden controls take none.
    // A left click: mouse-down, the click itself, mouse-up.
    virtual void userClick();
    // A press of any button without a click (a right press).
    void userPress(MouseButton b, int shift = 0);
    void userDblClick();
    void userFocus();

    void setView(ControlView* v) { view_ = v; }
    ControlView* view() const { return view_; }

    static std::string pixelsDebug(const Control& c);

protected:
    void notify(Prop p);
    bool takesInput() const;
    void fire(const std::function<void()>& f) { if (f) f(); }

private:
    Form& form_;
    Kind kind_;
    std::string name_;
    int index_;
    Control* container_ = nullptr;
    bool visible_ = true;
    bool enabled_ = true;
    int left_ = 0, top_ = 0, width_ = 1200, height_ = 315;
    std::string caption_;
    ControlView* view_ = nullptr;
};

// Number of characters (not bytes) of a UTF-8 text.
std::size_t utf8Length(const std::string& s);
// Byte offset of character number `chars` in a UTF-8 text (clamped to the end).
std::size_t utf8Offset(const std::string& s, std::size_t chars);

class TextBox : public Control {
public:
    TextBox(Form& f, std::string name, int index = -1);

    const std::string& text() const { return text_; }
    // From code: runs the change handler, nested, when the text differs. Never cut to MaxLength.
    void setText(const std::string& t);
    // From code, the same as setText(text() + more) without copying what is already there, so a
    // box that gathers a frame character by character stays linear.
    void appendText(const std::string& more);

    int maxLength() const { return maxLength_; }  // 0: no limit
    void setMaxLength(int n) { maxLength_ = n; }
    bool locked = false;
    bool multiLine = false;
    char passwordChar = 0;

    // Selection in characters.
    int selStart() const { return selStart_; }
    int selLength() const { return selLength_; }
    void setSelStart(int s);
    void setSelLength(int n);
    std::string selText() const;
    // The drawing's own caret or selection moved (arrow keys, a mouse drag): recorded without
    // telling the view back.
    void setSelectionFromView(int start, int length);

    std::function<void()> onChange;
    // Whether the change handler now running was raised by the user's typing or edit, not by
    // code (a read, a replay, a configuration load, a correction): field checks judge only what
    // the user types.
    bool cambioDelUsuario() const { return cambioDelUsuario_; }

    // Typing: each character goes through KeyPress (which may swallow it), MaxLength and Locked,
    // replaces the selection and runs the change handler once. Backspace is "\b".
    void userType(const std::string& utf8chars);
    // One edit that leaves the given text (a paste, a cut): one change, MaxLength applied.
    void userEdit(const std::string& newText);

private:
    void typeOne(const std::string& ch);
    void cambia(bool delUsuario);
    std::string text_;
    bool cambioDelUsuario_ = false;
    int maxLength_ = 0;
    int selStart_ = 0, selLength_ = 0;
};

class CheckBox : public Control {
public:
    CheckBox(Form& f, std::string name, int index = -1);
    enum { Unchecked = 0, Checked = 1, Grayed = 2 };
    int value() const { return value_; }
    // From code: runs the click handler, nested, when the value changes. 0, 1 or 2 (greyed).
    void setValue(int v);
    // Left click: mouse-down, toggle (1 becomes 0, anything else 1) and click, mouse-up. An
    // option button is only ever selected by a click, never cleared.
    void userClick() override;
    // Drawn and clicked as an option button; its form keeps the group to one selection.
    bool opcion = false;

private:
    int value_ = 0;
};

class Button : public Control {
public:
    Button(Form& f, std::string name, int index = -1);
    bool isDefault = false;  // Enter presses it
    bool isCancel = false;   // Esc presses it
};

class Label : public Control {
public:
    Label(Form& f, std::string name, int index = -1);
    bool border = false;
    bool centred = false;
};

class Frame : public Control {
public:
    Frame(Form& f, std::string name, int index = -1);
    std::vector<Control*> children() const;
};

// A list with an optional editable text (a drop-down combo) or a drop-down list.
class ComboBox : public Control {
public:
    ComboBox(Form& f, std::string name, int index = -1);
    enum Style { DropDownCombo = 0, SimpleCombo = 1, DropDownList = 2 };
    Style style = DropDownCombo;

    const std::vector<std::string>& list() const { return items_; }
    void addItem(const std::string& s);
    void clear();
    int listCount() const { return static_cast<int>(items_.size()); }
    int listIndex() const { return listIndex_; }
    // From code or the user's choice: text follows the item; click runs when the index changes.
    void setListIndex(int i);
    const std::string& text() const { return text_; }
    // From code: change runs when the text differs; the list index follows a matching item.
    void setText(const std::string& t);

    std::function<void()> onChange;

    // A pick in the list (mouse or keys): the text becomes the entry and Click runs.
    void userSelect(int i);
    // Typing in the text part: each character goes through KeyPress, is added at the end (or
    // "\b" takes the last one off) and runs Change; the list index becomes -1, whatever the text.
    void userType(const std::string& utf8chars);
    // One edit of the text part that leaves the given text (a keystroke where the caret is, a
    // paste, a delete): Change once when the text differs; the list index becomes -1.
    void userEdit(const std::string& newText);

private:
    void typedText(const std::string& t);
    std::vector<std::string> items_;
    int listIndex_ = -1;
    std::string text_;
};

class ListBox : public Control {
public:
    ListBox(Form& f, std::string name, int index = -1);
    const std::vector<std::string>& list() const { return items_; }
    void addItem(const std::string& s);
    void clear();
    int listCount() const { return static_cast<int>(items_.size()); }
    int listIndex() const { return listIndex_; }
    void setListIndex(int i);
    std::string text() const;
    void userSelect(int i);

private:
    std::vector<std::string> items_;
    int listIndex_ = -1;
};

class TabStrip : public Control {
public:
    TabStrip(Form& f, std::string name, int index = -1);
    std::vector<std::string> tabs;
    int selected() const { return selected_; }
    void setSelected(int i);
    void userSelect(int i);

private:
    int selected_ = 0;
};

// A timer fires on the user-interface thread every Interval ms while Enabled. Setting either
// restarts its count. Its handler disables it before doing anything that can wait.
class Timer : public Control {
public:
    Timer(Form& f, std::string name, int index = -1);
    ~Timer() override;
    int interval() const { return interval_; }
    void setInterval(int ms);
    bool timerEnabled() const { return timerEnabled_; }
    void setTimerEnabled(bool e);
    std::function<void()> onTimer;
    // The host calls this when the interval has passed.
    void fireTimer();
    // Each start or restart gets a new generation, so a host drops a stale schedule.
    std::uint64_t generation() const { return generation_; }

private:
    void reschedule();
    int interval_ = 0;
    bool timerEnabled_ = false;
    std::uint64_t generation_ = 0;
};

}  // namespace zylma::forms
