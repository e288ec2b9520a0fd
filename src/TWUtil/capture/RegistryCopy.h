// A registry tree read once into memory. Under Wine every registry call is a
// round trip to the registry's server, so a tree that is asked many
// questions (the harvest asks tens per class) is read with as few calls as
// the registry allows and asked here.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "com/Owners.h"

namespace twutil {

struct ValueCopy {
  std::wstring name;  // empty: the default value
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

class KeyCopy {
 public:
  std::wstring name;
  KeyCopy* parent = nullptr;
  // Opened with full access, the only way the harvest opens a key.
  bool writable = false;
  // Its values and subkeys were read to the end; a key that could not be
  // opened at all, or whose enumeration stopped short, is not.
  bool complete = false;
  // Taken out of the tree; it stays alive (empty to every question) for
  // whoever still holds it.
  bool removed = false;
  std::vector<ValueCopy> values;  // in the registry's order
  // The key as the read opened it, kept so that deleting it or its values
  // later costs one call; null when it could not be opened.
  RegKey handle;

  // Subkeys in the registry's order.
  size_t SubkeyCount() const { return live_; }
  KeyCopy* SubkeyAt(size_t index);
  KeyCopy* AddSubkey(std::wstring childName);
  void ReserveSubkeys(size_t count) { subkeys_.reserve(count); }
  // Takes child out of the order and the name lookup.
  void RemoveSubkey(KeyCopy* child);

  bool IsEmpty() const { return complete && values.empty() && live_ == 0; }
  // The subkey named so (compared as the registry compares), or null.
  KeyCopy* Subkey(const std::wstring& wanted);
  // The key at path below this one, separators as the registry takes them:
  // a leading one is refused, repeated and trailing ones are skipped.
  KeyCopy* Find(const std::wstring& path);
  // The path from the top of the copy, separated by backslashes.
  std::wstring Path() const;

 private:
  void Compact();

  // Null where a subkey was removed until the next Compact; removed ones
  // move to removed_ so that nothing pointing at them dangles.
  std::vector<std::unique_ptr<KeyCopy>> subkeys_;
  std::vector<std::unique_ptr<KeyCopy>> removed_;
  size_t live_ = 0;
  size_t slot_ = 0;  // in the parent's subkeys_
  // Upper-cased name to subkey, built on the first lookup of a large key.
  std::unordered_map<std::wstring, KeyCopy*> byName_;
  bool indexed_ = false;
};

// The tree at start (whose own handle is not kept); a start that cannot be
// read gives an incomplete, empty top. Every key read stays open until the
// copy goes.
std::unique_ptr<KeyCopy> ReadKeyCopy(HKEY start);

// The tree at start as the registry's save shows it, in one call and no key
// opened: for a tree known to hold no key that a save leaves out or shows
// otherwise. Every key counts as opened with full access. Null where there is
// no save to be had.
std::unique_ptr<KeyCopy> CopyFromSave(HKEY start);

}  // namespace twutil
