// A host for tests: no drawing, a virtual clock, scripted answers to message boxes and pop-ups,
// and real polling of watched file descriptors (a pseudo-terminal, say).
#pragma once

#include "zylma/forms/form.h"
#include "zylma/forms/host.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zylma::forms {

class TestHost : public Host {
public:
    struct Message {
        std::string title, text;
        int style = 0;
    };

    // Every message box shown, in order.
    std::vector<Message> messages;
    // Answers to the next message boxes; when empty, OK (or Yes for a question with Yes/No).
    std::deque<int> answers;
    // Runs while a message box is up (it may advance the clock: timers and serial go on).
    // Returning a non-zero answer overrides the queue.
    std::function<int(const Message&)> whileMessage;

    // Item names to choose in the next pop-ups; "" or an empty queue dismisses it.
    std::deque<std::string> popupChoices;
    std::vector<std::string> popups;
    // Runs while a form is shown modally; the form stays modal until this hides or unloads it,
    // and the host hides it if the callback leaves it up.
    std::function<void(Form&)> whileModal;

    // One line per observable event: "msg TITLE: TEXT", "popup NAME", "show FORM", "modal FORM",
    // "hide FORM", "unload FORM", "focus CONTROL", "refresh FORM", "quit".
    std::vector<std::string> trace;

    int msgBox(const std::string& prompt, int style, const std::string& title) override;
    void popupMenu(Menu& menu) override;
    void runModal(Form& form) override;
    void formShown(Form& form) override;
    void formHidden(Form& form) override;
    void formUnloaded(Form& form) override;
    void focus(Control& control) override;
    void refresh(Form& form) override;
    void timerChanged(Timer& timer) override;
    std::uint32_t tickCount() override { return now_; }
    void doEvents() override;
    int watchFd(int fd, std::function<void()> onReadable) override;
    void unwatchFd(int id) override;
    void quit(int code = 0) override;
    bool quitting() const override { return quitting_; }
    int exitCode() const { return exitCode_; }

    // Virtual time: runs every timer that falls due within `ms`, in order, with watched
    // descriptors polled before each.
    void advance(std::uint32_t ms);
    void setClock(std::uint32_t ms) { now_ = ms; }
    // Polls watched descriptors for up to `realMs` of real time (0: what is pending now).
    void pump(int realMs = 0);
    // Pumps real I/O until the condition holds or `realMs` of real time have passed.
    bool waitFor(const std::function<bool()>& cond, int realMs = 3000);
    // Whether a timer is scheduled, and when it falls due.
    bool scheduled(const Timer& t) const;
    std::uint32_t dueAt(const Timer& t) const;

    // Text of the last message box ("" when none).
    std::string lastMessage() const { return messages.empty() ? std::string() : messages.back().text; }
    int countMessages(const std::string& text) const;

private:
    struct Slot {
        std::uint32_t due;
        std::uint64_t order;
    };
    std::map<Timer*, Slot> timers_;
    std::uint64_t order_ = 0;
    std::uint32_t now_ = 0;
    struct Watch {
        int fd;
        std::function<void()> cb;
    };
    std::map<int, Watch> watches_;
    int nextWatch_ = 1;
    bool quitting_ = false;
    int exitCode_ = 0;
    int pollOnce(int timeoutMs);
};

}  // namespace zylma::forms
