// Which helper process can register a server file: the one whose machine
// type matches the file's PE header.
#pragma once

namespace twregspy {

enum class HelperArchitecture { k32Bit, k64Bit, kNone };

// 64-bit for an x64 PE image, none for any other machine than x86; files that
// are no PE image (type libraries, missing files) go to the helper of the
// spy's own bitness.
HelperArchitecture HelperFor(const wchar_t* path);

}  // namespace twregspy
