// The host's loop: timers, watched descriptors, events run on request, quitting, and the start of
// a program (the application, its font and its translation).
#include "host_parts.h"

#include <QApplication>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <QTranslator>

#include <algorithm>

namespace zylma::qt {

using forms::Control;
using forms::Form;
using forms::Kind;
using forms::Timer;

struct QtHost::Watch {
    QSocketNotifier* notifier;
    std::shared_ptr<std::function<void()>> cb;
};

QtHost::QtHost() {
    clock_.start();
    // Only the program decides when it ends; a hidden last window is not the end.
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) app->setQuitOnLastWindowClosed(false);
    applyStandardFont();
}

QtHost::~QtHost() {
    for (auto& [f, st] : forms_) {
        *st->alive = false;
        for (auto& [c, b] : st->bindings) b->detach();
        st->form.setView(nullptr);
        if (st->window) {
            st->window->detach();
            delete st->window.data();
        }
    }
    forms_.clear();
    for (auto& [t, q] : timers_) delete q;
    timers_.clear();
    for (auto& [id, w] : watches_) delete w->notifier;
    watches_.clear();
}

void QtHost::timerChanged(Timer& timer) {
    auto it = timers_.find(&timer);
    const bool run = timer.timerEnabled() && timer.interval() > 0;
    if (!run) {
        if (it != timers_.end()) it->second->stop();
        return;
    }
    QTimer* q;
    if (it == timers_.end()) {
        q = new QTimer();
        q->setTimerType(Qt::PreciseTimer);
        Timer* t = &timer;
        QObject::connect(q, &QTimer::timeout, q, [this, t] {
            if (!quitting_) t->fireTimer();
        });
        timers_[&timer] = q;
    } else {
        q = it->second;
    }
    q->start(timer.interval());  // (re)starts the count from now
}

void QtHost::forgetTimersOf(Form& form) {
    for (Control* c : form.controls()) {
        if (c->kind() != Kind::Timer) continue;
        auto it = timers_.find(static_cast<Timer*>(c));
        if (it == timers_.end()) continue;
        it->second->stop();
        it->second->deleteLater();
        timers_.erase(it);
    }
}

std::uint32_t QtHost::tickCount() { return static_cast<std::uint32_t>(clock_.elapsed()); }

void QtHost::doEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

int QtHost::watchFd(int fd, std::function<void()> onReadable) {
    int id = nextWatch_++;
    auto w = std::make_unique<Watch>();
    w->notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
    w->cb = std::make_shared<std::function<void()>>(std::move(onReadable));
    std::weak_ptr<std::function<void()>> weak = w->cb;
    QObject::connect(w->notifier, &QSocketNotifier::activated, w->notifier, [weak] {
        // Held for the call: the callback may unwatch itself.
        if (auto cb = weak.lock()) (*cb)();
    });
    watches_[id] = std::move(w);
    return id;
}

void QtHost::unwatchFd(int id) {
    auto it = watches_.find(id);
    if (it == watches_.end()) return;
    it->second->notifier->setEnabled(false);
    // It may be the notifier whose signal is running now.
    it->second->notifier->deleteLater();
    watches_.erase(it);
}

void QtHost::forgetBox(QWidget* box) {
    openBoxes_.erase(std::remove_if(openBoxes_.begin(), openBoxes_.end(),
                                    [&](const QPointer<QWidget>& w) { return !w || w == box; }),
                     openBoxes_.end());
}

void QtHost::quit(int code) {
    if (quitting_) return;
    quitting_ = true;
    exitCode_ = code;
    // Every loop ends, the nested ones (boxes, pop-ups, modal forms) first; the handler that
    // called this still runs to its end.
    for (auto& b : openBoxes_)
        if (b) b->hide();
    for (auto& [f, loops] : modalLoops_)
        for (QEventLoop* l : loops) l->exit(0);
    // Only a running main loop is told to end. Before it has started there is nothing to end:
    // exec() sees `quitting_` and returns at once. (Qt keeps an exit asked for outside its loop
    // and ends with it the next loop that starts, a later program's or test's box included.)
    if (inExec_) QCoreApplication::exit(code);
}

int QtHost::exec() {
    if (quitting_) return exitCode_;
    inExec_ = true;
    int r = QCoreApplication::exec();
    inExec_ = false;
    return quitting_ ? exitCode_ : r;
}

void applyStandardFont() {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSize(9);
    f.setStyleHint(QFont::SansSerif);
    QApplication::setFont(f);
}

bool installSpanishTranslation(const std::string& folder) {
    // One for the whole run: the application keeps a pointer to it.
    static QTranslator* loaded = nullptr;
    const QString dir = folder.empty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : toQt(folder);
    auto t = std::make_unique<QTranslator>();
    const bool found = t->load(QStringLiteral("qtbase_es"), dir);
    if (loaded) {
        QCoreApplication::removeTranslator(loaded);
        delete loaded;
        loaded = nullptr;
    }
    if (!found) return false;  // Qt's own English
    loaded = t.release();
    QCoreApplication::installTranslator(loaded);
    return true;
}

int runApplication(int argc, char** argv, const std::function<int(QtHost&)>& body) {
    QApplication app(argc, argv);
    installSpanishTranslation();
    QtHost host;
    return body(host);
}

}  // namespace zylma::qt
