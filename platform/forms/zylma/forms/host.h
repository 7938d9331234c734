// The host: everything that waits or draws. The Qt host does it with real widgets and nested
// event loops; the test host answers from a script and runs a virtual clock.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace zylma::forms {

class Form;
class Menu;
class Timer;
class Control;

// Message-box buttons and icons, and the answers.
enum MsgBoxStyle : int {
    vbOKOnly = 0, vbOKCancel = 1, vbAbortRetryIgnore = 2, vbYesNoCancel = 3, vbYesNo = 4,
    vbRetryCancel = 5, vbCritical = 16, vbQuestion = 32, vbExclamation = 48, vbInformation = 64,
};
enum MsgBoxResult : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

class Host {
public:
    virtual ~Host() = default;

    // Modal message box; waits for the answer while serial and timer events keep running.
    virtual int msgBox(const std::string& prompt, int style, const std::string& title) = 0;
    // Shows a menu as a pop-up and waits; the chosen item's handler runs before this returns.
    virtual void popupMenu(Menu& menu) = 0;
    // Waits while a modal form is shown; returns once it is hidden or unloaded.
    virtual void runModal(Form& form) = 0;

    // A form was shown, hidden, changed or unloaded (the host draws or drops it).
    virtual void formShown(Form& form) = 0;
    virtual void formHidden(Form& form) = 0;
    virtual void formUnloaded(Form& form) = 0;
    virtual void focus(Control& control) = 0;
    // Draws the form now, running no event: what it shows before a call that blocks the
    // thread (the modem's dial) is what the user sees while it blocks.
    virtual void refresh(Form&) {}

    // A timer's Enabled or Interval changed: (re)schedule it from now, or drop it.
    virtual void timerChanged(Timer& timer) = 0;
    // Milliseconds of a monotonic clock (the virtual clock in tests).
    virtual std::uint32_t tickCount() = 0;

    // Runs pending events (serial, timers, drawing) and returns.
    virtual void doEvents() = 0;
    // Watches a file descriptor; the callback runs on the user-interface thread when it is readable.
    virtual int watchFd(int fd, std::function<void()> onReadable) = 0;
    virtual void unwatchFd(int id) = 0;

    // Ends the program once the current event has finished.
    virtual void quit(int code = 0) = 0;
    virtual bool quitting() const = 0;
};

}  // namespace zylma::forms
