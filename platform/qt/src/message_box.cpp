// Message boxes: modal, waiting in a nested loop while serial reception and timers go on. The
// standard buttons read as Qt's translation gives them ("Aceptar", "Cancelar", "Sí", "No" once the
// Spanish one is loaded at start). A box is never narrower than its title: the desktop would cut
// a long title ("ERROR EN LA CLAVE") and leave a short box's title out altogether.
#include "host_parts.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

#include <algorithm>

namespace zylma::qt {

using namespace parts;

namespace {

struct BoxButton {
    QMessageBox::StandardButton qt;
    int answer;
};

std::vector<BoxButton> boxButtons(int style) {
    using QB = QMessageBox;
    switch (style & 7) {
    case forms::vbOKCancel: return {{QB::Ok, forms::vbOK}, {QB::Cancel, forms::vbCancel}};
    case forms::vbAbortRetryIgnore:
        return {{QB::Abort, forms::vbAbort}, {QB::Retry, forms::vbRetry}, {QB::Ignore, forms::vbIgnore}};
    case forms::vbYesNoCancel: return {{QB::Yes, forms::vbYes}, {QB::No, forms::vbNo}, {QB::Cancel, forms::vbCancel}};
    case forms::vbYesNo: return {{QB::Yes, forms::vbYes}, {QB::No, forms::vbNo}};
    case forms::vbRetryCancel: return {{QB::Retry, forms::vbRetry}, {QB::Cancel, forms::vbCancel}};
    default: return {{QB::Ok, forms::vbOK}};
    }
}

// The answer when the box goes without a button pressed (the program is ending, or the box was
// closed): the one that does nothing.
int quietAnswer(int style) {
    switch (style & 7) {
    case forms::vbOKCancel:
    case forms::vbYesNoCancel:
    case forms::vbRetryCancel: return forms::vbCancel;
    case forms::vbAbortRetryIgnore: return forms::vbAbort;
    case forms::vbYesNo: return forms::vbNo;
    default: return forms::vbOK;
    }
}

// The box's layout is its own; a spacer across its last row holds it to the title's width.
void holdToTitleWidth(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    grid->addItem(new QSpacerItem(titleBarWidth(box.windowTitle()), 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

}  // namespace

int QtHost::msgBox(const std::string& prompt, int style, const std::string& title) {
    if (quitting_) return quietAnswer(style);
    QWidget* parent = QApplication::activeWindow();
    if (!parent && lastActive_) parent = windowOf(*lastActive_);
    // On the heap and watched: a timer or the serial line may unload the form under the box
    // while it waits, and the form's window takes its children with it.
    QPointer<QMessageBox> box = new QMessageBox(parent);
    box->setWindowTitle(toQt(title));
    box->setTextFormat(Qt::PlainText);  // the text is shown as it is, never as markup
    box->setText(toQt(prompt));
    switch (style & 0x70) {
    case forms::vbCritical: box->setIcon(QMessageBox::Critical); break;
    case forms::vbQuestion: box->setIcon(QMessageBox::Question); break;
    case forms::vbExclamation: box->setIcon(QMessageBox::Warning); break;
    case forms::vbInformation: box->setIcon(QMessageBox::Information); break;
    default: box->setIcon(QMessageBox::NoIcon); break;
    }
    auto buttons = boxButtons(style);
    std::vector<std::pair<QAbstractButton*, int>> made;
    for (const auto& b : buttons) made.emplace_back(box->addButton(b.qt), b.answer);
    // The second and third buttons can be the default one (256, 512).
    std::size_t def = std::min<std::size_t>(static_cast<std::size_t>((style >> 8) & 3), made.size() - 1);
    box->setDefaultButton(static_cast<QPushButton*>(made[def].first));
    holdToTitleWidth(*box);
    openBoxes_.push_back(box.data());
    box->exec();
    forgetBox(box.data());
    if (!box) return quietAnswer(style);
    QAbstractButton* clicked = box->clickedButton();
    delete box.data();
    if (quitting_) return quietAnswer(style);
    for (const auto& [btn, answer] : made)
        if (btn == clicked) return answer;
    return quietAnswer(style);
}

}  // namespace zylma::qt
