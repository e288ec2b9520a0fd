// Rewrites the import tables of the process's modules so that calls of chosen
// system functions reach replacements of ours: registry calls lose their view
// flags (ViewFlagPatch.h), starting a process is refused
// (ChildProcessBlock.h), and keys that a save of the area cannot show are
// noticed (KeysBeyondSave.h). Modules loaded later are rewritten as they arrive,
// since the loading functions are replaced too.
#pragma once

#include <cstddef>

namespace twregspy {

struct ImportReplacement {
  const char* name;
  void* replacement;
  // Receives the system's function for the replacement to forward to; null
  // for a replacement that never forwards.
  void** original;
};

template <class F>
void* Untyped(F f) {
  return reinterpret_cast<void*>(f);
}

// Every loaded module except the system's core and the one holding this code.
void RewriteImportsInLoadedModules();

}  // namespace twregspy
