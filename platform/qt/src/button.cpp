// A command button: a click, Space, Enter on it, its mnemonic, or Enter/Esc anywhere in the form
// when it is the default or the cancel button.
#include "host_parts.h"

#include <QKeyEvent>
#include <QPushButton>

namespace zylma::qt {

using forms::Button;
using namespace parts;

namespace {

class ButtonBinding : public Binding {
public:
    ButtonBinding(QtHost& h, Button& b, QPushButton* w) : Binding(h, b, w) {}

    void connectSignals() override {
        QObject::connect(push(), &QAbstractButton::clicked, this, [this] {
            if (control_ && !mirroring_) control_->userClick();
        });
    }

protected:
    QPushButton* push() const { return static_cast<QPushButton*>(widget_.data()); }

    void syncCaption() override { push()->setText(toQt(control_->caption())); }
    void syncContent() override { push()->setDefault(static_cast<Button&>(*control_).isDefault); }
    void fitSize(int& w, int&) override {
        widget_->setFont(fittingFont(withoutMnemonic(control_->caption()), w - 10, 0, 7.0));
    }

    bool key(QObject* obj, QKeyEvent* ke) override {
        if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
            control_->userClick();  // Enter on a focused button presses that button
            return true;
        }
        return Binding::key(obj, ke);
    }
};

}  // namespace

Binding* bindButton(QtHost& h, Button& b, QWidget* parent) {
    auto* w = new QPushButton(parent);
    w->setAutoDefault(false);
    return new ButtonBinding(h, b, w);
}

}  // namespace zylma::qt
