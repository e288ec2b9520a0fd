#include "capture/CaptureArea.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include "Errors.h"
#include "capture/AtOnce.h"
#include "capture/SavedTree.h"
#include "capture/SubtreeRemover.h"
#include "servers/HarvestText.h"

namespace twutil {

const wchar_t kCaptureAreaRoot[] = L"Software\\Tarnwick\\RegSpyProxy";
const wchar_t kClassesRootMirror[] = L"HKEY_CLASSES_ROOT";
const wchar_t* const kHiveMirrors[4] = {L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER",
                                        L"HKEY_LOCAL_MACHINE", L"HKEY_USERS"};

namespace {

// Value names compare as key names do.
const ValueCopy* FindValue(const KeyCopy& key, const wchar_t* name) {
  for (const ValueCopy& value : key.values)
    if (EqualsNoCase(value.name, name ? name : L"")) return &value;
  return nullptr;
}

// The hive mirror that key lies below (or is).
KeyCopy* MirrorOf(KeyCopy* key) {
  while (key->parent && key->parent->parent) key = key->parent;
  return key;
}

// Where the registry's server cannot load a tree, call by call; what cannot
// be written back would be lost, so it fails the harvest.
void WriteKeyByKey(HKEY parent, const std::wstring& name, KeyCopy& key) {
  RegKey written;
  LONG status = RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                written.Put(), nullptr);
  for (size_t i = 0; status == ERROR_SUCCESS && i < key.values.size(); ++i) {
    const ValueCopy& value = key.values[i];
    status = RegSetValueExW(written.Get(), value.name.empty() ? nullptr : value.name.c_str(), 0,
                            value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
  }
  ThrowIfFailed(HRESULT_FROM_WIN32(status));
  for (size_t i = 0; KeyCopy* subkey = key.SubkeyAt(i); ++i)
    WriteKeyByKey(written.Get(), subkey->name, *subkey);
}

bool Gone(LONG status) {
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND || status == ERROR_KEY_DELETED;
}

// Whether deleting key by key would remove every key below and key itself:
// each was read whole and opened with the access a deletion needs.
bool DeletableKeyByKey(KeyCopy* key) {
  if (!key->writable || !key->complete) return false;
  for (size_t i = 0; KeyCopy* subkey = key->SubkeyAt(i); ++i)
    if (!DeletableKeyByKey(subkey)) return false;
  return true;
}

}  // namespace

std::optional<std::wstring> CaptureKey::Text(const wchar_t* name, DWORD limitBytes) const {
  const ValueCopy* value = *this ? FindValue(*key_, name) : nullptr;
  if (!value || value->data.size() > limitBytes) return std::nullopt;
  // The registry does not promise a terminator: the data's size bounds the scan.
  const wchar_t* text = reinterpret_cast<const wchar_t*>(value->data.data());
  size_t units = value->data.size() / sizeof(wchar_t);
  size_t length = 0;
  while (length < units && text[length]) ++length;
  return std::wstring(text, length);
}

std::optional<std::wstring> CaptureKey::SubkeyText(const wchar_t* subkey, DWORD limitBytes) const {
  return CaptureKey(*this, subkey).Text(nullptr, limitBytes);
}

bool CaptureKey::HasSubkey(const wchar_t* name) const {
  return static_cast<bool>(CaptureKey(*this, name));
}

bool CaptureKey::IsEmpty() const { return *this && key_->IsEmpty(); }

SubkeyAt CaptureKey::Subkey(DWORD index, std::wstring* name) const {
  KeyCopy* subkey = *this ? key_->SubkeyAt(index) : nullptr;
  if (!subkey) return SubkeyAt::kEnd;
  if (subkey->name.size() >= kKeyNameChars) return SubkeyAt::kUnreadable;
  *name = subkey->name;
  return SubkeyAt::kName;
}

CaptureArea::CaptureArea(const std::wstring& root, bool saveShowsArea) {
  if (RegOpenKeyExW(HKEY_CURRENT_USER, root.c_str(), 0, KEY_ALL_ACCESS, area_.Put()) ==
      ERROR_SUCCESS) {
    if (saveShowsArea) top_ = CopyFromSave(area_.Get());
    fromSave_ = static_cast<bool>(top_);
    if (!top_) top_ = ReadKeyCopy(area_.Get());
  } else {
    area_.Reset();
    top_ = std::make_unique<KeyCopy>();
  }
}

bool CaptureArea::DeleteTree(const CaptureKey& parent, const wchar_t* subkey) {
  if (!parent || !subkey || !*subkey) return false;
  KeyCopy* key = parent.Get()->Find(subkey);
  if (!key) return true;
  deletedKeys_.push_back(key);
  key->parent->RemoveSubkey(key);
  return true;
}

void CaptureArea::ApplyDeletions() {
  if (fromSave_) RebuildChangedMirrors();
  // Values of keys that stay; the others leave with their keys.
  std::vector<DeletedValue> values;
  for (DeletedValue& value : deletedValues_) {
    const KeyCopy* key = value.key;
    while (key && !key->removed) key = key->parent;
    if (!key) values.push_back(std::move(value));
  }
  deletedValues_.clear();
  std::vector<KeyCopy*> unopened;
  for (const DeletedValue& value : values)
    if (!value.key->handle) unopened.push_back(value.key);
  std::sort(unopened.begin(), unopened.end());
  unopened.erase(std::unique(unopened.begin(), unopened.end()), unopened.end());
  ForEachAtOnce(unopened.size(), [&](size_t i) { OpenForDeletion(unopened[i]); });
  ForEachAtOnce(values.size(), [&](size_t i) {
    const DeletedValue& value = values[i];
    if (!Gone(RegDeleteValueW(value.key->handle.Get(),
                              value.name.empty() ? nullptr : value.name.c_str())))
      DeletionFailed(value.key);
  });
  // Deepest first: a key goes only once whatever was below it has gone, and
  // keys of one depth are apart from each other.
  std::vector<std::pair<size_t, KeyCopy*>> keys;
  for (KeyCopy* key : deletedKeys_) {
    size_t depth = 0;
    for (const KeyCopy* up = key; up->parent; up = up->parent) ++depth;
    keys.emplace_back(depth, key);
  }
  deletedKeys_.clear();
  std::stable_sort(keys.begin(), keys.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  // A subtree that key by key would go whole goes in one call; the others
  // key by key, so that what would have stayed stays and is reported.
  for (size_t first = 0; first < keys.size();) {
    size_t end = first;
    while (end < keys.size() && keys[end].first == keys[first].first) ++end;
    ForEachAtOnceWith<SubtreeRemover>(end - first, [&](SubtreeRemover& remover, size_t i) {
      KeyCopy* key = keys[first + i].second;
      if (DeletableKeyByKey(key) && RemoveAtOnce(remover, key)) return;
      if (!Erase(key)) DeletionFailed(key);
    });
    first = end;
  }
}

void CaptureArea::RebuildChangedMirrors() {
  std::vector<KeyCopy*> changed;
  for (KeyCopy* key : deletedKeys_)
    if (KeyCopy* mirror = MirrorOf(key); mirror != key && !mirror->removed)
      changed.push_back(mirror);
  for (const DeletedValue& value : deletedValues_)
    if (KeyCopy* mirror = MirrorOf(value.key); !mirror->removed) changed.push_back(mirror);
  std::sort(changed.begin(), changed.end());
  changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
  std::vector<KeyCopy*> rebuilt;
  for (KeyCopy* mirror : changed)
    if (Rebuild(mirror)) rebuilt.push_back(mirror);
  auto wasRebuilt = [&](KeyCopy* mirror) {
    return std::find(rebuilt.begin(), rebuilt.end(), mirror) != rebuilt.end();
  };
  deletedKeys_.erase(std::remove_if(deletedKeys_.begin(), deletedKeys_.end(),
                                    [&](KeyCopy* key) {
                                      KeyCopy* mirror = MirrorOf(key);
                                      return mirror != key && wasRebuilt(mirror);
                                    }),
                     deletedKeys_.end());
  deletedValues_.erase(
      std::remove_if(deletedValues_.begin(), deletedValues_.end(),
                     [&](const DeletedValue& value) { return wasRebuilt(MirrorOf(value.key)); }),
      deletedValues_.end());
}

bool CaptureArea::Rebuild(KeyCopy* mirror) {
  SubtreeRemover remover;
  if (!RemoveAtOnce(remover, mirror)) return false;
  if (!LoadTree(area_.Get(), mirror->name, *mirror))
    WriteKeyByKey(area_.Get(), mirror->name, *mirror);
  return true;
}

bool CaptureArea::RemoveAtOnce(const SubtreeRemover& remover, KeyCopy* key) {
  if (!remover.Usable()) return false;
  // The key's own handle would keep it.
  key->handle.Reset();
  // A key read from the save alone has no open parent: its path from the root.
  HKEY parent = key->parent->handle.Get();
  const std::wstring name = parent ? key->name : key->Path();
  if (!parent) parent = area_.Get();
  if (remover.Remove(parent, name)) return true;
  if (RegOpenKeyExW(parent, name.c_str(), REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS,
                    key->handle.Put()) != ERROR_SUCCESS)
    key->handle.Reset();
  return false;
}

void CaptureArea::OpenForDeletion(KeyCopy* key) {
  if (RegOpenKeyExW(area_.Get(), key->Path().c_str(), REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS,
                    key->handle.Put()) != ERROR_SUCCESS)
    key->handle.Reset();
}

void CaptureArea::DeletionFailed(KeyCopy* key) {
  std::lock_guard<std::mutex> lock(failedMutex_);
  failedMirrors_.push_back(MirrorOf(key)->name);
}

bool CaptureArea::KeepsMoreThanCopy(const wchar_t* mirror) const {
  for (const std::wstring& failed : failedMirrors_)
    if (EqualsNoCase(failed, mirror)) return true;
  return false;
}

// Deepest first, one call per key: the copy knows what is below. A key whose
// copy is not complete may hold more, which a walk of the registry (never
// following a link) finds. The copy forgets what is below key; key itself is
// its parent's to forget, so that subtrees of one parent can go at once.
bool CaptureArea::Erase(KeyCopy* key) {
  while (size_t count = key->SubkeyCount()) {
    KeyCopy* last = key->SubkeyAt(count - 1);
    if (!Erase(last)) return false;
    key->RemoveSubkey(last);
  }
  bool gone = key->complete && key->handle ? Gone(DeleteOpenedKey(key->handle.Get()))
                                           : DeleteTreeUnfollowed(area_.Get(), key->Path());
  if (!gone) return false;
  key->handle.Reset();
  return true;
}

bool CaptureArea::DeleteKey(KeyCopy* key) {
  if (!Erase(key)) return false;
  key->parent->RemoveSubkey(key);
  return true;
}

void CaptureArea::Clear() {
  ApplyDeletions();
  {
    // The area is ours to empty whatever its keys allow.
    SubtreeRemover remover;
    for (size_t m = top_->SubkeyCount(); m-- > 0;) {
      KeyCopy* mirror = top_->SubkeyAt(m);
      if (RemoveAtOnce(remover, mirror)) top_->RemoveSubkey(mirror);
    }
  }
  // What lies two levels below the mirrors goes at once, a subtree per
  // thread; the few keys above it after.
  std::vector<KeyCopy*> subtrees;
  for (size_t m = 0; KeyCopy* mirror = top_->SubkeyAt(m); ++m)
    for (size_t c = 0; KeyCopy* child = mirror->SubkeyAt(c); ++c)
      for (size_t g = 0; KeyCopy* grandchild = child->SubkeyAt(g); ++g)
        subtrees.push_back(grandchild);
  std::vector<char> erased(subtrees.size());
  ForEachAtOnce(subtrees.size(), [&](size_t i) { erased[i] = Erase(subtrees[i]); });
  for (size_t i = 0; i < subtrees.size(); ++i)
    if (erased[i]) subtrees[i]->parent->RemoveSubkey(subtrees[i]);
  while (size_t count = top_->SubkeyCount())
    if (!DeleteKey(top_->SubkeyAt(count - 1))) return;
}

bool CaptureArea::DeleteValue(const CaptureKey& key, const wchar_t* name) {
  if (!key) return false;
  const ValueCopy* value = FindValue(*key.Get(), name);
  if (!value) return true;
  deletedValues_.push_back(DeletedValue{key.Get(), value->name});
  std::vector<ValueCopy>& values = key.Get()->values;
  values.erase(values.begin() + (value - values.data()));
  return true;
}

}  // namespace twutil
