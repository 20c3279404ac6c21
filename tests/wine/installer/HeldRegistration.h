// The event that ends the registration of the package DLL an installer test holds running.
#pragma once

namespace tessaline::testing {

inline constexpr char kRegistrationRelease[] = "TessalineTestRegistrationRelease";

}  // namespace tessaline::testing
