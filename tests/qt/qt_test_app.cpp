#include "qt_test_app.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <cstdio>

namespace zylma::qt::testing {

namespace {

// A modal box no test answers would wait for ever under the offscreen platform: after a few
// seconds it is closed and its text printed, so the test fails on what follows instead of
// hanging the run.
void vigilaCajasSinRespuesta(QApplication& a) {
    static QPointer<QWidget> caja;
    static QElapsedTimer abierta;
    auto* t = new QTimer(&a);
    QObject::connect(t, &QTimer::timeout, [] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != caja) {
            caja = modal;
            abierta.restart();
            return;
        }
        if (!modal || abierta.elapsed() < 5000) return;
        QString texto = modal->windowTitle();
        if (auto* mb = qobject_cast<QMessageBox*>(modal)) texto += ": " + mb->text();
        std::fprintf(stderr, "unanswered modal window closed after 5 s: %s\n", texto.toUtf8().constData());
        if (auto* d = qobject_cast<QDialog*>(modal)) d->reject();
        else modal->close();
        caja = nullptr;
    });
    t->start(250);
}

}  // namespace

QApplication& app() {
    // Kept for the whole run (never destroyed): Qt's own globals go down after main.
    static int argc = 1;
    static char name[] = "zylma-view-test";
    static char* argv[] = {name, nullptr};
    static QApplication* a = [] {
        auto* q = new QApplication(argc, argv);
        vigilaCajasSinRespuesta(*q);
        return q;
    }();
    return *a;
}

}  // namespace zylma::qt::testing

// Under LeakSanitizer: fontconfig keeps a cache for the life of the process, which is not ours
// to free. Without the sanitizer nothing calls this.
extern "C" __attribute__((used)) const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
