// The conversions between the UTF-8 of every text inside the program and the UTF-16 of the
// wide-character Win32 calls, shared by the parts of the Windows platform layer.
#pragma once

#include <string>
#include <string_view>

namespace parlix::platform {

// UTF-8 to UTF-16. `strict`: invalid UTF-8 fails (ERROR_NO_UNICODE_TRANSLATION) instead of
// becoming U+FFFD.
bool Widen(std::string_view text, std::wstring& wide, bool strict);

// UTF-16 to UTF-8.
std::string Narrow(std::wstring_view wide);

}  // namespace parlix::platform
