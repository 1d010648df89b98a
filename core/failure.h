// What went wrong, as the system reports it, and the one way the program words it for the player.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quorbel::platform {

// The system's error code and its own description of it.
struct Failure {
    std::uint32_t code = 0;
    std::string description;
};

// Empty when the operation succeeded.
using Outcome = std::optional<Failure>;

// The failure the system reports for an error code (GetLastError on Windows, errno elsewhere); its text is
// made in the platform's text half.
Failure DescribeError(std::uint32_t code);

}  // namespace quorbel::platform

namespace quorbel {

// "<description> (Fehler <code>)": a failure as every log line and message box shows it.
std::string FailureText(const platform::Failure& failure);

}  // namespace quorbel
