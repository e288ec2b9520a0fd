// The platform subkey under which RegisterTypeLib records a library's path
// for a process of this build's bitness: "win32" for the 32-bit product,
// "win64" for the 64-bit build that hosts without 32-bit Wine test.
#pragma once

namespace twutil {

#ifdef _WIN64
inline constexpr wchar_t kTypeLibPlatform[] = L"win64";
#else
inline constexpr wchar_t kTypeLibPlatform[] = L"win32";
#endif

}  // namespace twutil
