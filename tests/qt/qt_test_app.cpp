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

// Under LeakSanitizer: fontconfig keeps a cache for the life of the process, which is not ours
// to free. Without the sanitizer nothing calls this.
extern "C" __attribute__((used)) const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
