#pragma once
// The progress bar's stages over one ringtone: the decode takes it toward 40, the snippet
// cut toward 75 and the encode toward 100. A stage runs from wherever the bar stands when
// it begins to its end, so a stage that follows another picks up where that one left it.

#include "platform/UserInterface.h"

namespace platform {

inline constexpr int kBarAfterDecode = 40;
inline constexpr int kBarAfterSnippet = 75;
inline constexpr int kBarDone = 100;

class ProgressStage {
public:
    explicit ProgressStage(int end) : start_(Ui().ProgressPosition()), end_(end) {}

    // Puts the bar done/expected of the way through the stage, truncated to a whole
    // position; capped keeps it from passing the stage's end. Nothing when expected is 0.
    void Set(double done, double expected, bool capped = false) const {
        if (expected > 0) {
            const double share = capped && done > expected ? 1.0 : done / expected;
            Ui().SetProgressPosition(static_cast<int>(share * (end_ - start_) + start_));
        }
    }
    // Set, then lets the window system handle pending input (the only point where Cancel
    // can act). True when the user has confirmed Cancel; the caller closes what it holds
    // and raises the cancellation.
    bool Step(double done, double expected, bool capped = false) const {
        Set(done, expected, capped);
        Ui().ProcessMessages();
        return Ui().CancelRequested();
    }

private:
    int start_;
    int end_;
};

}  // namespace platform
