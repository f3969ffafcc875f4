#include "platform/ConsoleUserInterface.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include "platform/process.h"
#include "tests/support/ExitStatus.h"

using platform::ConsoleUserInterface;

namespace {

std::string Contents(std::FILE* f) {
    std::fflush(f);
    std::rewind(f);
    std::string text;
    for (int c; (c = std::fgetc(f)) != EOF;) {
        text += static_cast<char>(c);
    }
    return text;
}

struct Streams {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ~Streams() {
        std::fclose(out);
        std::fclose(err);
    }
};

}  // namespace

TEST(ConsoleUserInterface, PrintsEveryBoxAsOneCaptionedLineAndNeverWaits) {
    Streams s;
    {
        ConsoleUserInterface ui(s.out, s.err, false);
        ui.ShowInformation("The ringtone was successfully created!");
        EXPECT_FALSE(ui.Confirm("Are you sure you wish to cancel this process?"));
        ui.ShowApplicationError("Out of memory");
        ui.ShowProgress();
        ui.SetProgressPosition(57);
        EXPECT_EQ(ui.ProgressPosition(), 57);
        ui.HideProgress();
    }
    EXPECT_EQ(Contents(s.out),
              "Information: The ringtone was successfully created!\n"
              "Confirm: Are you sure you wish to cancel this process?\n"
              "Chimewick: Out of memory\n");
    EXPECT_EQ(Contents(s.err), "") << "no bar unless standard error is a terminal";
}

TEST(ConsoleUserInterface, DrawsTheBarOnlyWhenItChangesAndEndsItsLineBeforeAMessage) {
    Streams s;
    {
        ConsoleUserInterface ui(s.out, s.err, true);
        ui.SetProgressPosition(10);  // not shown yet: nothing drawn
        ui.ShowProgress();
        ui.SetProgressPosition(40);
        ui.SetProgressPosition(40);
        ui.SetProgressPosition(250);
        ui.ShowInformation("done");
    }
    std::string err = Contents(s.err);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\r'), 3) << err;  // 10, 40, 100
    EXPECT_NE(err.find("100%"), std::string::npos);
    EXPECT_EQ(err.back(), '\n');
    EXPECT_EQ(Contents(s.out), "Information: done\n");
}

TEST(ConsoleUserInterface, CtrlCCountsAsAConfirmedCancelUntilTheNextShowing) {
    Streams s;
    ConsoleUserInterface ui(s.out, s.err, false);
    ui.CatchInterrupts();
    ui.ShowProgress();
    EXPECT_FALSE(ui.CancelRequested());
    std::raise(SIGINT);
    EXPECT_TRUE(ui.CancelRequested());
    ui.ShowProgress();
    EXPECT_FALSE(ui.CancelRequested());
    std::signal(SIGINT, SIG_DFL);
}

TEST(ExitProcess, RunsTheHooksNewestFirstThenExitsWithTheStatus) {
    std::string order;
    int first = platform::AddExitHook([&] { order += "1"; });
    platform::AddExitHook([&] { order += "2"; });
    int removed = platform::AddExitHook([&] { order += "x"; });
    platform::RemoveExitHook(removed);
    EXPECT_EQ(testing_support::ExitStatusOf([] { platform::ExitProcess(3); }), 3);
    EXPECT_EQ(order, "21");
    platform::RemoveExitHook(first);  // already gone: harmless
}
