// The windows: a form's window and its widgets are built on first use, shown, hidden, waited
// for when modal, and dropped when the form is unloaded or goes away.
#include "host_parts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QPixmap>
#include <QVBoxLayout>

#include <algorithm>

namespace zylma::qt {

using forms::CheckBox;
using forms::ComboBox;
using forms::Control;
using forms::Form;
using forms::Kind;
using forms::Prop;
using namespace parts;

// ---------------------------------------------------------------- FormWindow

FormWindow::FormWindow(QtHost& host, Form& form) : host_(host), form_(&form) {
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void FormWindow::closeEvent(QCloseEvent* e) {
    // The layer decides: QueryUnload may cancel, Unload hides the window through the host.
    e->ignore();
    if (!form_ || host_.quitting()) return;
    form_->userClose();
}

bool FormWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && form_) host_.windowActivated(*form_);
    return QWidget::event(e);
}

void FormWindow::keyPressEvent(QKeyEvent* ke) {
    if (form_ && (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter || ke->key() == Qt::Key_Escape)) {
        pressFormButton(*form_, ke->key() == Qt::Key_Escape);
        return;
    }
    QWidget::keyPressEvent(ke);
}

// ---------------------------------------------------------------- FormState

void QtHost::FormState::formChanged(Form& f, Prop p) {
    if (&f != &form || !window) return;
    switch (p) {
    case Prop::Caption:
        window->setWindowTitle(toQt(form.caption()));
        syncMenus();
        placeWindow();
        break;
    case Prop::Geometry: placeWindow(); break;
    default: syncMenus(); break;
    }
}

void QtHost::FormState::controlAdded(Control& c) {
    if (Binding* b = bind(c)) b->syncAll();
}

void QtHost::FormState::formDestroyed(Form& f) { host.formGone(f); }

Binding* QtHost::FormState::bind(Control& c) {
    if (auto it = bindings.find(&c); it != bindings.end()) return it->second;
    QWidget* parent = content;
    if (c.container())
        if (auto it = bindings.find(c.container()); it != bindings.end()) parent = it->second->containerWidget();
    Binding* b = nullptr;
    switch (c.kind()) {
    case Kind::TextBox: b = bindTextBox(host, static_cast<forms::TextBox&>(c), parent); break;
    case Kind::CheckBox: b = bindCheckBox(host, static_cast<CheckBox&>(c), parent); break;
    case Kind::Button: b = bindButton(host, static_cast<forms::Button&>(c), parent); break;
    case Kind::Label: b = bindLabel(host, static_cast<forms::Label&>(c), parent); break;
    case Kind::Frame: b = bindFrame(host, static_cast<forms::Frame&>(c), parent); break;
    case Kind::ComboBox: b = bindComboBox(host, static_cast<ComboBox&>(c), parent); break;
    case Kind::ListBox: b = bindListBox(host, static_cast<forms::ListBox&>(c), parent); break;
    case Kind::TabStrip: b = bindTabStrip(host, static_cast<forms::TabStrip&>(c), parent); break;
    case Kind::Timer: return nullptr;
    }
    bindings[&c] = b;
    b->connectSignals();
    return b;
}

std::vector<Binding*> QtHost::FormState::tabOrder() const {
    std::vector<Binding*> order;
    for (Control* c : form.controls())
        if (auto it = bindings.find(c); it != bindings.end()) order.push_back(it->second);
    std::stable_sort(order.begin(), order.end(),
                     [](Binding* a, Binding* b) { return a->control()->tabIndex < b->control()->tabIndex; });
    return order;
}

void QtHost::FormState::placeWindow() {
    if (!window) return;
    // The form's size counts its border and title bar; the client area is what is left. The
    // window is never narrower than its title with the title bar's buttons beside it.
    int w = std::max(px(form.width()) - 8, 80);
    w = std::max(w, titleBarWidth(window->windowTitle()));
    int h = std::max(px(form.height()) - 30, 40);
    content->setMinimumSize(w, h);
    content->resize(w, h);
    int barH = (bar && bar->isVisibleTo(window)) ? bar->sizeHint().height() : 0;
    window->resize(w, h + barH);
    // Wholly on the screen where it fits: a window placed by the program beside a control of
    // another must not open past the screen's edge.
    int x = px(form.left()), y = px(form.top());
    if (QScreen* s = window->screen() ? window->screen() : QGuiApplication::primaryScreen()) {
        const QRect a = s->availableGeometry();
        x = std::clamp(x, a.left(), std::max(a.left(), a.x() + a.width() - w));
        y = std::clamp(y, a.top(), std::max(a.top(), a.y() + a.height() - (h + barH)));
    }
    window->move(x, y);
}

// ---------------------------------------------------------------- QtHost: windows

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
    QWidget* prev = nullptr;
    for (Binding* b : raw->tabOrder()) {
        if (b->control()->kind() == Kind::Frame || b->control()->kind() == Kind::Label) continue;
        if (prev) QWidget::setTabOrder(prev, b->widget());
        prev = b->widget();
    }
    for (Binding* b : made) b->formBuilt();
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
    forgetTimersOf(form);
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

}  // namespace zylma::qt
