// The spellings under which a server file can stand in the registry: lower
// case, short (8.3), through a network connection, with environment
// variables, or as a bare name in the system folder. Path buffers hold
// MAX_PATH characters; a form that would not fit is not made (never cut).
#pragma once

#include <optional>
#include <string>

namespace twutil {

// Lower-cased with the system's mapping.
std::wstring LowerPath(std::wstring path);

// The short form of an existing path.
std::optional<std::wstring> ShortPathOf(const std::wstring& path);

// The path with its environment variables expanded.
std::optional<std::wstring> ExpandedPathOf(const std::wstring& path);

// The universal (UNC) name of a path on a network drive: the provider's
// universal name, or its connection name joined to the remaining path.
std::optional<std::wstring> NetworkPathOf(const std::wstring& path);

// The Windows system folder with one trailing backslash.
std::wstring SystemFolderText();

// The file name of a path that lies directly in systemFolder (which ends with
// a backslash), compared without regard to case.
std::optional<std::wstring> SystemFolderName(const std::wstring& path,
                                             const std::wstring& systemFolder);

// The first "%systemroot%" (or, failing that, "%systemdrive%") in path,
// found without regard to ASCII case, replaced by its value; the text before
// it is dropped and the text after it lower-cased. Other paths unchanged.
std::wstring ExpandSystemPathPrefix(const std::wstring& path);

}  // namespace twutil
