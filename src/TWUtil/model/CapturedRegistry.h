// What one file's registration wrote, entry by entry, as the capture handed
// it over through IExtractCapturedRegistry; and what became of the
// registration. The exports (.reg, WiX) and the JSON picture read this.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace twutil::model {

// The predefined key of each hive the capture mirrors.
inline constexpr ULONG kRootClassesRoot = 0x80000000;
inline constexpr ULONG kRootCurrentUser = 0x80000001;
inline constexpr ULONG kRootLocalMachine = 0x80000002;
inline constexpr ULONG kRootUsers = 0x80000003;

// "HKEY_CLASSES_ROOT" ... for the four roots above; null for any other.
const wchar_t* RootName(ULONG root);

struct CapturedEntry {
  ULONG root = kRootClassesRoot;
  std::wstring key;                  // below the hive, without a leading backslash
  bool keyOnly = false;              // a key holding nothing: no name, type or data
  std::optional<std::wstring> name;  // nullopt: the key's default value
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

// The order every output uses: hive, key (case-insensitively, one level at a
// time), the key itself before its values, the default value first, then
// names case-insensitively.
void SortCapturedEntries(std::vector<CapturedEntry>* entries);

// The text a REG_SZ, REG_EXPAND_SZ or REG_LINK value holds, when its data is
// exactly that text and one terminating null; nullopt otherwise (odd sizes,
// a missing terminator, embedded nulls), so that such data is shown as bytes.
std::optional<std::wstring> CanonicalText(const std::vector<BYTE>& data);
// The texts of a REG_MULTI_SZ value, when its data is exactly each text with
// its null and one final null; nullopt otherwise.
std::optional<std::vector<std::wstring>> CanonicalTextList(const std::vector<BYTE>& data);
// The bytes as hex digits, two a byte, no separators.
std::wstring HexDigits(const std::vector<BYTE>& data);
// "REG_SZ", "REG_DWORD", ...; "REG_TYPE_<n>" for a type without a name.
std::wstring RegistryTypeName(DWORD type);

// What became of one file's registration.
enum class CaptureOutcome : LONG {
  kRegistered = 0,   // it ran and succeeded
  kFailed = 1,       // it ran and reported failure (an HRESULT or exit code)
  kNotAServer = 2,   // nothing to register by the file's name or contents
  kCrashed = 3,      // the server died of an exception
  kTimedOut = 4,     // it did not finish within the time limit
  kNotRun = 5,       // it could not be run redirected (the detail says why)
  kEndedProcess = 6  // the server ended its process before finishing
};

// "registered", "failed", "not-a-server", "crashed", "timed-out", "not-run",
// "ended-process"; null for a value outside the enumeration.
const wchar_t* OutcomeName(LONG outcome);

struct CaptureResult {
  LONG outcome = static_cast<LONG>(CaptureOutcome::kRegistered);
  std::wstring detail;
};

}  // namespace twutil::model
