// A tab strip: a QTabBar whose choice goes through the layer.
#include "host_parts.h"

#include <QTabBar>

namespace zylma::qt {

using forms::Prop;
using forms::TabStrip;

namespace {

class TabBinding : public Binding {
public:
    TabBinding(QtHost& h, TabStrip& t, QTabBar* w) : Binding(h, t, w) {}

    void connectSignals() override {
        QObject::connect(bar(), &QTabBar::currentChanged, this, [this](int i) {
            if (!control_ || mirroring_) return;
            static_cast<TabStrip*>(control_)->userSelect(i);
            if (control_) changed(*control_, Prop::Selection);
        });
    }

protected:
    QTabBar* bar() const { return static_cast<QTabBar*>(widget_.data()); }

    void syncContent() override {
        auto& ts = static_cast<TabStrip&>(*control_);
        QTabBar* w = bar();
        bool same = w->count() == static_cast<int>(ts.tabs.size());
        for (int i = 0; same && i < w->count(); ++i) same = w->tabText(i) == toQt(ts.tabs[i]);
        if (!same) {
            while (w->count() > 0) w->removeTab(0);
            for (const auto& s : ts.tabs) w->addTab(toQt(s));
        }
        if (ts.selected() < w->count()) w->setCurrentIndex(ts.selected());
    }
};

}  // namespace

Binding* bindTabStrip(QtHost& h, TabStrip& t, QWidget* parent) {
    auto* tb = new QTabBar(parent);
    tb->setDrawBase(true);
    tb->setExpanding(false);
    return new TabBinding(h, t, tb);
}

}  // namespace zylma::qt
