// A tree as the registry's server saves it, read back into memory: one call
// where reading key by key costs a few calls a key. Wine saves its text
// format and leaves volatile keys out, so a reader trusts a saved key only
// where its counts agree with the registry's.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "capture/RegistryCopy.h"

namespace twutil {

struct SavedKey {
  std::vector<ValueCopy> values;  // in the registry's order
  std::vector<std::pair<std::wstring, std::unique_ptr<SavedKey>>> subkeys;  // likewise
};

// Everything below key; null where the save is not to be had (no backup
// privilege, or Windows, which saves a binary hive).
std::unique_ptr<SavedKey> SaveTree(HKEY key);

// "WINE REGISTRY Version 2" text; null for anything else or anything
// malformed.
std::unique_ptr<SavedKey> ParseSavedTree(std::string_view text);

// Puts tree below parent as name in one call: the registry's server loads
// it from a file in its own format, every value as the bytes of its type.
// name must not exist. false where that cannot be done (no restore
// privilege, or Windows, which loads binary hives only).
bool LoadTree(HKEY parent, const std::wstring& name, KeyCopy& tree);

}  // namespace twutil
