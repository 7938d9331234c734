// A combo box: a QComboBox, editable unless the control is a drop-down list.
//
// Typing in its text part is the combo's text as typed: each edit goes to the layer (Change runs,
// the list index becomes -1). Only a pick in the list, by the mouse or by the list keys, selects
// an entry. Qt's combo hands its keys straight to its line edit, past any event filter, so they
// are taken here on the combo itself; the edit is made on the layer's text where the caret is,
// and the line edit then shows what the layer holds.
#include "host_parts.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace zylma::qt {

using forms::ComboBox;
using forms::Prop;
using namespace parts;

namespace {

class ComboBinding : public Binding {
public:
    ComboBinding(QtHost& h, ComboBox& c, QComboBox* w) : Binding(h, c, w) {}

    void connectSignals() override {
        QObject::connect(combo(), &QComboBox::activated, this, [this](int i) {
            if (!control_ || mirroring_) return;
            box().userSelect(i);
            if (control_) changed(*control_, Prop::Selection);
        });
    }

protected:
    ComboBox& box() const { return static_cast<ComboBox&>(*control_); }
    QComboBox* combo() const { return static_cast<QComboBox*>(widget_.data()); }

    void syncContent() override {
        ComboBox& cb = box();
        QComboBox* w = combo();
        const bool editable = cb.style != ComboBox::DropDownList;
        if (w->isEditable() != editable) {
            w->setEditable(editable);
            if (editable) {
                w->setInsertPolicy(QComboBox::NoInsert);
                w->setCompleter(nullptr);
                // Qt's combo picks the entry its text spells when the focus leaves the text: a
                // typed name would then become a pick. Only the user picks.
                QObject::disconnect(w->lineEdit(), &QLineEdit::editingFinished, w, nullptr);
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
    }

    bool key(QObject* obj, QKeyEvent* ke) override {
        if (obj != editor_ && obj != widget_) return Binding::key(obj, ke);
        return comboKey(box(), ke);
    }

    bool inputMethod(QObject* obj, QInputMethodEvent* im) override {
        if (!editor_ || (obj != editor_ && obj != widget_)) return false;
        if (!im->commitString().isEmpty()) replaceSelection(box(), im->commitString());
        return true;
    }

    bool leftDoubleClick() override {
        control_->userDblClick();
        return false;
    }
    bool textual() const override { return editor_ != nullptr; }

private:
    // Where the edit goes, in the line edit's units: the selection, or the caret.
    void editRange(int& a, int& b) const {
        auto* le = static_cast<QLineEdit*>(editor_.data());
        const int n = static_cast<int>(toQt(box().text()).size());
        a = std::clamp(le->hasSelectedText() ? le->selectionStart() : le->cursorPosition(), 0, n);
        b = std::clamp(le->hasSelectedText() ? a + static_cast<int>(le->selectedText().size()) : a, a, n);
    }

    void replace(ComboBox& cb, int from, int to, const QString& in) {
        const QString now = toQt(cb.text());
        const QString next = now.left(from) + in + now.mid(to);
        cb.userEdit(fromQt(next));
        auto* le = qobject_cast<QLineEdit*>(editor_.data());
        if (control_ == &cb && le && le->text() == next) le->setCursorPosition(from + static_cast<int>(in.size()));
    }

    void replaceSelection(ComboBox& cb, const QString& in) {
        int a, b;
        editRange(a, b);
        replace(cb, a, b, in);
    }

    bool comboKey(ComboBox& cb, QKeyEvent* ke) {
        const auto key = ke->key();
        const auto mods = ke->modifiers();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) return enterOrEscape(ke);
        if (!editor_) return false;  // a drop-down list: Qt's own keys move through the list (a pick)
        const QString now = toQt(cb.text());
        int a, b;
        editRange(a, b);
        if (ke->matches(QKeySequence::Paste)) {
            replace(cb, a, b, toQt(pasteText(QGuiApplication::clipboard()->text(), false)));
            return true;
        }
        if (ke->matches(QKeySequence::Cut)) {
            if (b > a) {
                QGuiApplication::clipboard()->setText(now.mid(a, b - a));
                replace(cb, a, b, QString());
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
            replace(cb, a, b, QString());
            return true;
        }
        if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return !movesOnly(ke);
        if (printable(ke->text())) {
            const QString in = ke->text();
            if (cb.onKeyPress && in.size() == 1 && in[0].unicode() < 0x80) {
                int k = in[0].unicode();
                cb.onKeyPress(k);
                if (k == 0 || control_ != &cb) return true;
            }
            replace(cb, a, b, in);
            return true;
        }
        return false;  // caret moves and list keys are Qt's; a list key ends in a pick
    }
};

}  // namespace

Binding* bindComboBox(QtHost& h, ComboBox& c, QWidget* parent) {
    return new ComboBinding(h, c, new QComboBox(parent));
}

}  // namespace zylma::qt
