#pragma once
// The user-interface port for a machine without a display: every message box becomes one
// line "Caption: text" on standard output, the bar is drawn on standard error when that is
// a terminal, and Ctrl+C (or SIGTERM, SIGHUP) counts as a confirmed Cancel. Nothing ever
// waits for input.

#include <cstdio>

#include "platform/UserInterface.h"

namespace platform {

class ConsoleUserInterface final : public UserInterface {
public:
    // out receives the message lines, err the bar; drawBar decides whether the bar is drawn
    // (normally: err is a terminal).
    ConsoleUserInterface(std::FILE* out, std::FILE* err, bool drawBar);
    ConsoleUserInterface();
    ~ConsoleUserInterface() override;

    void ShowInformation(const std::string& text) override;
    bool Confirm(const std::string& text) override;
    void ShowApplicationError(const std::string& text) override;
    void ShowProgress() override;
    void HideProgress() override;
    int ProgressPosition() const override { return position_; }
    void SetProgressPosition(int position) override;
    void ProcessMessages() override {}
    bool CancelRequested() const override;

    // Routes SIGINT, SIGTERM and SIGHUP to the cancel flag while this object is installed,
    // so a conversion stops and cleans up; a second Ctrl+C ends the process the ordinary way.
    void CatchInterrupts();

private:
    void DrawBar();
    void EndBarLine();

    std::FILE* out_;
    std::FILE* err_;
    bool drawBar_;
    bool barVisible_ = false;
    bool barOnLine_ = false;
    int position_ = 0;
    int drawnPercent_ = -1;
};

}  // namespace platform
