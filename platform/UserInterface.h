#pragma once
// The user-interface port: message boxes, the progress dialog and the cancel flag as the
// pipeline, the snippet writer and the conversion loops see them.

#include <string>

#include "platform/Exception.h"

namespace platform {

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // Information box: caption "Information", information icon, one OK button. Blocks until
    // dismissed where the implementation has a screen; never waits for input otherwise.
    virtual void ShowInformation(const std::string& text) = 0;
    // Confirmation box: caption "Confirm", question icon, Yes and No. True for Yes.
    virtual bool Confirm(const std::string& text) = 0;
    // The application's own error display (caption "Chimewick", stop icon).
    virtual void ShowApplicationError(const std::string& text) = 0;

    // Shows the progress dialog (which clears the cancel request) and repaints it at once.
    virtual void ShowProgress() = 0;
    virtual void HideProgress() = 0;
    // The bar's position, 0..100; values above 100 show a full bar.
    virtual int ProgressPosition() const = 0;
    virtual void SetProgressPosition(int position) = 0;
    // Lets the window system handle pending input; the only point where Cancel can act.
    virtual void ProcessMessages() = 0;
    virtual bool CancelRequested() const = 0;
};

// The process's current implementation. Before any is installed this is a silent one:
// no messages, no bar, never cancelled (what the console front end runs with).
UserInterface& Ui();

// Makes ui the current implementation and returns the previous one; nullptr reinstalls
// the silent one. The caller keeps ownership.
UserInterface* InstallUi(UserInterface* ui);

// Runs action; when it fails, shows the user what went wrong with show (an information box
// unless told otherwise): an Exception's own text, or unknownText for anything else.
template <typename Action>
void RunShowingErrors(
    Action&& action, const std::string& unknownText,
    void (UserInterface::*show)(const std::string&) = &UserInterface::ShowInformation) {
    try {
        action();
    } catch (const Exception& e) {
        (Ui().*show)(e.Message());
    } catch (...) {
        (Ui().*show)(unknownText);
    }
}

// Installs ui for the life of one scope (tests, harnesses).
class ScopedUi {
public:
    explicit ScopedUi(UserInterface* ui) : previous_(InstallUi(ui)) {}
    ~ScopedUi() { InstallUi(previous_); }
    ScopedUi(const ScopedUi&) = delete;
    ScopedUi& operator=(const ScopedUi&) = delete;

private:
    UserInterface* previous_;
};

}  // namespace platform
