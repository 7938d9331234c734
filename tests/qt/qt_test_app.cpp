#include "qt_test_app.h"

#include <QApplication>

namespace zylma::qt::testing {

QApplication& app() {
    // Kept for the whole run (never destroyed): Qt's own globals go down after main.
    static int argc = 1;
    static char name[] = "zylma-view-test";
    static char* argv[] = {name, nullptr};
    static QApplication* a = new QApplication(argc, argv);
    return *a;
}

}  // namespace zylma::qt::testing
