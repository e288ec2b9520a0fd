// Runs a COM server file's own self-registration (a DLL's exported entry
// point, an executable's switch) and tells server files apart by their names.
// Keeps no state and never raises: every outcome is a result code.
#pragma once

#include <windows.h>

#include <cstddef>

namespace twutil {

// Size of the buffers that hold a quoted path or a command line.
constexpr size_t kRegistrationBufferChars = 260;

// ClassifyExtension results.
constexpr long kExtensionTypeLibrary = 1;  // "tlb" or "olb"
constexpr long kExtensionOcx = 2;
constexpr long kExtensionExe = 3;
constexpr long kExtensionDll = 4;
constexpr long kExtensionOther = 5;

// GetServerKind results.
constexpr long kServerExecutable = 0;
constexpr long kServerInProcess = 1;
constexpr long kServerNoPath = -1;
constexpr long kServerNeither = -2;

// RegisterServerFile, UnregisterServerFile and RunServerRegistration results.
constexpr long kRegistrationDone = 0;
constexpr long kRegistrationFailed = -1;
constexpr long kRegistrationNotAServer = -2;

// The last three characters of the path, case-insensitively, against "tlb",
// "olb", "ocx", "exe" and "dll" in that order. Shorter or null paths: other.
long ClassifyExtension(const wchar_t* path);

long GetServerKind(const wchar_t* path);

// Writes source in double quotes into destination (capacity characters with
// the terminator), adding a quote only where none stands yet. Nothing happens
// when either pointer is null; false (and an empty destination) when the
// result does not fit.
bool QuotePath(wchar_t* destination, size_t capacity, const wchar_t* source);

// Copies source without a leading and without a trailing double quote; false
// (and an empty destination) when it does not fit.
bool UnquotePath(wchar_t* destination, size_t capacity, const wchar_t* source);

// The command line that starts an executable server: the quoted path, one
// space, then the switch (which brings its own leading space).
bool BuildRegistrationCommandLine(wchar_t* destination, size_t capacity, const wchar_t* path,
                                  const wchar_t* switchText);

// Loads the library (its own folder searched first for what it needs), calls
// the named export with no arguments and frees the library. TRUE only when
// the export exists and returns S_OK.
BOOL CallServerEntry(const wchar_t* path, const wchar_t* entryName);

// An empty switch means " /regserver"; DLLs and OCXs get DllRegisterServer.
long RunServerRegistration(const wchar_t* path, const wchar_t* switchText);
long RegisterServerFile(const wchar_t* path);
long UnregisterServerFile(const wchar_t* path);

}  // namespace twutil
