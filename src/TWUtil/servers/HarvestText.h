// The text rules both harvests share: splitting a verb's command line, an
// icon reference and a local server's command line, case rules. Pure
// functions, bounded by their input.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace twutil {

struct VerbCommand {
  std::wstring file;
  std::wstring arguments;
};

// The program file and arguments of a verb's command, all lower-cased; none
// when the command names neither rundll32.exe nor another ".exe".
std::optional<VerbCommand> SplitVerbCommand(std::wstring command);

struct IconReference {
  std::wstring file;  // unquoted; the system-path prefix not yet expanded
  LONG index = 0;
};

// "file,index" with the file optionally in double quotes; none without a comma.
std::optional<IconReference> SplitIconText(const std::wstring& text);

// What follows ".exe" and one separator in a local server's command line;
// none when nothing does.
std::optional<std::wstring> LocalServerArgument(const std::wstring& serverText);

// The leading decimal number of text (optional sign, digits up to the first
// non-digit), 0 when there is none; clamped to the range of a LONG.
LONG LeadingDecimal(const std::wstring& text);

// A..Z lowered, nothing else (the run-time library's default-locale rule).
std::wstring LowerAscii(std::wstring text);

// Comparison without regard to case, as the harvest's name lists use it.
bool EqualsNoCase(const std::wstring& a, const wchar_t* b);

}  // namespace twutil
