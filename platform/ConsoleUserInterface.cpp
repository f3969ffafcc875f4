#include "platform/ConsoleUserInterface.h"

#include <csignal>

#include "platform/console.h"
#include "platform/process.h"

namespace platform {
namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) {
    interrupted = 1;
    // The next Ctrl+C is not caught: a user who presses it twice means it.
    std::signal(SIGINT, SIG_DFL);
}

constexpr int kBarCells = 40;

}  // namespace

ConsoleUserInterface::ConsoleUserInterface(std::FILE* out, std::FILE* err, bool drawBar)
    : out_(out), err_(err), drawBar_(drawBar) {}

ConsoleUserInterface::ConsoleUserInterface()
    : ConsoleUserInterface(stdout, stderr, IsStderrTerminal()) {}

ConsoleUserInterface::~ConsoleUserInterface() { EndBarLine(); }

void ConsoleUserInterface::CatchInterrupts() {
    std::signal(SIGINT, OnInterrupt);
    CatchTerminationRequests();
}

void ConsoleUserInterface::ShowInformation(const std::string& text) {
    EndBarLine();
    std::fprintf(out_, "Information: %s\n", text.c_str());
    std::fflush(out_);
}

bool ConsoleUserInterface::Confirm(const std::string& text) {
    // There is nobody to answer; the question is logged and taken as "No".
    EndBarLine();
    std::fprintf(out_, "Confirm: %s\n", text.c_str());
    std::fflush(out_);
    return false;
}

void ConsoleUserInterface::ShowApplicationError(const std::string& text) {
    EndBarLine();
    std::fprintf(out_, "Chimewick: %s\n", text.c_str());
    std::fflush(out_);
}

void ConsoleUserInterface::ShowProgress() {
    interrupted = 0;
    barVisible_ = true;
    drawnPercent_ = -1;
    DrawBar();
}

void ConsoleUserInterface::HideProgress() {
    EndBarLine();
    barVisible_ = false;
}

void ConsoleUserInterface::SetProgressPosition(int position) {
    position_ = position;
    if (barVisible_) {
        DrawBar();
    }
}

// A termination request is never cleared: it cancels whichever conversion is running then.
bool ConsoleUserInterface::CancelRequested() const {
    return interrupted != 0 || TerminationRequested();
}

void ConsoleUserInterface::DrawBar() {
    if (!drawBar_) {
        return;
    }
    int shown = position_ < 0 ? 0 : (position_ > 100 ? 100 : position_);
    // Redrawing only when the picture changes keeps a per-frame update cheap.
    if (shown == drawnPercent_ && barOnLine_) {
        return;
    }
    drawnPercent_ = shown;
    int cells = shown * kBarCells / 100;
    std::fprintf(err_, "\rMaking ringtone [%.*s%*s] %3d%%", cells,
                 "########################################", kBarCells - cells, "", shown);
    std::fflush(err_);
    barOnLine_ = true;
}

void ConsoleUserInterface::EndBarLine() {
    if (barOnLine_) {
        std::fputc('\n', err_);
        std::fflush(err_);
        barOnLine_ = false;
    }
}

}  // namespace platform
