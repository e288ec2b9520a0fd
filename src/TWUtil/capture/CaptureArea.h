// The capture area under HKEY_CURRENT_USER into which the spy component
// redirects a server's registration, as the harvest reads and consumes it.
// Every key is opened with full access; one that cannot be opened so counts
// as absent. Values are read into fixed buffers: a larger one counts as absent.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "com/Owners.h"

namespace twutil {

extern const wchar_t kCaptureAreaRoot[];    // "Software\Tarnwick\RegSpyProxy"
extern const wchar_t kClassesRootMirror[];  // its HKEY_CLASSES_ROOT subkey
// The mirror of each hive below the root, in ERegistryHives order: the
// mirror of hive n stands for the predefined key 0x80000000 + n.
extern const wchar_t* const kHiveMirrors[4];

// Byte limits of the values the harvest reads.
constexpr DWORD kLongValueBytes = 1024;
constexpr DWORD kHelpDirBytes = 260;
constexpr DWORD kShortValueBytes = 256;

// Key names are enumerated with this many characters, terminator included.
constexpr DWORD kKeyNameChars = 256;

// What enumerating one index of a key's subkeys found.
enum class SubkeyAt { kName, kUnreadable, kEnd };

class CaptureKey {
 public:
  CaptureKey() = default;
  // parent\path with full access; stays closed when that fails.
  CaptureKey(HKEY parent, const std::wstring& path);
  CaptureKey(CaptureKey&& other) noexcept = default;

  explicit operator bool() const { return static_cast<bool>(key_); }
  HKEY Get() const { return key_.Get(); }

  // The text of a value (null or empty name: the default value) when it is
  // present and fits limitBytes; cut at its first terminator.
  std::optional<std::wstring> Text(const wchar_t* name, DWORD limitBytes) const;
  // The default value of a subkey, under the same rules.
  std::optional<std::wstring> SubkeyText(const wchar_t* subkey, DWORD limitBytes) const;
  bool HasSubkey(const wchar_t* name) const;
  // Neither subkeys nor values (a key that cannot be asked is not empty).
  bool IsEmpty() const;
  // The name of the subkey at index; kUnreadable for a name longer than the
  // enumeration buffer, kEnd when there is none (or the key cannot be read).
  SubkeyAt Subkey(DWORD index, std::wstring* name) const;

 private:
  RegKey key_;
};

// The deletions of the harvest. Each answers whether the entry is gone now
// (an entry that was not there is gone), so that enumerations that revisit an
// index after a deletion move on when one fails.
class CaptureAreaEditor {
 public:
  virtual ~CaptureAreaEditor() = default;
  // parent\subkey with everything below it.
  virtual bool DeleteTree(HKEY parent, const wchar_t* subkey) const;
  // A value of key (null or empty name: the default value).
  virtual bool DeleteValue(HKEY key, const wchar_t* name) const;
};

}  // namespace twutil
