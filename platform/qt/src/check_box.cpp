// A check box (a QCheckBox with three states) or an option button (a QRadioButton). Neither
// changes its own state: a click or Space goes to the layer, which toggles (or selects) and runs
// Click, and the widget then shows the layer's value. A click anywhere on the control counts, as
// on the desktop, not only one on its mark or its caption.
#include "host_parts.h"

#include <QCheckBox>
#include <QRadioButton>

#include <algorithm>

namespace zylma::qt {

using forms::CheckBox;
using forms::Prop;

namespace {

class LayerCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override {}
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

// The group is the form's, so Qt keeps none of its own.
class LayerRadioButton : public QRadioButton {
public:
    explicit LayerRadioButton(QWidget* parent) : QRadioButton(parent) { setAutoExclusive(false); }

protected:
    void nextCheckState() override {}
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

class CheckBinding : public Binding {
public:
    CheckBinding(QtHost& h, CheckBox& c, QAbstractButton* w) : Binding(h, c, w) {}

    void connectSignals() override {
        QObject::connect(button(), &QAbstractButton::clicked, this, [this] {
            if (!control_ || mirroring_) return;
            control_->userClick();
            if (control_) changed(*control_, Prop::Value);
        });
    }

protected:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget_.data()); }

    void syncCaption() override { button()->setText(toQt(control_->caption())); }

    void syncContent() override {
        auto& cb = static_cast<CheckBox&>(*control_);
        if (auto* w = qobject_cast<QCheckBox*>(widget_.data()))
            w->setCheckState(cb.value() == CheckBox::Checked   ? Qt::Checked
                             : cb.value() == CheckBox::Grayed ? Qt::PartiallyChecked
                                                              : Qt::Unchecked);
        else
            button()->setChecked(cb.value() == CheckBox::Checked);
    }

    void fitSize(int& w, int&) override { w = std::max(w, widget_->sizeHint().width()); }
};

}  // namespace

Binding* bindCheckBox(QtHost& h, CheckBox& c, QWidget* parent) {
    if (c.opcion) return new CheckBinding(h, c, new LayerRadioButton(parent));
    auto* cb = new LayerCheckBox(parent);
    cb->setTristate(true);
    return new CheckBinding(h, c, cb);
}

}  // namespace zylma::qt
