// The terms text of the installer window, CR LF line ends.
#pragma once

namespace tessaline {

extern const wchar_t kTermsText[];

}  // namespace tessaline
