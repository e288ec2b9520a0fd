// The steps of one server file's harvest of the capture area, in the order
// the driver runs them, and what they share. Model calls marked checked go
// through CheckCall and end the harvest with CExcept; the others are not
// looked at. A collection or item that a model answers as null ends the step
// that would have used it.
#pragma once

#include <set>
#include <string>

#include "TWUtil.h"
#include "capture/CaptureArea.h"
#include "com/Owners.h"

namespace twutil {

struct HarvestContext {
  IExtractComponent* component;
  CaptureArea& area;
  // The CLSIDs of the current file's classes, as their key names stand.
  std::set<std::wstring> harvestedClasses;
};

// Kinds of item that ParseDefaultIcon writes into.
constexpr int kProgIDIcon = 1001;
constexpr int kClassIcon = 1002;

void HarvestTypeLibraries(HarvestContext& context);
void HarvestClasses(HarvestContext& context);
void HarvestAppID(HarvestContext& context, const std::wstring& appId);
// serverText is given for the local-server contexts only.
void AddServerContext(IExtractComClass* item, const wchar_t* contextName, bool handler32,
                      bool handler16, const std::wstring* serverText);
void ParseDefaultIcon(IUnknown* item, const std::wstring& iconText, int kind);
void HarvestProgIDs(HarvestContext& context);
void HarvestVerbs(HarvestContext& context, const CaptureKey& shell, IExtractProgIDInfo* progId);
void HarvestExtensions(HarvestContext& context);
void HarvestMIMETypes(HarvestContext& context);
void HarvestMiscHives(HarvestContext& context);

// A BSTR copy of text, for a model put.
inline Bstr ModelText(const std::wstring& text) {
  return Bstr(text.data(), static_cast<UINT>(text.size()));
}

// The capture-area key below the classes-root mirror.
inline std::wstring MirrorPath(const wchar_t* subkey) {
  return std::wstring(kClassesRootMirror) + L"\\" + subkey;
}

}  // namespace twutil
