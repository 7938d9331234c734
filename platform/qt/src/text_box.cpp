// A text box: a line edit, or a plain text edit when it is multi-line. Every keystroke that
// would change the text goes to the layer (KeyPress, MaxLength, Locked, Change); Qt only moves
// the caret and the selection, which are read back before each edit.
#include "host_parts.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>

namespace zylma::qt {

using forms::MouseButton;
using forms::TextBox;
using namespace parts;

namespace {

class TextBinding : public Binding {
public:
    TextBinding(QtHost& h, TextBox& t, QWidget* w) : Binding(h, t, w, w) {}

    void connectSignals() override {
        if (auto* le = qobject_cast<QLineEdit*>(editor_.data())) {
            QObject::connect(le, &QLineEdit::selectionChanged, this, [this] { selectionFromWidget(); });
            QObject::connect(le, &QLineEdit::cursorPositionChanged, this, [this] { selectionFromWidget(); });
        } else if (auto* pe = qobject_cast<QPlainTextEdit*>(editor_.data())) {
            QObject::connect(pe, &QPlainTextEdit::cursorPositionChanged, this, [this] { selectionFromWidget(); });
            QObject::connect(pe, &QPlainTextEdit::selectionChanged, this, [this] { selectionFromWidget(); });
        }
    }

protected:
    TextBox& box() const { return static_cast<TextBox&>(*control_); }

    void syncContent() override {
        TextBox& t = box();
        QString shown = displayText(t.text(), t.multiLine);
        if (auto* le = qobject_cast<QLineEdit*>(editor_.data())) {
            le->setEchoMode(t.passwordChar ? QLineEdit::Password : QLineEdit::Normal);
            // The box's own password character, not the style's dot.
            const QString mask = t.passwordChar ? QStringLiteral("QLineEdit { lineedit-password-character: %1; }")
                                                      .arg(static_cast<unsigned char>(t.passwordChar))
                                                : QString();
            if (le->styleSheet() != mask) le->setStyleSheet(mask);
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
        syncSelection();
    }

    bool key(QObject* obj, QKeyEvent* ke) override {
        if (obj != editor_) return Binding::key(obj, ke);
        return textKey(box(), ke);
    }

    bool inputMethod(QObject* obj, QInputMethodEvent* im) override {
        if (obj != editor_) return false;
        if (!im->commitString().isEmpty()) box().userType(fromQt(im->commitString()));
        return true;
    }

    bool leftPress(int shift) override {
        control_->userPress(MouseButton::Left, shift);
        return false;  // Qt places the caret
    }
    bool leftDoubleClick() override {
        control_->userDblClick();
        return false;
    }
    bool textual() const override { return true; }

private:
    void syncSelection() {
        TextBox& t = box();
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

    void selectionFromWidget() {
        if (!control_ || mirroring_) return;
        TextBox& t = box();
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

    void editTo(TextBox& t, const std::string& next, int caret) {
        t.userEdit(next);
        // userEdit leaves the caret at the end; a paste or a delete leaves it where the edit was.
        if (control_ == &t && t.text() == next) t.setSelStart(caret);
    }

    void insertText(TextBox& t, const std::string& s) {
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

    bool textKey(TextBox& t, QKeyEvent* ke) {
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
};

}  // namespace

Binding* bindTextBox(QtHost& h, TextBox& t, QWidget* parent) {
    if (t.multiLine) {
        auto* pe = new QPlainTextEdit(parent);
        pe->setTabChangesFocus(true);
        pe->setUndoRedoEnabled(false);
        auto* b = new TextBinding(h, t, pe);
        // Keys reach the viewport's owner; mouse events its viewport.
        pe->viewport()->setContextMenuPolicy(Qt::PreventContextMenu);
        pe->viewport()->installEventFilter(b);
        pe->viewport()->setAcceptDrops(false);
        return b;
    }
    auto* le = new QLineEdit(parent);
    le->setDragEnabled(false);
    return new TextBinding(h, t, le);
}

}  // namespace zylma::qt
