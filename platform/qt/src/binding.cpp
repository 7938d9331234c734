// What every control's widget shares: it follows the control (visibility, geometry, caption,
// content) and hands the user's presses, focus and Enter/Esc to the layer.
#include "host_parts.h"

#include <QApplication>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

namespace zylma::qt {

using forms::Button;
using forms::Control;
using forms::Form;
using forms::Kind;
using forms::MouseButton;
using forms::Prop;

namespace parts {

int shiftMask(Qt::KeyboardModifiers m) {
    int s = 0;
    if (m & Qt::ShiftModifier) s |= 1;
    if (m & Qt::ControlModifier) s |= 2;
    if (m & Qt::AltModifier) s |= 4;
    return s;
}

bool printable(const QString& t) {
    if (t.isEmpty()) return false;
    for (QChar c : t)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
    return true;
}

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

QFont titleFont() {
    QFont f = QApplication::font();
    f.setBold(true);
    return f;
}

int titleBarWidth(const QString& title) {
    // The title's text, and room for the window's icon and the title bar's three buttons.
    return QFontMetrics(titleFont()).horizontalAdvance(title) + 120;
}

bool pressFormButton(Form& f, bool cancel) {
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

}  // namespace parts

using namespace parts;

Binding::Binding(QtHost& host, Control& c, QWidget* widget, QWidget* editor)
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

void Binding::detach() {
    if (control_ && control_->view() == this) control_->setView(nullptr);
    control_ = nullptr;
}

void Binding::changed(Control& c, Prop p) {
    if (&c != control_ || !widget_) return;
    FlagScope guard(mirroring_);
    switch (p) {
    case Prop::Visible: widget_->setVisible(c.visible()); break;
    case Prop::Enabled: widget_->setEnabled(c.enabled()); break;
    case Prop::Geometry: syncGeometry(); break;
    case Prop::Caption:
        syncCaption();
        syncGeometry();
        break;
    case Prop::Text:
    case Prop::Value:
    case Prop::List:
    case Prop::Selection:
    case Prop::Style: syncContent(); break;
    }
}

void Binding::syncAll() {
    if (!control_ || !widget_) return;
    FlagScope guard(mirroring_);
    syncCaption();
    syncContent();
    syncGeometry();
    widget_->setEnabled(control_->enabled());
    widget_->setToolTip(toQt(control_->toolTip));
    widget_->setVisible(control_->visible());
}

void Binding::syncGeometry() {
    Control& c = *control_;
    QWidget* parent = nullptr;
    if (Control* frame = c.container())
        if (QWidget* fw = host_.widgetOf(*frame)) parent = fw;
    if (!parent) {
        if (!host_.stateOf(c.form())) return;
        parent = host_.contentOf(c.form());
    }
    if (parent && widget_->parentWidget() != parent) {
        widget_->setParent(parent);
        widget_->setVisible(c.visible());
    }
    int w = std::max(px(c.width()), 1), h = std::max(px(c.height()), 1);
    fitSize(w, h);
    widget_->setGeometry(px(c.left()), px(c.top()), w, h);
}

std::vector<Binding*> Binding::formTabOrder() const {
    if (!control_) return {};
    QtHost::FormState* st = host_.stateOf(control_->form());
    return st ? st->tabOrder() : std::vector<Binding*>{};
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

bool Binding::key(QObject*, QKeyEvent* ke) {
    if (ke->key() == Qt::Key_Escape || ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter)
        return enterOrEscape(ke);
    // Every control hears typed characters, and may swallow them.
    if (control_->onKeyPress && printable(ke->text()) && ke->text().size() == 1 && ke->text()[0].unicode() < 0x80 &&
        !(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        int k = ke->text()[0].unicode();
        control_->onKeyPress(k);
        return k == 0;
    }
    return false;
}

bool ClickBinding::leftRelease(QMouseEvent* me) {
    if (widget_->rect().contains(me->position().toPoint())) control_->userClick();
    return true;
}

bool Binding::mouse(QEvent* e) {
    auto* me = static_cast<QMouseEvent*>(e);
    Control& c = *control_;
    const int shift = shiftMask(me->modifiers());
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
            leftDown_ = true;
            return leftPress(shift);
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (me->button() == Qt::MiddleButton) return textual();
        if (me->button() == Qt::LeftButton && leftDown_) {
            leftDown_ = false;
            return leftRelease(me);
        }
        return false;
    case QEvent::MouseButtonDblClick:
        if (me->button() == Qt::RightButton) {
            c.userPress(MouseButton::Right, shift);
            return true;
        }
        if (me->button() != Qt::LeftButton) return textual();
        return leftDoubleClick();
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
    case QEvent::KeyPress: return key(obj, static_cast<QKeyEvent*>(e));
    case QEvent::InputMethod: return inputMethod(obj, static_cast<QInputMethodEvent*>(e));
    case QEvent::Drop:
    case QEvent::DragEnter:
    case QEvent::DragMove: return true;  // a drop would change a text behind the layer's back
    default: return false;
    }
}

}  // namespace zylma::qt
