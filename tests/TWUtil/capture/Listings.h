// Models and registry trees read back as listings, one line per item. A model
// gives "Label value|value|..." per item in the order of its JSON picture;
// labels are the collection names without "Collection", "Col" or "Info"
// (TypeLib, ComClass, Context, AppInfo, ProgID, Verb, Extension, MIME,
// MiscRegistry), a contained item following its owner; what the capture
// itself recorded (outcome, registry) is left out.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "TWUtil.h"

namespace twtest {

using Lines = std::vector<std::wstring>;
using Entries = std::set<std::wstring>;

// Only the lines of the labels named (separated by spaces) when labels is given.
Lines ModelLines(IExtractComponent* component, const char* labels = nullptr);

// Calls visit for every value below key, and with a null name for every key
// that holds nothing; paths relative to the key where the walk began, each key
// opened in the registry view given (0, KEY_WOW64_32KEY or KEY_WOW64_64KEY).
using RegistryVisit = std::function<void(const std::wstring& path, const wchar_t* name, DWORD type,
                                         const std::vector<BYTE>& data)>;
void WalkRegistry(HKEY key, const std::wstring& path, REGSAM view, const RegistryVisit& visit);

// What root\key holds: every string value as "path|name=text" ("@" names the
// default value; other types show as "<N bytes>"), and every key that holds
// nothing as "path"; paths relative to key. Empty when key is missing.
Entries RegistryEntries(HKEY root, const std::wstring& key);

// The non-blank lines of text without their leading blanks, with $WINDIR$ and
// the placeholders given replaced, each also in lower case ($FILE$, $file$).
Lines Listing(const std::wstring& text, const std::map<std::wstring, std::wstring>& by = {});

inline std::wstring Lower(std::wstring text) {
  CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

}  // namespace twtest
