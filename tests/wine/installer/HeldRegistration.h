// The events between an installer test and the package DLL whose registration it holds.
#pragma once

namespace tessaline::testing {

inline constexpr char kRegistrationStarted[] = "TessalineTestRegistrationStarted";
inline constexpr char kRegistrationRelease[] = "TessalineTestRegistrationRelease";

}  // namespace tessaline::testing
