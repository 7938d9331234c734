// A list box: a QListWidget whose choice goes through the layer. Its items sit in its viewport,
// so presses there reach the control too.
#include "host_parts.h"

#include <QListWidget>

namespace zylma::qt {

using forms::ListBox;
using forms::Prop;

namespace {

class ListBinding : public Binding {
public:
    ListBinding(QtHost& h, ListBox& l, QListWidget* w) : Binding(h, l, w) {
        w->viewport()->installEventFilter(this);
        w->viewport()->setAcceptDrops(false);
    }

    void connectSignals() override {
        QObject::connect(list(), &QListWidget::currentRowChanged, this, [this](int row) {
            if (!control_ || mirroring_) return;
            static_cast<ListBox*>(control_)->userSelect(row);
            if (control_) changed(*control_, Prop::Selection);
        });
    }

protected:
    QListWidget* list() const { return static_cast<QListWidget*>(widget_.data()); }

    void syncContent() override {
        auto& lb = static_cast<ListBox&>(*control_);
        QListWidget* w = list();
        QStringList items;
        for (const auto& s : lb.list()) items << toQt(s);
        bool same = w->count() == items.size();
        for (int i = 0; same && i < w->count(); ++i) same = w->item(i)->text() == items[i];
        if (!same) {
            w->clear();
            w->addItems(items);
        }
        w->setCurrentRow(lb.listIndex());
    }

    bool leftDoubleClick() override {
        control_->userDblClick();
        return false;
    }
};

}  // namespace

Binding* bindListBox(QtHost& h, ListBox& l, QWidget* parent) { return new ListBinding(h, l, new QListWidget(parent)); }

}  // namespace zylma::qt
