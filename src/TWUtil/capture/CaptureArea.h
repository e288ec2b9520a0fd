// The capture area under HKEY_CURRENT_USER into which the spy component
// redirects a server's registration, as the harvest reads and consumes it.
// Every key is opened with full access; one that cannot be opened so counts
// as absent. Values are read within fixed limits: a larger one counts as absent.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "capture/RegistryCopy.h"
#include "com/Owners.h"

namespace twutil {

class SubtreeRemover;

extern const wchar_t kCaptureAreaRoot[];    // "Software\Tarnwick\RegSpyProxy"
extern const wchar_t kClassesRootMirror[];  // "HKEY_CLASSES_ROOT", below the root
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

// A key of the capture area as the harvest opened it: absent when it is not
// there or does not allow full access.
class CaptureKey {
 public:
  CaptureKey() = default;
  explicit CaptureKey(KeyCopy* key) : key_(key && key->writable && !key->removed ? key : nullptr) {}
  // parent\path; absent when parent is.
  CaptureKey(const CaptureKey& parent, const std::wstring& path)
      : CaptureKey(parent.key_ ? parent.key_->Find(path) : nullptr) {}

  explicit operator bool() const { return key_ && !key_->removed; }
  KeyCopy* Get() const { return *this ? key_ : nullptr; }

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
  KeyCopy* key_ = nullptr;
};

// The capture area, read once; the harvest asks the copy. Its deletions
// change the copy at once and reach the registry together, a few calls at a
// time, when ApplyDeletions runs: nothing reads the registry in between.
// Each deletion answers whether the entry is gone now (an entry that was not
// there is gone), so that enumerations that revisit an index after a
// deletion move on.
class CaptureArea {
 public:
  // Reads the area below HKEY_CURRENT_USER\root; one that is not there
  // reads as empty. Where the registry's save shows the whole area, it is
  // read from the save alone and its keys are opened only to delete in them.
  explicit CaptureArea(const std::wstring& root, bool saveShowsArea = false);

  // A key below the area's root.
  CaptureKey Open(const std::wstring& path) const { return CaptureKey(top_->Find(path)); }
  KeyCopy& Top() { return *top_; }

  // parent\subkey with everything below it.
  bool DeleteTree(const CaptureKey& parent, const wchar_t* subkey);
  // A value of key (null or empty name: the default value).
  bool DeleteValue(const CaptureKey& key, const wchar_t* name);
  // Makes the registry hold what the copy holds, before anyone reads it.
  void ApplyDeletions();
  // Whether the registry still holds something below the hive mirror that
  // the copy no longer does (a deletion that failed).
  bool KeepsMoreThanCopy(const wchar_t* mirror) const;
  // Everything below the root, hive mirrors included, once the component
  // has had what the harvest left: a mirror in one call where the registry
  // allows it, else through the copy's open keys (a third of the calls of
  // the registry's own tree deletion).
  void Clear();

 private:
  // A copy taken from the save alone holds all there is: a mirror with
  // deletions below it is put back whole as the copy has it, a few calls
  // however much went.
  void RebuildChangedMirrors();
  bool Rebuild(KeyCopy* mirror);
  bool Erase(KeyCopy* key);
  // key and everything below in one call, where the registry allows it.
  bool RemoveAtOnce(const SubtreeRemover& remover, KeyCopy* key);
  // Opens key where the copy did not (read from the save alone).
  void OpenForDeletion(KeyCopy* key);
  bool DeleteKey(KeyCopy* key);
  void DeletionFailed(KeyCopy* key);

  struct DeletedValue {
    KeyCopy* key;
    std::wstring name;
  };
  std::vector<KeyCopy*> deletedKeys_;  // out of the copy, not yet out of the registry
  std::vector<DeletedValue> deletedValues_;
  std::mutex failedMutex_;
  std::vector<std::wstring> failedMirrors_;

  RegKey area_;
  std::unique_ptr<KeyCopy> top_;
  bool fromSave_ = false;
};

}  // namespace twutil
