// A label: a QLabel with a click and a double-click of its own. Its mnemonic ("&Usuario:") moves
// the focus to the control after it in tab order, as a label's access key does on the desktop.
#include "host_parts.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>

#include <algorithm>

namespace zylma::qt {

using forms::Kind;
using forms::Label;
using namespace parts;

namespace {

class LabelBinding : public ClickBinding {
public:
    LabelBinding(QtHost& h, Label& l, QLabel* w) : ClickBinding(h, l, w) {}

    void formBuilt() override {
        // The label leads to the first control after it that can take the focus.
        std::vector<Binding*> order = formTabOrder();
        auto me = std::find(order.begin(), order.end(), this);
        if (me == order.end()) return;
        for (auto it = std::next(me); it != order.end(); ++it) {
            const Kind k = (*it)->control()->kind();
            if (k == Kind::Label || k == Kind::Frame) continue;
            if ((*it)->widget()->focusPolicy() == Qt::NoFocus) continue;
            label()->setBuddy((*it)->widget());
            break;
        }
        syncCaption();
    }

protected:
    QLabel* label() const { return static_cast<QLabel*>(widget_.data()); }

    // With a control to lead to, Qt draws the mnemonic and answers its key; without one the "&"
    // marks are only taken out.
    void syncCaption() override {
        label()->setText(label()->buddy() ? toQt(control_->caption()) : withoutMnemonic(control_->caption()));
    }

    void syncContent() override {
        auto& l = static_cast<Label&>(*control_);
        label()->setFrameStyle(l.border ? (QFrame::Panel | QFrame::Sunken) : QFrame::NoFrame);
        label()->setAlignment((l.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
    }

    // Sized for the desktop's narrower font, a label would cut its text: it takes a size a little
    // smaller first, and a one-line label then grows to its text.
    void fitSize(int& w, int& h) override {
        QLabel* l = label();
        const QString text = withoutMnemonic(control_->caption());
        const int pad = 2 + 2 * l->frameWidth();
        QFontMetrics standard(QApplication::font());
        const bool oneLine = h < 2 * standard.lineSpacing();
        l->setWordWrap(!oneLine);
        QFont f = fittingFont(text, w - pad, oneLine ? 0 : h - pad, oneLine ? 8.0 : 7.0);
        l->setFont(f);
        QFontMetrics fm(f);
        if (oneLine) {
            w = std::max(w, fm.horizontalAdvance(text) + pad);
            h = std::max(h, fm.height());
        } else {
            h = std::max(h, fm.boundingRect(QRect(0, 0, w - pad, 100000), Qt::TextWordWrap, text).height() + pad);
        }
    }

};

}  // namespace

Binding* bindLabel(QtHost& h, Label& l, QWidget* parent) { return new LabelBinding(h, l, new QLabel(parent)); }

}  // namespace zylma::qt
