// Menus: the menu bar of a form, and a menu shown as a pop-up that waits for the user.
//
// A top-level menu with items opens them; one without items is a command of the bar itself, run
// by a click or its Alt+letter like any item. A hidden top-level menu leaves the bar (a hidden
// action would keep its mnemonic) but can still be popped up.
#include "host_parts.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

#include <algorithm>

namespace zylma::qt {

using forms::Menu;
using namespace parts;

QAction* QtHost::FormState::itemAction(QWidget* owner, const Menu& item) {
    QAction*& a = actions[&item];
    if (!a) {
        a = new QAction(owner);
        Menu* target = const_cast<Menu*>(&item);
        // The window (and so the action) outlives this state by a turn of the loop.
        QObject::connect(a, &QAction::triggered, window, [alive = alive, h = &host, target] {
            if (*alive && !h->quitting()) target->userChoose();
        });
    }
    a->setSeparator(item.caption() == "-");
    if (item.caption() != "-") a->setText(toQt(item.caption()));
    a->setVisible(item.visible());
    a->setEnabled(item.enabled());
    return a;
}

void QtHost::FormState::syncItems(QMenu* qm, const Menu& m) {
    for (const Menu* item : m.items()) {
        if (!item->items().empty()) {
            QMenu*& sub = menus[item];
            if (!sub) {
                sub = new QMenu(qm);
                qm->addMenu(sub);
            }
            sub->setTitle(toQt(item->caption()));
            sub->menuAction()->setVisible(item->visible());
            sub->menuAction()->setEnabled(item->enabled());
            syncItems(sub, *item);
            continue;
        }
        const bool isNew = !actions.count(item);
        QAction* a = itemAction(qm, *item);
        if (isNew) qm->addAction(a);
    }
}

void QtHost::FormState::syncMenus() {
    if (!window || syncingMenus) return;
    FlagScope guard(syncingMenus);
    QList<QAction*> wanted;
    for (const Menu* m : form.menus()) {
        QAction* entry;
        if (m->items().empty()) {
            entry = itemAction(window, *m);
        } else {
            QMenu*& qm = menus[m];
            if (!qm) qm = new QMenu(window);
            qm->setTitle(toQt(m->caption()));
            qm->menuAction()->setEnabled(m->enabled());
            syncItems(qm, *m);
            entry = qm->menuAction();
        }
        if (m->visible()) wanted << entry;
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

QMenu* QtHost::barMenuOf(const Menu& menu) const {
    FormState* st = stateOf(menu.form());
    if (!st || !st->bar) return nullptr;
    auto it = st->menus.find(&menu);
    if (it == st->menus.end()) return nullptr;
    return st->bar->actions().contains(it->second->menuAction()) ? it->second : nullptr;
}

QAction* QtHost::barActionOf(const Menu& menu) const {
    FormState* st = stateOf(menu.form());
    if (!st || !st->bar) return nullptr;
    QAction* a = nullptr;
    if (auto it = st->menus.find(&menu); it != st->menus.end() && !menu.items().empty())
        a = it->second->menuAction();
    else if (auto at = st->actions.find(&menu); at != st->actions.end())
        a = at->second;
    return a && st->bar->actions().contains(a) ? a : nullptr;
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
    forgetBox(popup.data());
    if (!popup) return;  // its form went away while it was open
    delete popup.data();
    if (!a || quitting_) return;
    auto it = chosen.find(a);
    // The chosen item's handler runs before the pop-up returns to its caller.
    if (it != chosen.end() && it->second->enabled() && it->second->onClick) it->second->onClick();
}

}  // namespace zylma::qt
