#include "capture/RegistryCopy.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "capture/SavedTree.h"
#include "com/Owners.h"
#include "servers/HarvestText.h"

namespace twutil {
namespace {

struct KeyInfo {
  DWORD subkeys = 0, longestSubkey = 0, values = 0, longestName = 0, largestData = 0;
};

bool QueryInfo(HKEY key, KeyInfo* info) {
  return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &info->subkeys, &info->longestSubkey,
                          nullptr, &info->values, &info->longestName, &info->largestData, nullptr,
                          nullptr) == ERROR_SUCCESS;
}

std::wstring UpperName(const std::wstring& name) {
  std::wstring upper(name);
  if (!upper.empty())
    LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, name.data(),
                  static_cast<int>(name.size()), &upper[0], static_cast<int>(upper.size()), nullptr,
                  nullptr, 0);
  return upper;
}

// Under Wine a registry call waits for the registry's server far longer
// than the server works on it, so a few readers asking at once get through
// a tree in about half the time. Each key is read whole by one reader (its
// values and subkeys in the registry's order); the subkeys it opened go back
// to the shared pile. The counts a key's information gave bound its
// enumerations, so no call is spent on finding the end.
//
// Where the registry's server saves the tree in one call, a key whose counts
// agree with its save takes its values and subkey names from there: two
// calls a key (open, counts) instead of one per key, value and subkey.
class Reader {
 public:
  std::unique_ptr<KeyCopy> Run(HKEY start) {
    auto top = std::make_unique<KeyCopy>();
    if (RegOpenKeyExW(start, nullptr, 0, KEY_READ, top->handle.Put()) != ERROR_SUCCESS) return top;
    top->writable = true;
    saved_ = SaveTree(top->handle.Get());
    pending_.push_back({top.get(), saved_.get()});
    std::vector<std::thread> helpers;
    for (int i = 1; i < kReaders; ++i) {
      try {
        helpers.emplace_back([this] { Work(); });
      } catch (const std::system_error&) {
        break;  // fewer readers read the same tree
      }
    }
    Work();
    for (std::thread& helper : helpers) helper.join();
    if (failure_) std::rethrow_exception(failure_);
    return top;
  }

 private:
  static constexpr int kReaders = 3;

  struct Pending {
    KeyCopy* key;
    SavedKey* saved;  // null: read it key by key
  };

  void Work() {
    std::vector<Pending> opened;
    for (;;) {
      Pending key = {};
      {
        std::unique_lock<std::mutex> lock(mutex_);
        for (auto& child : opened) pending_.push_back(child);
        if (!opened.empty()) --busy_;
        opened.clear();
        changed_.notify_all();
        changed_.wait(lock, [this] { return !pending_.empty() || busy_ == 0 || failure_; });
        if (pending_.empty() || failure_) return;
        key = pending_.back();
        pending_.pop_back();
        ++busy_;
      }
      try {
        ReadKey(key, &opened);
      } catch (...) {
        std::lock_guard<std::mutex> lock(mutex_);
        failure_ = std::current_exception();
        --busy_;
        changed_.notify_all();
        return;
      }
      // A key with no opened subkeys still has to give its turn back.
      if (opened.empty()) {
        std::lock_guard<std::mutex> lock(mutex_);
        --busy_;
        changed_.notify_all();
      }
    }
  }

  static bool Open(HKEY parent, KeyCopy* copy) {
    RegKey& key = copy->handle;
    // A link is read as the key it is, never followed: a server's link must
    // not lead the harvest, or its deletions, out of the area.
    if (RegOpenKeyExW(parent, copy->name.c_str(), REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS,
                      key.Put()) == ERROR_SUCCESS) {
      copy->writable = true;
    } else if (RegOpenKeyExW(parent, copy->name.c_str(), REG_OPTION_OPEN_LINK, KEY_READ,
                             key.Put()) != ERROR_SUCCESS) {
      key.Reset();
    }
    return static_cast<bool>(key);
  }

  // What the key holds; its subkeys that could be opened go to opened.
  static void ReadKey(Pending pending, std::vector<Pending>* opened) {
    KeyCopy* copy = pending.key;
    SavedKey* saved = pending.saved;
    KeyInfo info;
    HKEY key = copy->handle.Get();
    if (!QueryInfo(key, &info)) return;
    if (saved && saved->values.size() == info.values && saved->subkeys.size() == info.subkeys) {
      copy->values = std::move(saved->values);
      copy->complete = true;
      copy->ReserveSubkeys(info.subkeys);
      for (auto& [name, savedChild] : saved->subkeys) {
        KeyCopy* child = copy->AddSubkey(std::move(name));
        if (Open(key, child)) opened->push_back({child, savedChild.get()});
      }
      return;
    }
    copy->complete = ReadValues(key, info, copy);
    if (info.subkeys == 0) return;
    copy->ReserveSubkeys(info.subkeys);
    std::vector<wchar_t> name(info.longestSubkey + 2);
    for (DWORD index = 0; index < info.subkeys;) {
      DWORD length = static_cast<DWORD>(name.size());
      LONG status =
          RegEnumKeyExW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
      if (status == ERROR_MORE_DATA) {
        name.resize(name.size() * 2);
        continue;
      }
      if (status != ERROR_SUCCESS) {
        copy->complete = false;
        return;
      }
      KeyCopy* child = copy->AddSubkey(std::wstring(name.data(), length));
      if (Open(key, child)) opened->push_back({child, nullptr});
      ++index;
    }
  }

  // false when the values could not all be read.
  static bool ReadValues(HKEY key, const KeyInfo& info, KeyCopy* copy) {
    if (info.values == 0) return true;
    copy->values.reserve(info.values);
    std::vector<wchar_t> name(info.longestName + 2);
    std::vector<BYTE> data(info.largestData ? info.largestData : 1);
    for (DWORD index = 0; index < info.values;) {
      DWORD nameLength = static_cast<DWORD>(name.size());
      DWORD size = static_cast<DWORD>(data.size());
      DWORD type = REG_NONE;
      LONG status =
          RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
      if (status == ERROR_MORE_DATA) {
        // Either buffer may be short; grow both and ask again.
        name.resize(name.size() * 2);
        data.resize(size > data.size() ? size : data.size() * 2);
        continue;
      }
      if (status != ERROR_SUCCESS) return false;
      copy->values.push_back(ValueCopy{std::wstring(name.data(), nameLength), type,
                                       std::vector<BYTE>(data.data(), data.data() + size)});
      ++index;
    }
    return true;
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Pending> pending_;
  std::unique_ptr<SavedKey> saved_;
  int busy_ = 0;  // readers holding a key whose subkeys are not on the pile yet
  std::exception_ptr failure_;
};

void AdoptSaved(KeyCopy* copy, SavedKey& saved) {
  copy->writable = true;
  copy->complete = true;
  copy->values = std::move(saved.values);
  copy->ReserveSubkeys(saved.subkeys.size());
  for (auto& [name, child] : saved.subkeys) AdoptSaved(copy->AddSubkey(std::move(name)), *child);
}

}  // namespace

KeyCopy* KeyCopy::SubkeyAt(size_t index) {
  if (live_ != subkeys_.size()) Compact();
  return index < subkeys_.size() ? subkeys_[index].get() : nullptr;
}

KeyCopy* KeyCopy::AddSubkey(std::wstring childName) {
  auto child = std::make_unique<KeyCopy>();
  child->name = std::move(childName);
  child->parent = this;
  child->slot_ = subkeys_.size();
  KeyCopy* added = child.get();
  if (indexed_) byName_.emplace(UpperName(added->name), added);
  subkeys_.push_back(std::move(child));
  ++live_;
  return added;
}

void KeyCopy::RemoveSubkey(KeyCopy* child) {
  if (!child || child->parent != this || child->removed) return;
  child->removed = true;
  if (indexed_) {
    auto found = byName_.find(UpperName(child->name));
    if (found != byName_.end() && found->second == child) byName_.erase(found);
  }
  removed_.push_back(std::move(subkeys_[child->slot_]));
  --live_;
}

void KeyCopy::Compact() {
  size_t kept = 0;
  for (std::unique_ptr<KeyCopy>& subkey : subkeys_) {
    if (!subkey) continue;
    subkey->slot_ = kept;
    subkeys_[kept++] = std::move(subkey);
  }
  subkeys_.resize(kept);
}

KeyCopy* KeyCopy::Subkey(const std::wstring& wanted) {
  // A few subkeys are cheaper to compare than to index.
  if (!indexed_ && live_ > 16) {
    for (const std::unique_ptr<KeyCopy>& subkey : subkeys_)
      if (subkey) byName_.emplace(UpperName(subkey->name), subkey.get());
    indexed_ = true;
  }
  if (indexed_) {
    auto found = byName_.find(UpperName(wanted));
    return found != byName_.end() && EqualsNoCase(found->second->name, wanted.c_str())
               ? found->second
               : nullptr;
  }
  for (const std::unique_ptr<KeyCopy>& subkey : subkeys_)
    if (subkey && EqualsNoCase(subkey->name, wanted.c_str())) return subkey.get();
  return nullptr;
}

KeyCopy* KeyCopy::Find(const std::wstring& path) {
  if (!path.empty() && path[0] == L'\\') return nullptr;
  KeyCopy* key = this;
  size_t at = 0;
  while (key && at < path.size()) {
    size_t end = path.find(L'\\', at);
    if (end == std::wstring::npos) end = path.size();
    if (end > at) key = key->Subkey(path.substr(at, end - at));
    at = end + 1;
  }
  return key;
}

std::wstring KeyCopy::Path() const {
  std::wstring path;
  for (const KeyCopy* key = this; key && key->parent; key = key->parent)
    path = path.empty() ? key->name : key->name + L'\\' + path;
  return path;
}

std::unique_ptr<KeyCopy> ReadKeyCopy(HKEY start) { return Reader().Run(start); }

std::unique_ptr<KeyCopy> CopyFromSave(HKEY start) {
  std::unique_ptr<SavedKey> saved = SaveTree(start);
  if (!saved) return nullptr;
  auto top = std::make_unique<KeyCopy>();
  AdoptSaved(top.get(), *saved);
  return top;
}

}  // namespace twutil
