// A frame: a QGroupBox that holds its controls, with a click and a double-click of its own.
#include "host_parts.h"

#include <QGroupBox>
#include <QMouseEvent>

namespace zylma::qt {

using forms::Frame;

namespace {

class FrameBinding : public ClickBinding {
public:
    FrameBinding(QtHost& h, Frame& f, QGroupBox* w) : ClickBinding(h, f, w) {}

protected:
    void syncCaption() override { static_cast<QGroupBox*>(widget_.data())->setTitle(toQt(control_->caption())); }

};

}  // namespace

Binding* bindFrame(QtHost& h, Frame& f, QWidget* parent) { return new FrameBinding(h, f, new QGroupBox(parent)); }

}  // namespace zylma::qt
