#pragma once

namespace orvix::cli {

// The exit status of every command.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1; // a check refused, or a read or write failed
inline constexpr int kExitUsage = 2;   // the command line itself is wrong
inline constexpr int kExitPartial = 3; // the file was written, but a requested change was not made

} // namespace orvix::cli
