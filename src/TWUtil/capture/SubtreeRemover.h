// Wine's registry server deletes a whole subtree in one call when asked to
// unload it as a hive: any key may be named there, where Windows accepts
// only the roots of loaded hives. A deletion key by key costs one call per
// key, so a remover that works saves all but one of them; one that does not
// (Windows, or no restore privilege) says so and the caller goes key by key.
#pragma once

#include <windows.h>

#include <string>

#include "capture/ThreadPrivilege.h"
#include "com/Owners.h"

namespace twutil {

// The restore privilege that the call needs is enabled for the calling
// thread only, while the remover lives.
class SubtreeRemover {
 public:
  SubtreeRemover() : restore_(SE_RESTORE_NAME) {}

  // parent\name with everything below it; a link is removed, never
  // followed. The key itself must have no open handle. false: still there.
  bool Remove(HKEY parent, const std::wstring& name) const;
  bool Usable() const { return restore_.Enabled(); }

 private:
  ThreadPrivilege restore_;
};

// The key itself, through its own handle (opened with DELETE access): one
// call where a path costs three. Fails while it has subkeys.
LONG DeleteOpenedKey(HKEY key);

// root\path with everything below, key by key, links removed and never
// followed; a key already gone counts as deleted. false: something stayed.
bool DeleteTreeUnfollowed(HKEY root, const std::wstring& path);

// Every subkey of key with everything below, links removed and never
// followed: each in one call where the registry allows it, else key by key.
// false when something stayed.
bool EmptyKeyUnfollowed(HKEY key);

}  // namespace twutil
