#pragma once
// The error object of the shell side: it carries the text the user is shown.

#include <exception>
#include <string>

namespace platform {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    // The user-facing text, exactly as it is to be shown.
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// The text of the exception raised when the user confirms Cancel during a conversion.
inline constexpr const char* kCancelledByUser = "Ringtone creation cancelled by user.";

}  // namespace platform
