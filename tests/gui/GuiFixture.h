#pragma once
// Creates the program's four windows for one test, with the recording port installed and
// the progress calls forwarded to the real dialog.

#include <gtest/gtest.h>

#include <string>

#include "app/QtUserInterface.h"
#include "app/Ringtonepipeline.h"
#include "platform/Exception.h"
#include "app/Startup.h"
#include "platform/UserInterface.h"
#include "tests/support/RecordingUserInterface.h"

class GuiFixture : public ::testing::Test {
protected:
    GuiFixture() { ui.progressDelegate = &qt; }
    void SetUp() override { CreateWindows(); }
    void TearDown() override { DestroyWindows(); }

    QtUserInterface qt;
    testing_support::RecordingUserInterface ui;
    platform::ScopedUi installed{&ui};
};

// The message MakeRingtone raised, or "" when it returned.
inline std::string RaisedBy(RingtonePipeline& pipeline) {
    try {
        pipeline.MakeRingtone();
    } catch (const platform::Exception& e) {
        return e.Message();
    }
    return "";
}
