// Watches key creation for keys that the registry's save of the capture area
// does not show as they are: Wine's save leaves volatile keys out, a link is
// not to be walked by path, and a key's class is not read back. The harvest
// reads the area from the save alone, and writes it back from there, only
// where the watch saw none of these. A request counts whether or not it
// succeeds.
#pragma once

#include <windows.h>

#include <cstddef>

#include "ImportRewrite.h"

namespace twregspy {

using KeyBeyondSaveSink = void (*)();

// The sink hears of every such request; without one nothing is told.
void SetKeyBeyondSaveSink(KeyBeyondSaveSink sink);

// For the replacements of RegCreateKeyEx, which forward elsewhere.
void CheckKeyCreation(DWORD options, bool withClass);

// The system calls that create keys.
const ImportReplacement* KeyBeyondSaveReplacements(size_t* count);

}  // namespace twregspy
