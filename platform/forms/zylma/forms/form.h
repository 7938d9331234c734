// Forms (windows) and their menus.
#pragma once

#include "zylma/forms/control.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zylma::forms {

class Host;
class Form;

// A menu or menu item. Top-level menus hang off the form; items hang off a menu.
// A hidden top-level menu can still be shown as a pop-up (Host::popupMenu).
class Menu {
public:
    Menu(Form& form, std::string name, std::string caption, Menu* parent);
    Form& form() const { return form_; }
    const std::string& name() const { return name_; }
    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& c);
    bool visible() const { return visible_; }
    void setVisible(bool v);
    bool enabled() const { return enabled_; }
    void setEnabled(bool e);
    Menu* parent() const { return parent_; }
    const std::vector<Menu*>& items() const { return items_; }
    Menu& addItem(const std::string& name, const std::string& caption);
    Menu* findItem(const std::string& name);

    std::function<void()> onClick;
    // The user chose it (menu bar or pop-up). Disabled or hidden items run nothing.
    void userChoose();

private:
    friend class Form;
    Form& form_;
    std::string name_, caption_;
    Menu* parent_;
    bool visible_ = true, enabled_ = true;
    std::vector<Menu*> items_;
};

class FormView {
public:
    virtual ~FormView() = default;
    virtual void formChanged(Form& f, Prop p) = 0;
    // A control was added after the view was attached (it needs a widget of its own).
    virtual void controlAdded(Control&) {}
    // The form is going away; its controls are still alive while this runs.
    virtual void formDestroyed(Form&) {}
};

class Form {
public:
    Form(Host& host, std::string name);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    Host& host() const { return host_; }
    const std::string& name() const { return name_; }

    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& c);

    int left() const { return left_; }
    int top() const { return top_; }
    int width() const { return width_; }
    int height() const { return height_; }
    void move(int left, int top, int width = -1, int height = -1);

    // Load runs once, the first time the form is loaded (shown or touched by its owner).
    bool loaded() const { return loaded_; }
    void load();
    bool visible() const { return visible_; }
    // Modeless: returns at once. Modal: returns when the form is hidden or unloaded.
    void show(bool modal = false);
    void hide();
    // Runs Unload, hides the form and marks it unloaded; its owner drops it at a safe point.
    void unload();
    bool modal() const { return modal_; }

    // The user's close box: QueryUnload may cancel, then Unload.
    void userClose();
    void userActivate();

    std::function<void()> onLoad;
    std::function<void()> onActivate;
    std::function<void(bool& cancel)> onQueryUnload;
    std::function<void()> onUnload;

    template <class T>
    T& add(const std::string& name, int index = -1, Control* container = nullptr) {
        auto c = std::make_unique<T>(*this, name, index);
        T& ref = *c;
        if (container) ref.setContainer(container);
        register_(std::move(c));
        return ref;
    }
    Control* find(const std::string& name, int index = -1) const;
    template <class T>
    T* findAs(const std::string& name, int index = -1) const {
        return dynamic_cast<T*>(find(name, index));
    }
    const std::vector<Control*>& controls() const { return order_; }

    Menu& addMenu(const std::string& name, const std::string& caption);
    const std::vector<Menu*>& menus() const { return topMenus_; }
    Menu* findMenu(const std::string& name) const;

    Control* activeControl() const { return active_; }
    void setActiveControl(Control* c);

    void setView(FormView* v) { view_ = v; }
    FormView* view() const { return view_; }
    void notify(Prop p);

private:
    friend class Menu;
    void register_(std::unique_ptr<Control> c);
    Host& host_;
    std::string name_;
    std::string caption_;
    int left_ = 0, top_ = 0, width_ = 6000, height_ = 4000;
    bool loaded_ = false, visible_ = false, modal_ = false, unloaded_ = false;
    std::vector<std::unique_ptr<Control>> owned_;
    std::vector<Control*> order_;
    std::map<std::pair<std::string, int>, Control*> byName_;
    std::vector<std::unique_ptr<Menu>> menuStore_;
    std::vector<Menu*> topMenus_;
    Control* active_ = nullptr;
    FormView* view_ = nullptr;
};

}  // namespace zylma::forms
