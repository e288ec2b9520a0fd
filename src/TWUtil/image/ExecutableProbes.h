// Probes that tell what kind of file a path names from its contents: DOS,
// 16-bit, virtual-device or PE executable, PE program or library, icon file.
// They keep no state and never raise; failures are result codes.
#pragma once

#include <windows.h>

#include "image/ByteSpan.h"

namespace twutil {

// Signatures that GetExecutableFormat reports.
constexpr long kFormatNone = 0;
constexpr long kFormatDos = 0x5A4D;  // "MZ" with no newer header behind it
constexpr long kFormatNE = 0x454E;
constexpr long kFormatLE = 0x454C;
constexpr long kFormatPE = 0x4550;

// Results of GetPEFileKind.
constexpr long kPEProgram = 0;
constexpr long kPELibrary = 1;
constexpr long kPENeither = -2;

// 0 when the image does not begin with "MZ"; otherwise the signature at the
// offset held at 0x3C: NE, LE, PE (followed by two zero bytes), or MZ when
// none of these stands there (or the offset lies outside the image).
long GetExecutableFormat(const ByteSpan& image);

// Sets *kind (and returns it): kPELibrary for a PE image with the DLL flag,
// kPEProgram for one with only the executable flag, kPENeither otherwise,
// also when the file cannot be opened or mapped.
long GetPEFileKind(const wchar_t* path, long* kind);

// The machine field of a PE image's file header (IMAGE_FILE_MACHINE_I386,
// IMAGE_FILE_MACHINE_AMD64, ...); 0 when the file is no PE image or cannot
// be read.
uint16_t GetPEMachine(const wchar_t* path);

// 64 for a PE image of a 64-bit machine, 32 for any other PE image, 0 for a
// file that is no PE image.
int GetPEBitness(const wchar_t* path);

// True when the file begins with the 16-bit words 0 and 1 (an icon file).
bool IsIconFile(const wchar_t* path);

}  // namespace twutil
