#include "zylma/forms/control.h"

#include "zylma/forms/form.h"
#include "zylma/forms/host.h"

#include <algorithm>

namespace zylma::forms {

std::size_t utf8Length(const std::string& s) {
    std::size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

std::size_t utf8Offset(const std::string& s, std::size_t chars) {
    std::size_t i = 0;
    while (i < s.size() && chars > 0) {
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
        --chars;
    }
    return i;
}

// Splits a UTF-8 text into its characters.
static std::vector<std::string> utf8Chars(const std::string& s) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < s.size()) {
        std::size_t j = i + 1;
        while (j < s.size() && (static_cast<unsigned char>(s[j]) & 0xC0) == 0x80) ++j;
        out.push_back(s.substr(i, j - i));
        i = j;
    }
    return out;
}

// ---------------------------------------------------------------- Control

Control::Control(Form& form, Kind kind, std::string name, int index)
    : form_(form), kind_(kind), name_(std::move(name)), index_(index) {}

Control::~Control() = default;

void Control::setContainer(Control* frame) {
    container_ = frame;
    notify(Prop::Geometry);
}

void Control::notify(Prop p) {
    if (view_) view_->changed(*this, p);
}

void Control::setVisible(bool v) {
    if (visible_ == v) return;
    visible_ = v;
    notify(Prop::Visible);
}

bool Control::shown() const {
    for (const Control* c = this; c; c = c->container())
        if (!c->visible()) return false;
    return true;
}

void Control::setEnabled(bool e) {
    if (enabled_ == e) return;
    enabled_ = e;
    notify(Prop::Enabled);
}

void Control::setLeft(int v) { move(v, top_); }
void Control::setTop(int v) { move(left_, v); }
void Control::setWidth(int v) { move(left_, top_, v, height_); }
void Control::setHeight(int v) { move(left_, top_, width_, v); }

void Control::move(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    if (width >= 0) width_ = width;
    if (height >= 0) height_ = height;
    notify(Prop::Geometry);
}

void Control::setCaption(const std::string& c) {
    if (caption_ == c) return;
    caption_ = c;
    notify(Prop::Caption);
}

bool Control::takesInput() const {
    for (const Control* c = this; c; c = c->container())
        if (!c->enabled() || !c->visible()) return false;
    return true;
}

void Control::userClick() {
    if (!takesInput()) return;
    if (onMouseDown) onMouseDown(MouseButton::Left, 0);
    fire(onClick);
    if (onMouseUp) onMouseUp(MouseButton::Left, 0);
}

void Control::userPress(MouseButton b, int shift) {
    if (!takesInput()) return;
    if (onMouseDown) onMouseDown(b, shift);
    if (onMouseUp) onMouseUp(b, shift);
}

void Control::userDblClick() {
    if (!takesInput()) return;
    fire(onDblClick);
}

void Control::userFocus() {
    if (!takesInput()) return;
    form().setActiveControl(this);
}

std::string Control::pixelsDebug(const Control& c) {
    return c.name() + "@" + std::to_string(c.left() / 15) + "," + std::to_string(c.top() / 15);
}

// ---------------------------------------------------------------- TextBox

TextBox::TextBox(Form& f, std::string name, int index) : Control(f, Kind::TextBox, std::move(name), index) {
    move(0, 0, 1200, 315);
}

void TextBox::cambia(bool delUsuario) {
    // Nested changes (a correction made inside the handler) are code's; the outer one is told
    // apart again once they return.
    const bool antes = cambioDelUsuario_;
    cambioDelUsuario_ = delUsuario;
    fire(onChange);
    cambioDelUsuario_ = antes;
}

void TextBox::setText(const std::string& t) {
    if (text_ == t) return;
    text_ = t;
    // Code moves the caret to the start, as the desktop control does.
    selStart_ = 0;
    selLength_ = 0;
    notify(Prop::Text);
    cambia(false);
}

void TextBox::appendText(const std::string& more) {
    if (more.empty()) return;
    text_ += more;
    selStart_ = 0;
    selLength_ = 0;
    notify(Prop::Text);
    cambia(false);
}

void TextBox::setSelStart(int s) {
    int len = static_cast<int>(utf8Length(text_));
    selStart_ = std::clamp(s, 0, len);
    selLength_ = 0;
    notify(Prop::Selection);
}

void TextBox::setSelLength(int n) {
    int len = static_cast<int>(utf8Length(text_));
    selLength_ = std::clamp(n, 0, len - selStart_);
    notify(Prop::Selection);
}

void TextBox::setSelectionFromView(int start, int length) {
    int len = static_cast<int>(utf8Length(text_));
    selStart_ = std::clamp(start, 0, len);
    selLength_ = std::clamp(length, 0, len - selStart_);
}

std::string TextBox::selText() const {
    std::size_t a = utf8Offset(text_, selStart_);
    std::size_t b = utf8Offset(text_, selStart_ + selLength_);
    return text_.substr(a, b - a);
}

void TextBox::typeOne(const std::string& ch) {
    int key = ch.size() == 1 ? static_cast<unsigned char>(ch[0]) : 0x100;  // non-ASCII: a letter
    if (onKeyPress) {
        int k = key;
        onKeyPress(k);
        if (k == 0) return;
    }
    if (locked) return;
    std::size_t a = utf8Offset(text_, selStart_);
    std::size_t b = utf8Offset(text_, selStart_ + selLength_);
    std::string next;
    int caret;
    if (ch == "\b") {
        if (selLength_ == 0) {
            if (selStart_ == 0) return;
            a = utf8Offset(text_, selStart_ - 1);
            caret = selStart_ - 1;
        } else {
            caret = selStart_;
        }
        next = text_.substr(0, a) + text_.substr(b);
    } else {
        int lenAfter = static_cast<int>(utf8Length(text_)) - selLength_ + 1;
        if (maxLength_ > 0 && lenAfter > maxLength_) return;
        next = text_.substr(0, a) + ch + text_.substr(b);
        caret = selStart_ + 1;
    }
    if (next == text_) return;
    text_ = next;
    selStart_ = caret;
    selLength_ = 0;
    notify(Prop::Text);
    cambia(true);
}

void TextBox::userType(const std::string& chars) {
    if (!takesInput()) return;
    for (const auto& ch : utf8Chars(chars)) typeOne(ch);
}

void TextBox::userEdit(const std::string& newText) {
    if (!takesInput() || locked) return;
    std::string t = newText;
    // Only an edit that lengthens the text is held to MaxLength: deleting from a longer text
    // that code put there must not cut the rest of it.
    std::size_t newLen = utf8Length(t);
    if (maxLength_ > 0 && static_cast<int>(newLen) > maxLength_ && newLen > utf8Length(text_))
        t = t.substr(0, utf8Offset(t, maxLength_));
    if (t == text_) return;
    text_ = t;
    selStart_ = static_cast<int>(utf8Length(text_));
    selLength_ = 0;
    notify(Prop::Text);
    cambia(true);
}

// ---------------------------------------------------------------- CheckBox

CheckBox::CheckBox(Form& f, std::string name, int index) : Control(f, Kind::CheckBox, std::move(name), index) {}

void CheckBox::setValue(int v) {
    if (v < 0 || v > 2) v = 0;
    if (value_ == v) return;
    value_ = v;
    notify(Prop::Value);
    fire(onClick);
}

void CheckBox::userClick() {
    if (!takesInput()) return;
    if (onMouseDown) onMouseDown(MouseButton::Left, 0);
    setValue(value_ == Checked && !opcion ? Unchecked : Checked);
    if (onMouseUp) onMouseUp(MouseButton::Left, 0);
}

// ---------------------------------------------------------------- simple kinds

Button::Button(Form& f, std::string name, int index) : Control(f, Kind::Button, std::move(name), index) {}
Label::Label(Form& f, std::string name, int index) : Control(f, Kind::Label, std::move(name), index) {}
Frame::Frame(Form& f, std::string name, int index) : Control(f, Kind::Frame, std::move(name), index) {}

std::vector<Control*> Frame::children() const {
    std::vector<Control*> out;
    for (Control* c : form().controls())
        if (c->container() == this) out.push_back(c);
    return out;
}

// ---------------------------------------------------------------- ComboBox

ComboBox::ComboBox(Form& f, std::string name, int index) : Control(f, Kind::ComboBox, std::move(name), index) {}

void ComboBox::addItem(const std::string& s) {
    items_.push_back(s);
    notify(Prop::List);
}

void ComboBox::clear() {
    items_.clear();
    listIndex_ = -1;
    notify(Prop::List);
    if (!text_.empty() && style != DropDownList) {
        text_.clear();
        notify(Prop::Text);
        fire(onChange);
    } else {
        text_.clear();
    }
}

void ComboBox::setListIndex(int i) {
    if (i < -1 || i >= listCount()) return;
    if (i == listIndex_) return;
    listIndex_ = i;
    std::string t = i >= 0 ? items_[i] : std::string();
    bool textChanged = t != text_;
    text_ = t;
    notify(Prop::Selection);
    if (textChanged) notify(Prop::Text);
    fire(onClick);
}

void ComboBox::setText(const std::string& t) {
    if (t == text_) return;
    text_ = t;
    auto it = std::find(items_.begin(), items_.end(), t);
    listIndex_ = it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
    notify(Prop::Text);
    fire(onChange);
}

void ComboBox::userSelect(int i) {
    if (!takesInput()) return;
    if (i >= 0 && i == listIndex_) {
        // The user chose the item again (its text may have been typed): that is still a click.
        if (text_ != items_[i]) {
            text_ = items_[i];
            notify(Prop::Text);
        }
        fire(onClick);
        return;
    }
    setListIndex(i);
}

void ComboBox::userType(const std::string& chars) {
    if (!takesInput()) return;
    for (const auto& ch : utf8Chars(chars)) {
        int key = ch.size() == 1 ? static_cast<unsigned char>(ch[0]) : 0x100;
        if (onKeyPress) {
            onKeyPress(key);
            if (key == 0) continue;
        }
        if (style == DropDownList) continue;
        std::string next = text_;
        if (ch == "\b") {
            if (next.empty()) continue;
            next = next.substr(0, utf8Offset(next, utf8Length(next) - 1));
        } else {
            next += ch;
        }
        typedText(next);
    }
}

void ComboBox::userEdit(const std::string& newText) {
    if (!takesInput() || style == DropDownList) return;
    typedText(newText);
}

void ComboBox::typedText(const std::string& t) {
    // What the user types is the combo's text as typed, even when it spells an entry of the
    // list: only a pick in the list selects one. A name typed over a chosen entry is a new name,
    // never that entry.
    const bool indexChanged = listIndex_ != -1;
    listIndex_ = -1;
    if (indexChanged) notify(Prop::Selection);
    if (t == text_) return;
    text_ = t;
    notify(Prop::Text);
    fire(onChange);
}

// ---------------------------------------------------------------- ListBox

ListBox::ListBox(Form& f, std::string name, int index) : Control(f, Kind::ListBox, std::move(name), index) {
    move(0, 0, 2000, 1500);
}

void ListBox::addItem(const std::string& s) {
    items_.push_back(s);
    notify(Prop::List);
}

void ListBox::clear() {
    items_.clear();
    listIndex_ = -1;
    notify(Prop::List);
}

void ListBox::setListIndex(int i) {
    if (i < -1 || i >= listCount() || i == listIndex_) return;
    listIndex_ = i;
    notify(Prop::Selection);
    fire(onClick);
}

std::string ListBox::text() const { return listIndex_ >= 0 ? items_[listIndex_] : std::string(); }

void ListBox::userSelect(int i) {
    if (!takesInput()) return;
    setListIndex(i);
}

// ---------------------------------------------------------------- TabStrip

TabStrip::TabStrip(Form& f, std::string name, int index) : Control(f, Kind::TabStrip, std::move(name), index) {}

void TabStrip::setSelected(int i) {
    if (i == selected_ || i < 0 || i >= static_cast<int>(tabs.size())) return;
    selected_ = i;
    notify(Prop::Selection);
    fire(onClick);
}

void TabStrip::userSelect(int i) {
    if (!takesInput()) return;
    setSelected(i);
}

// ---------------------------------------------------------------- Timer

Timer::Timer(Form& f, std::string name, int index) : Control(f, Kind::Timer, std::move(name), index) {
    setVisible(false);
}

Timer::~Timer() {
    if (timerEnabled_) {
        timerEnabled_ = false;
        reschedule();
    }
}

void Timer::reschedule() {
    ++generation_;
    form().host().timerChanged(*this);
}

void Timer::setInterval(int ms) {
    if (ms < 0) ms = 0;
    interval_ = ms;
    reschedule();
}

void Timer::setTimerEnabled(bool e) {
    if (timerEnabled_ == e) return;
    timerEnabled_ = e;
    reschedule();
}

void Timer::fireTimer() {
    if (!timerEnabled_ || interval_ <= 0) return;
    fire(onTimer);
}

}  // namespace zylma::forms
