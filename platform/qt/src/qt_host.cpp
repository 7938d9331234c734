#include "zylma/qt/qt_host.h"

#include "zylma/qt/text_map.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QEventLoop>
#include <QGroupBox>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace zylma::qt {

using forms::Button;
using forms::CheckBox;
using forms::ComboBox;
using forms::Control;
using forms::Form;
using forms::Kind;
using forms::Label;
using forms::ListBox;
using forms::Menu;
using forms::MouseButton;
using forms::Prop;
using forms::TabStrip;
using forms::TextBox;
using forms::Timer;

namespace {

constexpr int kTwipsPerPixel = 15;

int px(int twips) { return static_cast<int>(std::lround(twips / double(kTwipsPerPixel))); }

// Shift, Ctrl and Alt as the desktop's mouse events report them.
int shiftMask(Qt::KeyboardModifiers m) {
    int s = 0;
    if (m & Qt::ShiftModifier) s |= 1;
    if (m & Qt::ControlModifier) s |= 2;
    if (m & Qt::AltModifier) s |= 4;
    return s;
}

// A check box that never changes its own state: the click goes to the layer, which decides
// the new value and sends it back.
class LayerCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override {}
};

// The same for an option button: the group is the form's, so Qt keeps none of its own.
class LayerRadioButton : public QRadioButton {
public:
    explicit LayerRadioButton(QWidget* parent) : QRadioButton(parent) { setAutoExclusive(false); }

protected:
    void nextCheckState() override {}
};

// The standard font, or the largest size down to `minPt` at which the text fits the width (and,
// wrapped, the height when one is given); the smallest when none does.
QFont fittingFont(const QString& text, int width, int height, double minPt) {
    QFont f = QApplication::font();
    for (double pt = f.pointSizeF(); pt >= minPt; pt -= 0.5) {
        f.setPointSizeF(pt);
        QFontMetrics fm(f);
        bool fits = height > 0 ? fm.boundingRect(QRect(0, 0, std::max(width, 1), 100000), Qt::TextWordWrap, text)
                                         .height() <= height
                               : fm.horizontalAdvance(text) <= width;
        if (fits) return f;
    }
    f.setPointSizeF(minPt);
    return f;
}

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

bool printable(const QString& t) {
    if (t.isEmpty()) return false;
    for (QChar c : t)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
    return true;
}

// Keys that move the caret or the selection and change no text.
bool movesOnly(QKeyEvent* ke) {
    switch (ke->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: return true;
    default: return ke->matches(QKeySequence::SelectAll) || ke->matches(QKeySequence::Copy);
    }
}

}  // namespace

// ---------------------------------------------------------------- Binding
//
// One control and its widget. It mirrors the control into the widget (the layer tells it what
// changed) and turns the user's gestures on the widget into the layer's user* calls.

class Binding : public QObject, public forms::ControlView {
public:
    Binding(QtHost& host, Control& c, QWidget* widget, QWidget* editor)
        : QObject(widget), host_(host), control_(&c), widget_(widget), editor_(editor) {
        widget->installEventFilter(this);
        if (editor && editor != widget) editor->installEventFilter(this);
        widget->setContextMenuPolicy(Qt::PreventContextMenu);
        if (editor) {
            editor->setContextMenuPolicy(Qt::PreventContextMenu);
            editor->setAcceptDrops(false);
        }
        c.setView(this);
    }

    Control* control() const { return control_; }
    QWidget* widget() const { return widget_; }

    void detach() {
        if (control_ && control_->view() == this) control_->setView(nullptr);
        control_ = nullptr;
    }

    void changed(Control& c, Prop p) override {
        if (&c != control_ || !widget_) return;
        FlagScope guard(mirroring_);
        switch (p) {
        case Prop::Visible: widget_->setVisible(c.visible()); break;
        case Prop::Enabled: widget_->setEnabled(c.enabled()); break;
        case Prop::Geometry: syncGeometry(); break;
        case Prop::Caption: syncCaption(); syncGeometry(); break;
        case Prop::Text:
        case Prop::Value:
        case Prop::List:
        case Prop::Selection:
        case Prop::Style: syncContent(); break;
        }
    }

    void syncAll() {
        if (!control_ || !widget_) return;
        FlagScope guard(mirroring_);
        syncCaption();
        syncContent();
        syncGeometry();
        widget_->setEnabled(control_->enabled());
        widget_->setToolTip(toQt(control_->toolTip));
        widget_->setVisible(control_->visible());
    }

    // The widget this control's children go into (a frame's group box).
    QWidget* containerWidget() const { return widget_; }

    // Wires the widget's own signals to the layer. Called once, after construction.
    void connectSignals();

protected:
    bool eventFilter(QObject* obj, QEvent* e) override;

private:
    void syncCaption();
    void syncContent();
    void syncGeometry();
    void syncTextBox(TextBox& t);
    void syncTextSelection(TextBox& t);
    void selectionFromWidget();
    bool textKey(TextBox& t, QKeyEvent* ke);
    bool comboKey(ComboBox& cb, QKeyEvent* ke);
    bool enterOrEscape(QKeyEvent* ke);
    void insertText(TextBox& t, const std::string& s);
    void editTo(TextBox& t, const std::string& next, int caret);
    bool mouse(QEvent* e);

    QtHost& host_;
    Control* control_;
    QPointer<QWidget> widget_;
    QPointer<QWidget> editor_;  // the text editing part (line edit, plain text edit, combo's edit)
    bool mirroring_ = false;
    bool leftDown_ = false;
};

void Binding::syncCaption() {
    Control& c = *control_;
    QString cap = toQt(c.caption());
    switch (c.kind()) {
    case Kind::Button: static_cast<QPushButton*>(widget_.data())->setText(cap); break;
    case Kind::CheckBox: static_cast<QAbstractButton*>(widget_.data())->setText(cap); break;
    case Kind::Label: static_cast<QLabel*>(widget_.data())->setText(withoutMnemonic(c.caption())); break;
    case Kind::Frame: static_cast<QGroupBox*>(widget_.data())->setTitle(cap); break;
    default: break;
    }
}

void Binding::syncGeometry() {
    Control& c = *control_;
    QWidget* parent = nullptr;
    if (Control* frame = c.container()) {
        if (QWidget* fw = host_.widgetOf(*frame)) parent = fw;
    }
    if (!parent) {
        auto it = host_.forms_.find(&c.form());
        if (it == host_.forms_.end()) return;
        parent = host_.contentOf(c.form());
    }
    if (parent && widget_->parentWidget() != parent) {
        widget_->setParent(parent);
        widget_->setVisible(c.visible());
    }
    int w = std::max(px(c.width()), 1), h = std::max(px(c.height()), 1);
    if (c.kind() == Kind::Label) {
        auto* l = static_cast<QLabel*>(widget_.data());
        // Sized for the desktop's narrower font, a label would cut its text: it takes a size
        // a little smaller first, and a one-line label then grows to its text.
        const int pad = 2 + 2 * l->frameWidth();
        QFontMetrics standard(QApplication::font());
        bool oneLine = h < 2 * standard.lineSpacing();
        l->setWordWrap(!oneLine);
        QFont f = fittingFont(l->text(), w - pad, oneLine ? 0 : h - pad, oneLine ? 8.0 : 7.0);
        l->setFont(f);
        QFontMetrics fm(f);
        if (oneLine) {
            w = std::max(w, fm.horizontalAdvance(l->text()) + pad);
            h = std::max(h, fm.height());
        } else {
            h = std::max(h, fm.boundingRect(QRect(0, 0, w - pad, 100000), Qt::TextWordWrap, l->text()).height() + pad);
        }
    } else if (c.kind() == Kind::Button) {
        widget_->setFont(fittingFont(withoutMnemonic(c.caption()), w - 10, 0, 7.0));
    } else if (c.kind() == Kind::CheckBox) {
        w = std::max(w, widget_->sizeHint().width());
    }
    widget_->setGeometry(px(c.left()), px(c.top()), w, h);
}

void Binding::syncTextSelection(TextBox& t) {
    const std::string& s = t.text();
    int a = viewPosition(s, t.selStart(), t.multiLine);
    int b = viewPosition(s, t.selStart() + t.selLength(), t.multiLine);
    if (auto* le = qobject_cast<QLineEdit*>(editor_.data())) {
        if (b > a)
            le->setSelection(a, b - a);
        else
            le->setCursorPosition(a);
    } else if (auto* pe = qobject_cast<QPlainTextEdit*>(editor_.data())) {
        QTextCursor cur = pe->textCursor();
        int n = pe->document()->characterCount() - 1;
        cur.setPosition(std::min(a, n));
        if (b > a) cur.setPosition(std::min(b, n), QTextCursor::KeepAnchor);
        pe->setTextCursor(cur);
    }
}

void Binding::syncTextBox(TextBox& t) {
    QString shown = displayText(t.text(), t.multiLine);
    if (auto* le = qobject_cast<QLineEdit*>(editor_.data())) {
        le->setEchoMode(t.passwordChar ? QLineEdit::Password : QLineEdit::Normal);
        if (le->text() != shown) le->setText(shown);
    } else if (auto* pe = qobject_cast<QPlainTextEdit*>(editor_.data())) {
        QString now = pe->toPlainText();
        if (now != shown) {
            // A frame gathered one character at a time only grows at the end.
            if (!now.isEmpty() && shown.startsWith(now)) {
                QTextCursor end(pe->document());
                end.movePosition(QTextCursor::End);
                end.insertText(shown.mid(now.size()));
            } else {
                pe->setPlainText(shown);
            }
        }
    }
    syncTextSelection(t);
}

void Binding::syncContent() {
    Control& c = *control_;
    switch (c.kind()) {
    case Kind::TextBox: syncTextBox(static_cast<TextBox&>(c)); break;
    case Kind::CheckBox: {
        auto& cb = static_cast<CheckBox&>(c);
        if (auto* w = qobject_cast<QCheckBox*>(widget_.data()))
            w->setCheckState(cb.value() == CheckBox::Checked   ? Qt::Checked
                             : cb.value() == CheckBox::Grayed ? Qt::PartiallyChecked
                                                              : Qt::Unchecked);
        else
            static_cast<QAbstractButton*>(widget_.data())->setChecked(cb.value() == CheckBox::Checked);
        break;
    }
    case Kind::Button: {
        auto& b = static_cast<Button&>(c);
        static_cast<QPushButton*>(widget_.data())->setDefault(b.isDefault);
        break;
    }
    case Kind::Label: {
        auto& l = static_cast<Label&>(c);
        auto* w = static_cast<QLabel*>(widget_.data());
        w->setFrameStyle(l.border ? (QFrame::Panel | QFrame::Sunken) : QFrame::NoFrame);
        w->setAlignment((l.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
        break;
    }
    case Kind::ComboBox: {
        auto& cb = static_cast<ComboBox&>(c);
        auto* w = static_cast<QComboBox*>(widget_.data());
        bool editable = cb.style != ComboBox::DropDownList;
        if (w->isEditable() != editable) {
            w->setEditable(editable);
            if (editable) {
                w->setInsertPolicy(QComboBox::NoInsert);
                w->setCompleter(nullptr);
                editor_ = w->lineEdit();
                editor_->installEventFilter(this);
                editor_->setContextMenuPolicy(Qt::PreventContextMenu);
                editor_->setAcceptDrops(false);
            } else {
                editor_ = nullptr;
            }
        }
        QStringList items;
        for (const auto& s : cb.list()) items << toQt(s);
        QStringList now;
        for (int i = 0; i < w->count(); ++i) now << w->itemText(i);
        if (now != items) {
            w->clear();
            w->addItems(items);
        }
        w->setCurrentIndex(cb.listIndex());
        if (editable && w->lineEdit()->text() != toQt(cb.text())) w->lineEdit()->setText(toQt(cb.text()));
        break;
    }
    case Kind::ListBox: {
        auto& lb = static_cast<ListBox&>(c);
        auto* w = static_cast<QListWidget*>(widget_.data());
        QStringList items;
        for (const auto& s : lb.list()) items << toQt(s);
        bool same = w->count() == items.size();
        for (int i = 0; same && i < w->count(); ++i) same = w->item(i)->text() == items[i];
        if (!same) {
            w->clear();
            w->addItems(items);
        }
        w->setCurrentRow(lb.listIndex());
        break;
    }
    case Kind::TabStrip: {
        auto& ts = static_cast<TabStrip&>(c);
        auto* w = static_cast<QTabBar*>(widget_.data());
        bool same = w->count() == static_cast<int>(ts.tabs.size());
        for (int i = 0; same && i < w->count(); ++i) same = w->tabText(i) == toQt(ts.tabs[i]);
        if (!same) {
            while (w->count() > 0) w->removeTab(0);
            for (const auto& s : ts.tabs) w->addTab(toQt(s));
        }
        if (ts.selected() < w->count()) w->setCurrentIndex(ts.selected());
        break;
    }
    default: break;
    }
}

void Binding::connectSignals() {
    Control* c = control_;
    switch (c->kind()) {
    case Kind::Button:
        QObject::connect(static_cast<QPushButton*>(widget_.data()), &QAbstractButton::clicked, this, [this] {
            if (control_ && !mirroring_) control_->userClick();
        });
        break;
    case Kind::CheckBox:
        // Qt's own toggle is switched off (LayerCheckBox); the layer toggles and sends the value.
        QObject::connect(static_cast<QAbstractButton*>(widget_.data()), &QAbstractButton::clicked, this, [this] {
            if (!control_ || mirroring_) return;
            control_->userClick();
            if (control_) changed(*control_, Prop::Value);
        });
        break;
    case Kind::ComboBox:
        QObject::connect(static_cast<QComboBox*>(widget_.data()), &QComboBox::activated, this, [this](int i) {
            if (!control_ || mirroring_) return;
            static_cast<ComboBox*>(control_)->userSelect(i);
            if (control_) changed(*control_, Prop::Selection);
        });
        break;
    case Kind::ListBox:
        QObject::connect(static_cast<QListWidget*>(widget_.data()), &QListWidget::currentRowChanged, this,
                         [this](int row) {
                             if (!control_ || mirroring_) return;
                             static_cast<ListBox*>(control_)->userSelect(row);
                             if (control_) changed(*control_, Prop::Selection);
                         });
        break;
    case Kind::TabStrip:
        QObject::connect(static_cast<QTabBar*>(widget_.data()), &QTabBar::currentChanged, this, [this](int i) {
            if (!control_ || mirroring_) return;
            static_cast<TabStrip*>(control_)->userSelect(i);
            if (control_) changed(*control_, Prop::Selection);
        });
        break;
    case Kind::TextBox:
        if (auto* le = qobject_cast<QLineEdit*>(editor_.data())) {
            QObject::connect(le, &QLineEdit::selectionChanged, this, [this] { selectionFromWidget(); });
            QObject::connect(le, &QLineEdit::cursorPositionChanged, this, [this] { selectionFromWidget(); });
        } else if (auto* pe = qobject_cast<QPlainTextEdit*>(editor_.data())) {
            QObject::connect(pe, &QPlainTextEdit::cursorPositionChanged, this, [this] { selectionFromWidget(); });
            QObject::connect(pe, &QPlainTextEdit::selectionChanged, this, [this] { selectionFromWidget(); });
        }
        break;
    default: break;
    }
}

void Binding::selectionFromWidget() {
    if (!control_ || mirroring_ || control_->kind() != Kind::TextBox) return;
    auto& t = static_cast<TextBox&>(*control_);
    int a = 0, b = 0;
    if (auto* le = qobject_cast<QLineEdit*>(editor_.data())) {
        if (le->hasSelectedText()) {
            a = le->selectionStart();
            b = a + static_cast<int>(le->selectedText().size());
        } else {
            a = b = le->cursorPosition();
        }
    } else if (auto* pe = qobject_cast<QPlainTextEdit*>(editor_.data())) {
        QTextCursor cur = pe->textCursor();
        a = cur.selectionStart();
        b = cur.selectionEnd();
    } else {
        return;
    }
    int sa = layerPosition(t.text(), a, t.multiLine);
    int sb = layerPosition(t.text(), b, t.multiLine);
    t.setSelectionFromView(sa, sb - sa);
}

// Enter presses the form's default button and Esc its cancel button, as on the desktop.
static bool pressFormButton(Form& f, bool cancel) {
    for (Control* c : f.controls()) {
        if (c->kind() != Kind::Button) continue;
        auto* b = static_cast<Button*>(c);
        if ((cancel ? b->isCancel : b->isDefault) && b->shown() && b->enabled()) {
            b->userClick();
            return true;
        }
    }
    return false;
}

bool Binding::enterOrEscape(QKeyEvent* ke) {
    if (ke->key() == Qt::Key_Escape) {
        pressFormButton(control_->form(), true);
        return true;
    }
    if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
        if (!pressFormButton(control_->form(), false) && control_ && control_->onKeyPress) {
            int k = 13;
            control_->onKeyPress(k);
        }
        return true;
    }
    return false;
}

void Binding::editTo(TextBox& t, const std::string& next, int caret) {
    t.userEdit(next);
    // userEdit leaves the caret at the end; a paste or a delete leaves it where the edit was.
    if (control_ == &t && t.text() == next) t.setSelStart(caret);
}

void Binding::insertText(TextBox& t, const std::string& s) {
    std::string in = s;
    int len = static_cast<int>(forms::utf8Length(t.text()));
    if (t.maxLength() > 0) {
        // What is pasted is cut to the room left; the text already there is never cut.
        int room = t.maxLength() - (len - t.selLength());
        if (room <= 0) return;
        in = in.substr(0, forms::utf8Offset(in, static_cast<std::size_t>(room)));
    }
    if (in.empty()) return;
    const std::string& old = t.text();
    std::size_t a = forms::utf8Offset(old, t.selStart());
    std::size_t b = forms::utf8Offset(old, t.selStart() + t.selLength());
    std::string next = old.substr(0, a) + in + old.substr(b);
    editTo(t, next, t.selStart() + static_cast<int>(forms::utf8Length(in)));
}

bool Binding::textKey(TextBox& t, QKeyEvent* ke) {
    selectionFromWidget();
    if (ke->matches(QKeySequence::Paste)) {
        insertText(t, pasteText(QGuiApplication::clipboard()->text(), t.multiLine));
        return true;
    }
    if (ke->matches(QKeySequence::Cut)) {
        if (t.selLength() > 0 && !t.passwordChar) {
            QGuiApplication::clipboard()->setText(toQt(t.selText()));
            const std::string& old = t.text();
            std::size_t a = forms::utf8Offset(old, t.selStart());
            std::size_t b = forms::utf8Offset(old, t.selStart() + t.selLength());
            editTo(t, old.substr(0, a) + old.substr(b), t.selStart());
        }
        return true;
    }
    if (ke->matches(QKeySequence::Copy)) return t.passwordChar != 0;  // Qt copies; a password never
    if (ke->matches(QKeySequence::Undo) || ke->matches(QKeySequence::Redo)) return true;
    const auto key = ke->key();
    const auto mods = ke->modifiers();
    if (key == Qt::Key_Delete && !(mods & (Qt::ControlModifier | Qt::AltModifier))) {
        const std::string& old = t.text();
        int start = t.selStart(), length = t.selLength();
        if (length == 0) {
            int len = static_cast<int>(forms::utf8Length(old));
            if (start >= len) return true;
            length = 1;
            // A line end is one keystroke but two characters.
            std::size_t at = forms::utf8Offset(old, start);
            if (t.multiLine && old.compare(at, 2, "\r\n") == 0) length = 2;
        }
        std::size_t a = forms::utf8Offset(old, start);
        std::size_t b = forms::utf8Offset(old, start + length);
        editTo(t, old.substr(0, a) + old.substr(b), start);
        return true;
    }
    if (key == Qt::Key_Backspace) {
        if (mods & (Qt::ControlModifier | Qt::AltModifier)) return true;
        // A line end is one keystroke: select both its characters and let the layer take them.
        if (t.multiLine && t.selLength() == 0 && t.selStart() >= 2) {
            std::size_t at = forms::utf8Offset(t.text(), t.selStart() - 2);
            if (t.text().compare(at, 2, "\r\n") == 0) t.setSelectionFromView(t.selStart() - 2, 2);
        }
        t.userType("\b");
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (!t.multiLine) return enterOrEscape(ke);
        int k = 13;
        if (t.onKeyPress) {
            t.onKeyPress(k);
            if (k == 0 || control_ != &t) return true;
        }
        if (!t.locked) insertText(t, "\r\n");
        return true;
    }
    if (key == Qt::Key_Escape) return enterOrEscape(ke);
    // With Ctrl or Alt only moving and selecting are Qt's: its word deletions and line kills
    // would edit behind the layer's back.
    if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return !movesOnly(ke);
    if (printable(ke->text())) {
        t.userType(fromQt(ke->text()));
        return true;
    }
    return false;  // navigation: Qt moves the caret and the selection is read back
}

// The combo's text part. Qt's combo hands its keys straight to its line edit, past any event
// filter, so they are taken here, on the combo itself: the edit is made on the layer's text where
// the caret is, and the line edit shows what the layer then holds.
bool Binding::comboKey(ComboBox& cb, QKeyEvent* ke) {
    const auto key = ke->key();
    const auto mods = ke->modifiers();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) return enterOrEscape(ke);
    auto* le = qobject_cast<QLineEdit*>(editor_.data());
    if (!le) return false;  // a drop-down list: Qt's own keys move through the list (a pick)
    const QString now = toQt(cb.text());
    int a = std::clamp(le->hasSelectedText() ? le->selectionStart() : le->cursorPosition(), 0, int(now.size()));
    int b = std::clamp(le->hasSelectedText() ? a + int(le->selectedText().size()) : a, a, int(now.size()));
    auto replace = [&](int from, int to, const QString& in) {
        QString next = now.left(from) + in + now.mid(to);
        cb.userEdit(fromQt(next));
        if (control_ == &cb && editor_ && le->text() == next) le->setCursorPosition(from + int(in.size()));
    };
    if (ke->matches(QKeySequence::Paste)) {
        replace(a, b, toQt(pasteText(QGuiApplication::clipboard()->text(), false)));
        return true;
    }
    if (ke->matches(QKeySequence::Cut)) {
        if (b > a) {
            QGuiApplication::clipboard()->setText(now.mid(a, b - a));
            replace(a, b, QString());
        }
        return true;
    }
    if (ke->matches(QKeySequence::Undo) || ke->matches(QKeySequence::Redo)) return true;
    if (key == Qt::Key_Backspace || key == Qt::Key_Delete) {
        if (mods & (Qt::ControlModifier | Qt::AltModifier)) return true;
        if (b == a) {
            if (key == Qt::Key_Backspace) {
                if (a == 0) return true;
                a -= (a >= 2 && now[a - 1].isLowSurrogate()) ? 2 : 1;
            } else {
                if (b >= now.size()) return true;
                b += (now[b].isHighSurrogate() && b + 1 < now.size()) ? 2 : 1;
            }
        }
        replace(a, b, QString());
        return true;
    }
    if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return !movesOnly(ke);
    if (printable(ke->text())) {
        QString in = ke->text();
        if (cb.onKeyPress && in.size() == 1 && in[0].unicode() < 0x80) {
            int k = in[0].unicode();
            cb.onKeyPress(k);
            if (k == 0 || control_ != &cb) return true;
        }
        replace(a, b, in);
        return true;
    }
    return false;  // caret moves and list keys are Qt's; list keys end in a pick
}

bool Binding::mouse(QEvent* e) {
    auto* me = static_cast<QMouseEvent*>(e);
    Control& c = *control_;
    const int shift = shiftMask(me->modifiers());
    const bool textual = c.kind() == Kind::TextBox || (c.kind() == Kind::ComboBox && editor_);
    switch (e->type()) {
    case QEvent::MouseButtonPress:
        if (me->button() == Qt::RightButton) {
            c.userPress(MouseButton::Right, shift);
            return true;
        }
        if (me->button() == Qt::MiddleButton) {
            // A middle click would paste the selection behind the layer's back.
            c.userPress(MouseButton::Middle, shift);
            return true;
        }
        if (me->button() == Qt::LeftButton) {
            if (c.kind() == Kind::TextBox) c.userPress(MouseButton::Left, shift);
            leftDown_ = true;
            // Taken here: a label's press would otherwise travel on to the frame around it.
            return c.kind() == Kind::Label || c.kind() == Kind::Frame;
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (me->button() == Qt::MiddleButton) return textual;
        if (me->button() == Qt::LeftButton && leftDown_) {
            leftDown_ = false;
            // Labels and frames have no click of their own in Qt.
            if (c.kind() == Kind::Label || c.kind() == Kind::Frame) {
                if (widget_->rect().contains(me->position().toPoint())) c.userClick();
                return true;
            }
        }
        return false;
    case QEvent::MouseButtonDblClick:
        if (me->button() == Qt::RightButton) {
            c.userPress(MouseButton::Right, shift);
            return true;
        }
        if (me->button() != Qt::LeftButton) return textual;
        if (c.kind() == Kind::TextBox || c.kind() == Kind::Label || c.kind() == Kind::Frame ||
            c.kind() == Kind::ListBox || c.kind() == Kind::ComboBox) {
            c.userDblClick();
            return c.kind() == Kind::Label || c.kind() == Kind::Frame;
        }
        return false;
    default: return false;
    }
}

bool Binding::eventFilter(QObject* obj, QEvent* e) {
    if (!control_ || mirroring_) return false;
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: return mouse(e);
    case QEvent::FocusIn:
        control_->userFocus();
        return false;
    case QEvent::KeyPress: {
        auto* ke = static_cast<QKeyEvent*>(e);
        if (control_->kind() == Kind::TextBox && obj == editor_) return textKey(static_cast<TextBox&>(*control_), ke);
        if (control_->kind() == Kind::ComboBox && (obj == editor_ || obj == widget_))
            return comboKey(static_cast<ComboBox&>(*control_), ke);
        if (ke->key() == Qt::Key_Escape) return enterOrEscape(ke);
        if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
            if (control_->kind() == Kind::Button) {
                control_->userClick();  // Enter on a focused button presses that button
                return true;
            }
            return enterOrEscape(ke);
        }
        // Other controls hear typed characters too, and may swallow them.
        if (control_->onKeyPress && printable(ke->text()) && ke->text().size() == 1 &&
            ke->text()[0].unicode() < 0x80 && !(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            int k = ke->text()[0].unicode();
            control_->onKeyPress(k);
            return k == 0;
        }
        return false;
    }
    case QEvent::InputMethod: {
        if (obj != editor_ && !(control_->kind() == Kind::ComboBox && editor_ && obj == widget_)) return false;
        auto* im = static_cast<QInputMethodEvent*>(e);
        if (!im->commitString().isEmpty()) {
            if (control_->kind() == Kind::TextBox)
                static_cast<TextBox&>(*control_).userType(fromQt(im->commitString()));
            else if (control_->kind() == Kind::ComboBox) {
                auto& cb = static_cast<ComboBox&>(*control_);
                cb.userEdit(cb.text() + fromQt(im->commitString()));
            }
        }
        return true;
    }
    case QEvent::Drop:
    case QEvent::DragEnter:
    case QEvent::DragMove: return true;  // a drop would change a text behind the layer's back
    default: return false;
    }
}

// ---------------------------------------------------------------- FormWindow

class FormWindow : public QWidget {
public:
    FormWindow(QtHost& host, Form& form) : host_(host), form_(&form) {
        setAttribute(Qt::WA_DeleteOnClose, false);
    }
    void detach() { form_ = nullptr; }
    Form* form() const { return form_; }

protected:
    void closeEvent(QCloseEvent* e) override {
        // The layer decides: QueryUnload may cancel, Unload hides the window through the host.
        e->ignore();
        if (!form_ || host_.quitting()) return;
        form_->userClose();
    }
    bool event(QEvent* e) override {
        if (e->type() == QEvent::WindowActivate && form_) host_.windowActivated(*form_);
        return QWidget::event(e);
    }
    void keyPressEvent(QKeyEvent* ke) override {
        if (form_ && (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter || ke->key() == Qt::Key_Escape)) {
            pressFormButton(*form_, ke->key() == Qt::Key_Escape);
            return;
        }
        QWidget::keyPressEvent(ke);
    }

private:
    QtHost& host_;
    Form* form_;
};

// ---------------------------------------------------------------- FormState

struct QtHost::FormState : forms::FormView {
    FormState(QtHost& h, Form& f) : host(h), form(f) {}
    QtHost& host;
    Form& form;
    QPointer<FormWindow> window;
    QWidget* content = nullptr;
    QMenuBar* bar = nullptr;
    std::map<const Control*, Binding*> bindings;
    std::map<const Menu*, QMenu*> menus;      // top-level menus and items that hold items
    std::map<const Menu*, QAction*> actions;  // items without items
    bool syncingMenus = false;
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);

    void formChanged(Form& f, Prop p) override {
        if (&f != &form || !window) return;
        switch (p) {
        case Prop::Caption:
            window->setWindowTitle(toQt(form.caption()));
            syncMenus();
            break;
        case Prop::Geometry: placeWindow(); break;
        default: syncMenus(); break;
        }
    }
    void controlAdded(Control& c) override {
        if (Binding* b = bind(c)) b->syncAll();
    }
    void formDestroyed(Form& f) override { host.formGone(f); }

    Binding* bind(Control& c);
    void syncMenus();
    void syncItems(QMenu* qm, const Menu& m);
    void placeWindow();
};

Binding* QtHost::FormState::bind(Control& c) {
    if (bindings.count(&c)) return bindings[&c];
    QWidget* parent = content;
    if (c.container())
        if (auto it = bindings.find(c.container()); it != bindings.end()) parent = it->second->containerWidget();
    QWidget* w = nullptr;
    QWidget* editor = nullptr;
    switch (c.kind()) {
    case Kind::TextBox: {
        auto& t = static_cast<TextBox&>(c);
        if (t.multiLine) {
            auto* pe = new QPlainTextEdit(parent);
            pe->setTabChangesFocus(true);
            pe->setUndoRedoEnabled(false);
            w = editor = pe;
            // Keys reach the viewport's owner; mouse events its viewport.
            pe->viewport()->setContextMenuPolicy(Qt::PreventContextMenu);
        } else {
            auto* le = new QLineEdit(parent);
            le->setDragEnabled(false);
            w = editor = le;
        }
        break;
    }
    case Kind::CheckBox: {
        if (static_cast<CheckBox&>(c).opcion) {
            w = new LayerRadioButton(parent);
            break;
        }
        auto* cb = new LayerCheckBox(parent);
        cb->setTristate(true);
        w = cb;
        break;
    }
    case Kind::Button: {
        auto* b = new QPushButton(parent);
        b->setAutoDefault(false);
        w = b;
        break;
    }
    case Kind::Label: w = new QLabel(parent); break;
    case Kind::Frame: w = new QGroupBox(parent); break;
    case Kind::ComboBox: w = new QComboBox(parent); break;
    case Kind::ListBox: w = new QListWidget(parent); break;
    case Kind::TabStrip: {
        auto* tb = new QTabBar(parent);
        tb->setDrawBase(true);
        tb->setExpanding(false);
        w = tb;
        break;
    }
    case Kind::Timer: return nullptr;
    }
    auto* b = new Binding(host, c, w, editor);
    // Mouse events of a scrolling widget (a list, a multi-line box) arrive at its viewport.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) {
        area->viewport()->installEventFilter(b);
        area->viewport()->setAcceptDrops(false);
    }
    bindings[&c] = b;
    b->connectSignals();
    return b;
}

void QtHost::FormState::syncItems(QMenu* qm, const Menu& m) {
    for (const Menu* item : m.items()) {
        QAction* act = nullptr;
        if (!item->items().empty()) {
            QMenu*& sub = menus[item];
            if (!sub) {
                sub = new QMenu(qm);
                qm->addMenu(sub);
            }
            sub->setTitle(toQt(item->caption()));
            act = sub->menuAction();
            syncItems(sub, *item);
        } else {
            QAction*& a = actions[item];
            if (!a) {
                a = new QAction(qm);
                qm->addAction(a);
                Menu* target = const_cast<Menu*>(item);
                // The window (and so the action) outlives this state by a turn of the loop.
                QObject::connect(a, &QAction::triggered, window, [alive = alive, h = &host, target] {
                    if (*alive && !h->quitting()) target->userChoose();
                });
            }
            act = a;
        }
        act->setSeparator(item->caption() == "-");
        if (item->caption() != "-") act->setText(toQt(item->caption()));
        act->setVisible(item->visible());
        act->setEnabled(item->enabled());
    }
}

void QtHost::FormState::syncMenus() {
    if (!window || syncingMenus) return;
    FlagScope guard(syncingMenus);
    QList<QAction*> wanted;
    for (const Menu* m : form.menus()) {
        QMenu*& qm = menus[m];
        if (!qm) qm = new QMenu(window);
        qm->setTitle(toQt(m->caption()));
        qm->menuAction()->setEnabled(m->enabled());
        syncItems(qm, *m);
        // A hidden menu leaves the bar altogether: a hidden action would keep its mnemonic.
        if (m->visible()) wanted << qm->menuAction();
    }
    if (!bar && wanted.isEmpty()) return;
    if (!bar) {
        bar = new QMenuBar(window);
        static_cast<QVBoxLayout*>(window->layout())->setMenuBar(bar);
    }
    if (bar->actions() != wanted) {
        for (QAction* a : bar->actions()) bar->removeAction(a);
        bar->addActions(wanted);
    }
    const bool hadBar = bar->isVisibleTo(window);
    bar->setVisible(!wanted.isEmpty());
    if (hadBar != !wanted.isEmpty()) placeWindow();
}

void QtHost::FormState::placeWindow() {
    if (!window) return;
    // The form's size counts its border and title bar; the client area is what is left.
    int w = std::max(px(form.width()) - 8, 80);
    int h = std::max(px(form.height()) - 30, 40);
    content->setMinimumSize(w, h);
    content->resize(w, h);
    int barH = (bar && bar->isVisibleTo(window)) ? bar->sizeHint().height() : 0;
    window->resize(w, h + barH);
    window->move(px(form.left()), px(form.top()));
}

// ---------------------------------------------------------------- QtHost

struct QtHost::Watch {
    QSocketNotifier* notifier;
    std::shared_ptr<std::function<void()>> cb;
};

QtHost::QtHost() {
    clock_.start();
    // Only the program decides when it ends; a hidden last window is not the end.
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) app->setQuitOnLastWindowClosed(false);
    applyStandardFont();
}

QtHost::~QtHost() {
    for (auto& [f, st] : forms_) {
        *st->alive = false;
        for (auto& [c, b] : st->bindings) b->detach();
        st->form.setView(nullptr);
        if (st->window) {
            st->window->detach();
            delete st->window.data();
        }
    }
    forms_.clear();
    for (auto& [t, q] : timers_) delete q;
    timers_.clear();
    for (auto& [id, w] : watches_) delete w->notifier;
    watches_.clear();
}

QtHost::FormState* QtHost::stateOf(const Form& form) const {
    auto it = forms_.find(&form);
    return it == forms_.end() ? nullptr : it->second.get();
}

QWidget* QtHost::windowOf(const Form& form) const {
    FormState* st = stateOf(form);
    return st ? st->window.data() : nullptr;
}

QWidget* QtHost::contentOf(const Form& form) const {
    FormState* st = stateOf(form);
    return st ? st->content : nullptr;
}

QWidget* QtHost::widgetOf(const Control& control) const {
    FormState* st = stateOf(control.form());
    if (!st) return nullptr;
    auto it = st->bindings.find(&control);
    return it == st->bindings.end() ? nullptr : it->second->widget();
}

QMenu* QtHost::barMenuOf(const Menu& menu) const {
    FormState* st = stateOf(menu.form());
    if (!st || !st->bar) return nullptr;
    auto it = st->menus.find(&menu);
    if (it == st->menus.end()) return nullptr;
    return st->bar->actions().contains(it->second->menuAction()) ? it->second : nullptr;
}

QWidget* QtHost::ensureWindow(Form& form) {
    if (FormState* st = stateOf(form); st && st->window) return st->window;
    auto st = std::make_unique<FormState>(*this, form);
    auto* win = new FormWindow(*this, form);
    win->setWindowTitle(toQt(form.caption()));
    auto* lay = new QVBoxLayout(win);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    st->content = new QWidget(win);
    lay->addWidget(st->content);
    lay->addStretch(0);
    st->window = win;
    FormState* raw = st.get();
    forms_[&form] = std::move(st);
    form.setView(raw);
    // Frames first, so their children can go into them; then everything in the form's order.
    std::vector<Binding*> made;
    for (Control* c : form.controls())
        if (c->kind() == Kind::Frame)
            if (Binding* b = raw->bind(*c)) made.push_back(b);
    for (Control* c : form.controls())
        if (c->kind() != Kind::Frame)
            if (Binding* b = raw->bind(*c)) made.push_back(b);
    for (Binding* b : made) b->syncAll();
    // Tab order follows TabIndex.
    std::vector<Binding*> order = made;
    std::stable_sort(order.begin(), order.end(),
                     [](Binding* a, Binding* b) { return a->control()->tabIndex < b->control()->tabIndex; });
    QWidget* prev = nullptr;
    for (Binding* b : order) {
        if (b->control()->kind() == Kind::Frame || b->control()->kind() == Kind::Label) continue;
        if (prev) QWidget::setTabOrder(prev, b->widget());
        prev = b->widget();
    }
    raw->syncMenus();
    raw->placeWindow();
    return win;
}

void QtHost::formShown(Form& form) {
    QWidget* w = ensureWindow(form);
    FormState* st = stateOf(form);
    st->syncMenus();
    w->setWindowModality(form.modal() ? Qt::ApplicationModal : Qt::NonModal);
    lastActive_ = &form;  // Form::show runs Activate itself
    w->show();
    w->raise();
    w->activateWindow();
}

void QtHost::formHidden(Form& form) {
    if (QWidget* w = windowOf(form)) w->hide();
    if (lastActive_ == &form) lastActive_ = nullptr;
    endModal(form);
}

void QtHost::formUnloaded(Form& form) {
    endModal(form);
    dropWindow(form);
}

void QtHost::formGone(Form& form) {
    endModal(form);
    dropWindow(form);
    for (Control* c : form.controls()) {
        if (c->kind() != Kind::Timer) continue;
        auto it = timers_.find(static_cast<Timer*>(c));
        if (it == timers_.end()) continue;
        it->second->stop();
        it->second->deleteLater();
        timers_.erase(it);
    }
    modalLoops_.erase(&form);
}

void QtHost::dropWindow(Form& form) {
    auto it = forms_.find(&form);
    if (it == forms_.end()) return;
    FormState* st = it->second.get();
    *st->alive = false;
    for (auto& [c, b] : st->bindings) b->detach();
    if (form.view() == st) form.setView(nullptr);
    if (st->window) {
        st->window->detach();
        st->window->hide();
        // The window may be the one whose event is running right now.
        st->window->deleteLater();
    }
    if (lastActive_ == &form) lastActive_ = nullptr;
    forms_.erase(it);
}

void QtHost::endModal(Form& form) {
    auto it = modalLoops_.find(&form);
    if (it == modalLoops_.end()) return;
    for (QEventLoop* loop : it->second) loop->exit(0);
}

void QtHost::windowActivated(Form& form) {
    if (lastActive_ == &form) return;
    lastActive_ = &form;
    form.userActivate();
}

void QtHost::focus(Control& control) {
    QWidget* w = widgetOf(control);
    if (w && !w->hasFocus() && w->isVisible() && w->isEnabled()) w->setFocus(Qt::OtherFocusReason);
}

void QtHost::refresh(Form& form) {
    // Paints at once, without an event loop: nothing else runs before the caller goes on.
    if (QWidget* w = windowOf(form); w && w->isVisible()) w->repaint();
}

void QtHost::runModal(Form& form) {
    if (quitting_ || !form.visible()) return;
    // Already up without being modal (shown modeless before): it becomes modal now.
    if (QWidget* w = windowOf(form); w && w->windowModality() != Qt::ApplicationModal) {
        w->hide();
        w->setWindowModality(Qt::ApplicationModal);
        w->show();
    }
    QEventLoop loop;
    modalLoops_[&form].push_back(&loop);
    loop.exec(QEventLoop::DialogExec);
    auto it = modalLoops_.find(&form);
    if (it != modalLoops_.end()) {
        auto& v = it->second;
        v.erase(std::remove(v.begin(), v.end(), &loop), v.end());
        if (v.empty()) modalLoops_.erase(it);
    }
    if (QWidget* w = windowOf(form); w && !w->isVisible()) w->setWindowModality(Qt::NonModal);
}

namespace {

struct BoxButton {
    QMessageBox::StandardButton qt;
    int answer;
};

std::vector<BoxButton> boxButtons(int style) {
    using QB = QMessageBox;
    switch (style & 7) {
    case forms::vbOKCancel: return {{QB::Ok, forms::vbOK}, {QB::Cancel, forms::vbCancel}};
    case forms::vbAbortRetryIgnore:
        return {{QB::Abort, forms::vbAbort}, {QB::Retry, forms::vbRetry}, {QB::Ignore, forms::vbIgnore}};
    case forms::vbYesNoCancel: return {{QB::Yes, forms::vbYes}, {QB::No, forms::vbNo}, {QB::Cancel, forms::vbCancel}};
    case forms::vbYesNo: return {{QB::Yes, forms::vbYes}, {QB::No, forms::vbNo}};
    case forms::vbRetryCancel: return {{QB::Retry, forms::vbRetry}, {QB::Cancel, forms::vbCancel}};
    default: return {{QB::Ok, forms::vbOK}};
    }
}

// The answer when the box goes without a button pressed (the program is ending, or the box was
// closed): the one that does nothing.
int quietAnswer(int style) {
    switch (style & 7) {
    case forms::vbOKCancel:
    case forms::vbYesNoCancel:
    case forms::vbRetryCancel: return forms::vbCancel;
    case forms::vbAbortRetryIgnore: return forms::vbAbort;
    case forms::vbYesNo: return forms::vbNo;
    default: return forms::vbOK;
    }
}

}  // namespace

int QtHost::msgBox(const std::string& prompt, int style, const std::string& title) {
    if (quitting_) return quietAnswer(style);
    QWidget* parent = QApplication::activeWindow();
    if (!parent && lastActive_) parent = windowOf(*lastActive_);
    // On the heap and watched: a timer or the serial line may unload the form under the box
    // while it waits, and the form's window takes its children with it.
    QPointer<QMessageBox> box = new QMessageBox(parent);
    box->setWindowTitle(toQt(title));
    box->setTextFormat(Qt::PlainText);  // the text is shown as it is, never as markup
    box->setText(toQt(prompt));
    switch (style & 0x70) {
    case forms::vbCritical: box->setIcon(QMessageBox::Critical); break;
    case forms::vbQuestion: box->setIcon(QMessageBox::Question); break;
    case forms::vbExclamation: box->setIcon(QMessageBox::Warning); break;
    case forms::vbInformation: box->setIcon(QMessageBox::Information); break;
    default: box->setIcon(QMessageBox::NoIcon); break;
    }
    auto buttons = boxButtons(style);
    std::vector<std::pair<QAbstractButton*, int>> made;
    for (const auto& b : buttons) made.emplace_back(box->addButton(b.qt), b.answer);
    // The second and third buttons can be the default one (256, 512).
    std::size_t def = std::min<std::size_t>(static_cast<std::size_t>((style >> 8) & 3), made.size() - 1);
    box->setDefaultButton(static_cast<QPushButton*>(made[def].first));
    openBoxes_.push_back(box.data());
    box->exec();
    openBoxes_.erase(std::remove_if(openBoxes_.begin(), openBoxes_.end(),
                                    [&](const QPointer<QWidget>& w) { return !w || w == box.data(); }),
                     openBoxes_.end());
    if (!box) return quietAnswer(style);
    QAbstractButton* clicked = box->clickedButton();
    delete box.data();
    if (quitting_) return quietAnswer(style);
    for (const auto& [btn, answer] : made)
        if (btn == clicked) return answer;
    return quietAnswer(style);
}

namespace {

void fillPopup(QMenu& qm, const Menu& m, std::map<QAction*, Menu*>& chosen) {
    for (Menu* item : m.items()) {
        if (!item->visible()) continue;
        if (item->caption() == "-") {
            qm.addSeparator();
            continue;
        }
        if (!item->items().empty()) {
            QMenu* sub = qm.addMenu(toQt(item->caption()));
            sub->setEnabled(item->enabled());
            fillPopup(*sub, *item, chosen);
            continue;
        }
        QAction* a = qm.addAction(toQt(item->caption()));
        a->setEnabled(item->enabled());
        chosen[a] = item;
    }
}

}  // namespace

void QtHost::popupMenu(Menu& menu) {
    if (quitting_) return;
    // A pop-up of its own: the bar's menu would also fire its triggered signal, and a hidden
    // top-level menu has no bar entry at all.
    QPointer<QMenu> popup = new QMenu(windowOf(menu.form()));
    std::map<QAction*, Menu*> chosen;
    fillPopup(*popup, menu, chosen);
    if (popup->isEmpty()) {
        delete popup.data();
        return;
    }
    openBoxes_.push_back(popup.data());
    QAction* a = popup->exec(QCursor::pos());
    openBoxes_.erase(std::remove_if(openBoxes_.begin(), openBoxes_.end(),
                                    [&](const QPointer<QWidget>& w) { return !w || w == popup.data(); }),
                     openBoxes_.end());
    if (!popup) return;  // its form went away while it was open
    delete popup.data();
    if (!a || quitting_) return;
    auto it = chosen.find(a);
    // The chosen item's handler runs before the pop-up returns to its caller.
    if (it != chosen.end() && it->second->enabled() && it->second->onClick) it->second->onClick();
}

void QtHost::timerChanged(Timer& timer) {
    auto it = timers_.find(&timer);
    const bool run = timer.timerEnabled() && timer.interval() > 0;
    if (!run) {
        if (it != timers_.end()) it->second->stop();
        return;
    }
    QTimer* q;
    if (it == timers_.end()) {
        q = new QTimer();
        q->setTimerType(Qt::PreciseTimer);
        Timer* t = &timer;
        QObject::connect(q, &QTimer::timeout, q, [this, t] {
            if (!quitting_) t->fireTimer();
        });
        timers_[&timer] = q;
    } else {
        q = it->second;
    }
    q->start(timer.interval());  // (re)starts the count from now
}

std::uint32_t QtHost::tickCount() { return static_cast<std::uint32_t>(clock_.elapsed()); }

void QtHost::doEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

int QtHost::watchFd(int fd, std::function<void()> onReadable) {
    int id = nextWatch_++;
    auto w = std::make_unique<Watch>();
    w->notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
    w->cb = std::make_shared<std::function<void()>>(std::move(onReadable));
    std::weak_ptr<std::function<void()>> weak = w->cb;
    QObject::connect(w->notifier, &QSocketNotifier::activated, w->notifier, [weak] {
        // Held for the call: the callback may unwatch itself.
        if (auto cb = weak.lock()) (*cb)();
    });
    watches_[id] = std::move(w);
    return id;
}

void QtHost::unwatchFd(int id) {
    auto it = watches_.find(id);
    if (it == watches_.end()) return;
    it->second->notifier->setEnabled(false);
    // It may be the notifier whose signal is running now.
    it->second->notifier->deleteLater();
    watches_.erase(it);
}

void QtHost::quit(int code) {
    if (quitting_) return;
    quitting_ = true;
    exitCode_ = code;
    // Every loop ends, the nested ones (boxes, pop-ups, modal forms) first; the handler that
    // called this still runs to its end.
    for (auto& b : openBoxes_)
        if (b) b->hide();
    for (auto& [f, loops] : modalLoops_)
        for (QEventLoop* l : loops) l->exit(0);
    // Before the main loop has started there is nothing to end: exec() sees `quitting_` and
    // returns at once. (A request queued for later would end whatever loop ran next, a later
    // program's or test's included.)
    QCoreApplication::exit(code);
}

int QtHost::exec() {
    if (quitting_) return exitCode_;
    int r = QCoreApplication::exec();
    return quitting_ ? exitCode_ : r;
}

// ---------------------------------------------------------------- helpers

void applyStandardFont() {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSize(9);
    f.setStyleHint(QFont::SansSerif);
    QApplication::setFont(f);
}

bool grabForm(Form& form, const std::string& pngPath) {
    auto* host = dynamic_cast<QtHost*>(&form.host());
    if (!host) return false;
    QWidget* w = host->ensureWindow(form);
    if (!w) return false;
    w->ensurePolished();
    if (w->layout()) w->layout()->activate();
    QPixmap pm = w->grab();
    if (pm.isNull()) return false;
    return pm.save(toQt(pngPath), "PNG");
}

int runApplication(int argc, char** argv, const std::function<int(QtHost&)>& body) {
    QApplication app(argc, argv);
    QtHost host;
    return body(host);
}

}  // namespace zylma::qt
