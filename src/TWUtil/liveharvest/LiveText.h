// Text rules of the live-registry harvest: pure functions over registry
// texts, bounded by their input.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "servers/HarvestText.h"

namespace twutil {

// A server key's default value as a path: lowered, and for an executable
// followed by a blank the command-line arguments dropped.
std::wstring ServerEntryPath(const std::wstring& text);

struct LiveIcon {
  std::wstring file;  // system-path prefix not yet expanded
  LONG index = 0;
};
// "file,index": leading double quotes skipped (and a closing one before the
// comma dropped); the index is read after the last blank behind the comma.
// None without a comma.
std::optional<LiveIcon> SplitLiveIconText(const std::wstring& text);

struct LiveVerbCommand {
  std::wstring file;
  std::wstring arguments;
};
// The program file and arguments of a verb command that has already been
// lowered; none when it names neither rundll32.exe (with a file) nor ".exe".
std::optional<LiveVerbCommand> SplitLiveVerbCommand(const std::wstring& lowered);

// A type library version key name ("1.a") as "major.minor" in decimal ("1.10").
std::wstring FormatTypeLibVersion(const std::wstring& name);

// Orders two version texts run by run (digits as numbers, letters without
// regard to case); 10000 when a text is missing or holds another character.
LONG CompareVersionText(const wchar_t* a, const wchar_t* b);

// A registered type library path that ends with "\<index>": the path without
// it; otherwise empty.
std::wstring StripTypeLibResourceIndex(const std::wstring& path);

}  // namespace twutil
