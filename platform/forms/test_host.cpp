#include "zylma/forms/test_host.h"

#include <poll.h>

#include <algorithm>
#include <chrono>

namespace zylma::forms {

int TestHost::msgBox(const std::string& prompt, int style, const std::string& title) {
    Message m{title, prompt, style};
    messages.push_back(m);
    trace.push_back("msg " + title + ": " + prompt);
    int answer = 0;
    if (whileMessage) answer = whileMessage(m);
    if (answer == 0 && !answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    }
    if (answer == 0) {
        int buttons = style & 7;
        answer = (buttons == vbYesNo || buttons == vbYesNoCancel) ? vbYes : vbOK;
    }
    return answer;
}

void TestHost::popupMenu(Menu& menu) {
    popups.push_back(menu.name());
    trace.push_back("popup " + menu.name());
    std::string choice;
    if (!popupChoices.empty()) {
        choice = popupChoices.front();
        popupChoices.pop_front();
    }
    if (choice.empty()) return;
    if (Menu* item = menu.findItem(choice)) {
        // A pop-up shows the items of a hidden menu; only disabled items refuse.
        if (item->enabled() && item->onClick) item->onClick();
    }
}

void TestHost::runModal(Form& form) {
    trace.push_back("modal " + form.name());
    if (whileModal) whileModal(form);
    if (form.visible()) form.hide();
}

void TestHost::formShown(Form& form) { trace.push_back("show " + form.name()); }
void TestHost::refresh(Form& form) { trace.push_back("refresh " + form.name()); }
void TestHost::formHidden(Form& form) { trace.push_back("hide " + form.name()); }
void TestHost::formUnloaded(Form& form) { trace.push_back("unload " + form.name()); }
void TestHost::focus(Control& control) { trace.push_back("focus " + control.name()); }

void TestHost::timerChanged(Timer& timer) {
    if (timer.timerEnabled() && timer.interval() > 0)
        timers_[&timer] = Slot{now_ + static_cast<std::uint32_t>(timer.interval()), order_++};
    else
        timers_.erase(&timer);
}

bool TestHost::scheduled(const Timer& t) const { return timers_.count(const_cast<Timer*>(&t)) > 0; }

std::uint32_t TestHost::dueAt(const Timer& t) const {
    auto it = timers_.find(const_cast<Timer*>(&t));
    return it == timers_.end() ? 0 : it->second.due;
}

void TestHost::advance(std::uint32_t ms) {
    const std::uint32_t target = now_ + ms;
    for (;;) {
        pollOnce(0);
        Timer* next = nullptr;
        Slot best{};
        for (auto& [t, s] : timers_) {
            if (s.due > target) continue;
            if (!next || s.due < best.due || (s.due == best.due && s.order < best.order)) {
                next = t;
                best = s;
            }
        }
        if (!next || quitting_) break;
        now_ = best.due;
        // Periodic: the next tick counts from this one.
        timers_[next] = Slot{now_ + static_cast<std::uint32_t>(next->interval()), order_++};
        next->fireTimer();
    }
    now_ = target;
    pollOnce(0);
}

void TestHost::doEvents() { pollOnce(0); }

int TestHost::watchFd(int fd, std::function<void()> onReadable) {
    int id = nextWatch_++;
    watches_[id] = Watch{fd, std::move(onReadable)};
    return id;
}

void TestHost::unwatchFd(int id) { watches_.erase(id); }

int TestHost::pollOnce(int timeoutMs) {
    if (watches_.empty()) return 0;
    std::vector<pollfd> fds;
    std::vector<int> ids;
    for (auto& [id, w] : watches_) {
        fds.push_back(pollfd{w.fd, POLLIN, 0});
        ids.push_back(id);
    }
    int n = ::poll(fds.data(), fds.size(), timeoutMs);
    if (n <= 0) return 0;
    int handled = 0;
    for (std::size_t i = 0; i < fds.size(); ++i) {
        if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        auto it = watches_.find(ids[i]);
        if (it == watches_.end()) continue;  // dropped by an earlier callback
        auto cb = it->second.cb;
        cb();
        ++handled;
    }
    return handled;
}

void TestHost::pump(int realMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(realMs);
    do {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollOnce(static_cast<int>(std::max<long long>(0, left.count())));
    } while (std::chrono::steady_clock::now() < end);
}

bool TestHost::waitFor(const std::function<bool()>& cond, int realMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(realMs);
    while (!cond()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        pollOnce(5);
    }
    return true;
}

void TestHost::quit(int code) {
    if (quitting_) return;
    quitting_ = true;
    exitCode_ = code;
    trace.push_back("quit");
}

int TestHost::countMessages(const std::string& text) const {
    return static_cast<int>(std::count_if(messages.begin(), messages.end(),
                                          [&](const Message& m) { return m.text == text; }));
}

}  // namespace zylma::forms
