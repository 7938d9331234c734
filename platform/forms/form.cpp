#include "zylma/forms/form.h"

#include "zylma/forms/host.h"

namespace zylma::forms {

// ---------------------------------------------------------------- Menu

Menu::Menu(Form& form, std::string name, std::string caption, Menu* parent)
    : form_(form), name_(std::move(name)), caption_(std::move(caption)), parent_(parent) {}

void Menu::setCaption(const std::string& c) {
    caption_ = c;
    form_.notify(Prop::Caption);
}

void Menu::setVisible(bool v) {
    if (visible_ == v) return;
    visible_ = v;
    form_.notify(Prop::Visible);
}

void Menu::setEnabled(bool e) {
    if (enabled_ == e) return;
    enabled_ = e;
    form_.notify(Prop::Enabled);
}

Menu& Menu::addItem(const std::string& name, const std::string& caption) {
    auto m = std::make_unique<Menu>(form_, name, caption, this);
    Menu& ref = *m;
    items_.push_back(&ref);
    form_.menuStore_.push_back(std::move(m));
    form_.notify(Prop::List);
    return ref;
}

Menu* Menu::findItem(const std::string& name) {
    for (Menu* m : items_) {
        if (m->name() == name) return m;
        if (Menu* d = m->findItem(name)) return d;
    }
    return nullptr;
}

void Menu::userChoose() {
    // An item is chosen only where the user can see it: a hidden top-level menu is reached only
    // through a pop-up, which shows its items regardless.
    if (!enabled_) return;
    if (parent_ && !visible_) return;
    if (onClick) onClick();
}

// ---------------------------------------------------------------- Form

Form::Form(Host& host, std::string name) : host_(host), name_(std::move(name)) {}

Form::~Form() {
    if (view_) view_->formDestroyed(*this);
}

void Form::notify(Prop p) {
    if (view_) view_->formChanged(*this, p);
}

void Form::setCaption(const std::string& c) {
    if (caption_ == c) return;
    caption_ = c;
    notify(Prop::Caption);
}

void Form::move(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    if (width >= 0) width_ = width;
    if (height >= 0) height_ = height;
    notify(Prop::Geometry);
}

void Form::load() {
    if (loaded_) return;
    loaded_ = true;
    unloaded_ = false;
    if (onLoad) onLoad();
}

void Form::show(bool modal) {
    load();
    if (unloaded_ || host_.quitting()) return;  // Load may have unloaded it or ended the program
    modal_ = modal;
    if (!visible_) {
        visible_ = true;
        host_.formShown(*this);
    }
    if (onActivate) onActivate();
    if (modal && visible_) {
        host_.runModal(*this);
        modal_ = false;
    }
}

void Form::hide() {
    if (!visible_) return;
    visible_ = false;
    host_.formHidden(*this);
}

void Form::unload() {
    if (!loaded_) return;
    if (onUnload) onUnload();
    hide();
    loaded_ = false;
    unloaded_ = true;
    host_.formUnloaded(*this);
}

void Form::userClose() {
    bool cancel = false;
    if (onQueryUnload) onQueryUnload(cancel);
    if (cancel) return;
    unload();
}

void Form::userActivate() {
    if (onActivate) onActivate();
}

void Form::register_(std::unique_ptr<Control> c) {
    Control* raw = c.get();
    byName_[{raw->name(), raw->index()}] = raw;
    order_.push_back(raw);
    owned_.push_back(std::move(c));
    if (view_) view_->controlAdded(*raw);
}

Control* Form::find(const std::string& name, int index) const {
    auto it = byName_.find({name, index});
    return it == byName_.end() ? nullptr : it->second;
}

Menu& Form::addMenu(const std::string& name, const std::string& caption) {
    auto m = std::make_unique<Menu>(*this, name, caption, nullptr);
    Menu& ref = *m;
    topMenus_.push_back(&ref);
    menuStore_.push_back(std::move(m));
    notify(Prop::List);
    return ref;
}

Menu* Form::findMenu(const std::string& name) const {
    for (Menu* m : topMenus_) {
        if (m->name() == name) return m;
        if (Menu* d = m->findItem(name)) return d;
    }
    return nullptr;
}

void Form::setActiveControl(Control* c) {
    if (active_ == c) return;
    Control* old = active_;
    active_ = c;
    if (old && old->onLostFocus) old->onLostFocus();
    if (c) {
        host_.focus(*c);
        if (c->onGotFocus) c->onGotFocus();
    }
}

}  // namespace zylma::forms
