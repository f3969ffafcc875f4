#pragma once
// The user-interface port on a real display: message boxes, the progress dialog, the
// window system's message processing.

#include <chrono>

#include "platform/UserInterface.h"

class QtUserInterface : public platform::UserInterface {
public:
    void ShowInformation(const std::string& text) override;
    bool Confirm(const std::string& text) override;
    void ShowApplicationError(const std::string& text) override;
    // Shows ChimewickProgress and disables the main window while it is up, so a second
    // ringtone cannot be started from inside a running one.
    void ShowProgress() override;
    void HideProgress() override;
    int ProgressPosition() const override;
    void SetProgressPosition(int position) override;
    void ProcessMessages() override;
    bool CancelRequested() const override;

private:
    static constexpr std::chrono::milliseconds kPumpInterval{10};
    std::chrono::steady_clock::time_point lastPump_{};
};
