// Preloaded into a real Principal process by the application-folder test: plays the user who
// logs in and presses "&Verificar" in a "PC" installation, with QTest key and mouse events on
// the drawn widgets, answers every message box, writes what it saw to $ZYLMA_DRIVER_LOG and
// ends the program once the library has told the call's outcome. It links Qt only, never the
// project's libraries, so it cannot lend the program a library its folder lacks.
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdlib>

namespace {

enum class Step { Login, Verify, AwaitOutcome, Done };
Step g_step = Step::Login;
int g_ticks = 0;

void note(const QString& line) {
    const char* path = std::getenv("ZYLMA_DRIVER_LOG");
    if (path == nullptr) return;
    QFile f(QString::fromLocal8Bit(path));
    if (f.open(QIODevice::Append | QIODevice::Text)) f.write((line + "\n").toUtf8());
}

QWidget* windowTitled(const QString& prefix) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle().startsWith(prefix)) return w;
    return nullptr;
}

QPushButton* buttonIn(QWidget* window, const QString& text) {
    for (QPushButton* b : window->findChildren<QPushButton*>())
        if (b->isVisible() && b->isEnabled() && b->text() == text) return b;
    return nullptr;
}

void tick() {
    if (++g_ticks > 900) {  // 90 s: something waits for ever
        note("timeout at step " + QString::number(static_cast<int>(g_step)));
        QCoreApplication::exit(3);
        return;
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box == nullptr || !box->isVisible()) continue;
        note("box " + box->windowTitle() + "|" + box->text());
        if (box->windowTitle() == "KZQ") g_step = Step::Done;
        const auto buttons = box->buttons();
        if (!buttons.isEmpty()) QTest::mouseClick(buttons.first(), Qt::LeftButton);
        return;
    }
    if (g_step == Step::Login) {
        QWidget* login = windowTitled("Acceso a ZYLMA");
        if (login == nullptr) return;
        auto edits = login->findChildren<QLineEdit*>();
        std::sort(edits.begin(), edits.end(), [](QLineEdit* a, QLineEdit* b) { return a->y() < b->y(); });
        QPushButton* ok = buttonIn(login, "Aceptar");
        if (edits.size() < 2 || ok == nullptr) return;
        QTest::mouseClick(edits[0], Qt::LeftButton);
        QTest::keyClicks(edits[0], "tecnico");
        QTest::mouseClick(edits[1], Qt::LeftButton);
        QTest::keyClicks(edits[1], "zylma2026");
        note("login");
        g_step = Step::Verify;
        QTest::mouseClick(ok, Qt::LeftButton);
        return;
    }
    if (g_step == Step::Verify) {
        QWidget* main = windowTitled("Zylma para ");
        if (main == nullptr) return;
        note("main " + main->windowTitle());
        if (QPushButton* verify = buttonIn(main, "&Verificar")) {
            note("verify");
            g_step = Step::AwaitOutcome;
            QTest::mouseClick(verify, Qt::LeftButton);
        }
        return;
    }
    if (g_step == Step::Done) {
        note("done");
        QCoreApplication::exit(0);
    }
}

void startDriver() {
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(100);
    QObject::connect(timer, &QTimer::timeout, &tick);
    timer->start();
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(startDriver)
