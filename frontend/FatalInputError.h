#pragma once
// A fatal input error ends the current front-end run, never the process: the input module
// throws this after printing its message, and FrontEndMain closes what is open and
// returns the status. It deliberately does not derive from platform::Exception, so no
// shell-side catcher can mistake it for a message to show.

namespace frontend {

struct FatalInputError {
    int status;  // 1, or 2 when closing the input failed
};

}  // namespace frontend
