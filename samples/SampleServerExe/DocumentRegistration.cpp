#include "DocumentRegistration.h"

#include "SampleRegistry.h"

namespace samples {
namespace {

const wchar_t kDocument[] = L"{C39D7284-E4B9-4D76-A061-A9A3E64DFAC4}";
const wchar_t kDocumentApp[] = L"{2BB04907-F166-4B61-B760-4F37AA7DD9A2}";
const wchar_t kMachineKey[] = L"Software\\Tarnwick\\SampleServerExe";

const wchar_t* const kOwnKeys[] = {
    L"SampleServerExe.Document",
    L"SampleServerExe.Document.1",
    L".sdoc",
    L".sdocx",
    L"MIME\\Database\\Content Type\\application/x-sample-document",
    L"MIME\\Database\\Content Type\\text/x-sample-note",
    L"AppID\\SampleServerExe.exe",
};

std::wstring FileName(const std::wstring& path) {
  size_t separator = path.rfind(L'\\');
  return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

// A local server with arguments (the 32-bit entry unquoted, the old one
// quoted), both OLE handlers, and an AppID run as a service.
void RegisterDocumentClass(const std::wstring& exePath, Outcome& outcome) {
  const std::wstring key = std::wstring(L"CLSID\\") + kDocument;
  outcome.Note(SetText(HKEY_CLASSES_ROOT, key, nullptr, L"Sample Document"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, key, L"AppID", kDocumentApp));
  outcome.Note(
      SetText(HKEY_CLASSES_ROOT, key + L"\\LocalServer32", nullptr, exePath + L" /automation"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, key + L"\\LocalServer", nullptr,
                       L"\"" + exePath + L"\" -Embedding"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, key + L"\\InprocHandler32", nullptr, L"ole32.dll"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, key + L"\\InprocHandler", nullptr, L"ole2.dll"));
  outcome.Note(
      SetText(HKEY_CLASSES_ROOT, key + L"\\ProgID", nullptr, L"SampleServerExe.Document.1"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, key + L"\\VersionIndependentProgID", nullptr,
                       L"SampleServerExe.Document"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, key + L"\\DefaultIcon", nullptr, exePath + L",0"));

  const std::wstring app = std::wstring(L"AppID\\") + kDocumentApp;
  outcome.Note(SetText(HKEY_CLASSES_ROOT, app, nullptr, L"Sample Document Server"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, app, L"LocalService", L"SampleDocumentService"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, app, L"ServiceParameters", L"-service"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, app, L"RunAs", L"interactive user"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, L"AppID\\" + FileName(exePath), L"AppID", kDocumentApp));
}

void RegisterDocumentProgIDs(const std::wstring& exePath, Outcome& outcome) {
  outcome.Note(
      SetText(HKEY_CLASSES_ROOT, L"SampleServerExe.Document", nullptr, L"Sample Document"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, L"SampleServerExe.Document\\CLSID", nullptr, kDocument));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, L"SampleServerExe.Document\\CurVer", nullptr,
                       L"SampleServerExe.Document.1"));

  const std::wstring progId = L"SampleServerExe.Document.1";
  outcome.Note(SetText(HKEY_CLASSES_ROOT, progId, nullptr, L"Sample Document"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, progId + L"\\CLSID", nullptr, kDocument));
  outcome.Note(
      SetText(HKEY_CLASSES_ROOT, progId + L"\\DefaultIcon", nullptr, L"\"" + exePath + L"\",1"));
  // No default verb: the verbs are numbered in the order they are listed.
  const std::wstring shell = progId + L"\\shell";
  outcome.Note(SetText(HKEY_CLASSES_ROOT, shell + L"\\Open\\command", nullptr,
                       L"\"" + exePath + L"\" \"%1\""));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, shell + L"\\Print", nullptr, L"&Print"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, shell + L"\\Print\\command", nullptr,
                       L"rundll32.exe mshtml.dll,PrintHTML \"%1\""));

  outcome.Note(SetText(HKEY_CLASSES_ROOT, L".sdoc", nullptr, progId));
  // An extension of another program's ProgID, registered along the way.
  outcome.Note(SetText(HKEY_CLASSES_ROOT, L".sdocx", nullptr, L"Other.Document"));
  const std::wstring mime = L"MIME\\Database\\Content Type\\";
  outcome.Note(
      SetText(HKEY_CLASSES_ROOT, mime + L"application/x-sample-document", L"Extension", L".sdoc"));
  outcome.Note(
      SetText(HKEY_CLASSES_ROOT, mime + L"application/x-sample-document", L"CLSID", kDocument));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, mime + L"text/x-sample-note", L"Extension", L".snote"));
}

}  // namespace

HRESULT RegisterDocumentServer(const std::wstring& exePath) {
  if (exePath.empty()) return E_UNEXPECTED;
  Outcome outcome;
  RegisterDocumentClass(exePath, outcome);
  RegisterDocumentProgIDs(exePath, outcome);
  outcome.Note(SetText(HKEY_LOCAL_MACHINE, kMachineKey, L"Path", exePath));
  return outcome.Result();
}

HRESULT UnregisterDocumentServer() {
  Outcome outcome;
  outcome.Note(RemoveTree(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kDocument));
  outcome.Note(RemoveTree(HKEY_CLASSES_ROOT, std::wstring(L"AppID\\") + kDocumentApp));
  for (const wchar_t* key : kOwnKeys) outcome.Note(RemoveTree(HKEY_CLASSES_ROOT, key));
  outcome.Note(RemoveTree(HKEY_LOCAL_MACHINE, kMachineKey));
  return outcome.Result();
}

}  // namespace samples
