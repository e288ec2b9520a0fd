// Watches key creation for keys that the registry's save of the capture area
// does not show as they are: Wine's save leaves volatile keys out, and a
// link is not to be walked by path. The harvest reads the area from the save
// alone only where the watch saw neither. A request counts whether or not it
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
void CheckKeyCreation(DWORD options);

// The system calls that create keys.
const ImportReplacement* KeyBeyondSaveReplacements(size_t* count);

}  // namespace twregspy
