// twutil capture: runs the registration capture of server files through the
// library's ServerInfo class (the spy path, or with --live / --repackage the
// search of the live registry) and prints what they register, as JSON, on
// stdout. Progress and status texts go to stderr.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "CaptureOutput.h"
#include "CaptureRequest.h"
#include "Command.h"
#include "Console.h"
#include "Errors.h"
#include "TWUtil.h"
#include "com/Owners.h"
#include "model/Component.h"

using twutil::Bstr;
using twutil::ComPtr;

namespace twtool {
namespace {

// The caller's progress object: percentages and status texts on stderr.
class ProgressReporter : public IServerInfoStatusEvent {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IServerInfoProgressEvent &&
        iid != IID_IServerInfoStatusEvent)
      return E_NOINTERFACE;
    *out = static_cast<IServerInfoStatusEvent*>(this);
    AddRef();
    return S_OK;
  }
  // Lives on the command's stack for the whole capture.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP SetProgressBarStatus(LONG progress) override {
    WriteError(L"[" + std::to_wstring(progress) + L"%]\n");
    return S_OK;
  }
  STDMETHODIMP SetStatusText(BSTR text) override {
    WriteError(std::wstring(text ? text : L"") + L"\n");
    return S_OK;
  }
};

class Apartment {
 public:
  Apartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~Apartment() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;
  HRESULT Result() const { return hr_; }

 private:
  HRESULT hr_;
};

// Asks ServerInfo for the live path for as long as it lives, through the
// user's "UseOldComExtraction" setting, and puts the setting back after.
class LivePathSetting {
 public:
  LivePathSetting() {
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kFoundryKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        key_.Put(), nullptr) != ERROR_SUCCESS)
      return;
    DWORD size = 0;
    if (RegQueryValueExW(key_.Get(), kValue, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
      previous_.resize(size);
      had_ = RegQueryValueExW(key_.Get(), kValue, nullptr, &type_, previous_.data(), &size) ==
             ERROR_SUCCESS;
      previous_.resize(size);
    }
    RegSetValueExW(key_.Get(), kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"Y"),
                   2 * sizeof(wchar_t));
  }
  ~LivePathSetting() {
    if (!key_) return;
    if (had_)
      RegSetValueExW(key_.Get(), kValue, 0, type_, previous_.data(),
                     static_cast<DWORD>(previous_.size()));
    else
      RegDeleteValueW(key_.Get(), kValue);
  }
  LivePathSetting(const LivePathSetting&) = delete;
  LivePathSetting& operator=(const LivePathSetting&) = delete;

 private:
  static constexpr const wchar_t* kFoundryKey = L"Software\\Tarnwick\\Foundry\\7.0";
  static constexpr const wchar_t* kValue = L"UseOldComExtraction";
  twutil::RegKey key_;
  std::vector<BYTE> previous_;
  DWORD type_ = REG_SZ;
  bool had_ = false;
};

// The full path of an existing regular file; empty (with the message shown)
// otherwise.
std::wstring ServerFilePath(const std::wstring& file) {
  wchar_t full[MAX_PATH];
  DWORD length = GetFullPathNameW(file.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) {
    WriteError(L"twutil capture: path too long or invalid: " + file + L"\n");
    return std::wstring();
  }
  DWORD attributes = GetFileAttributesW(full);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    WriteError(L"twutil capture: no such file: " + file + L"\n");
    return std::wstring();
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    WriteError(L"twutil capture: a folder, not a server file: " + file + L"\n");
    return std::wstring();
  }
  return std::wstring(full, length);
}

// The system's text with the code, which a bug report needs either way.
std::wstring ErrorText(HRESULT hr) {
  std::wstring message = twutil::SystemMessage(static_cast<DWORD>(hr));
  wchar_t code[16];
  swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(hr));
  return message.empty() ? code : message + L" (" + code + L")";
}

// The description that the failing call left, or the HRESULT's text.
std::wstring FailureText(HRESULT hr) {
  ComPtr<IErrorInfo> info;
  Bstr description;
  if (GetErrorInfo(0, info.Put()) == S_OK && info) info->GetDescription(description.Put());
  if (!description.Empty()) return std::wstring(description.Text(), description.Length());
  return ErrorText(hr);
}

template <class T>
HRESULT CreateLibraryObject(const CLSID& clsid, const wchar_t* name, ComPtr<T>* out) {
  HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(T), out->PutVoid());
  if (FAILED(hr))
    WriteError(std::wstring(L"twutil capture: cannot create ") + name +
               L" (is TWUtil.dll "
               L"registered?): " +
               ErrorText(hr) + L"\n");
  return hr;
}

int Capture(const CaptureRequest& request) {
  std::vector<ComPtr<IExtractComponent>> components;
  for (const std::wstring& file : request.files) {
    std::wstring path = ServerFilePath(file);
    if (path.empty()) return kExitFailure;
    ComPtr<IExtractComponent> component;
    if (FAILED(twutil::model::CreateExtractComponent(path.c_str(), request.destination.c_str(),
                                                     component.Put())))
      return kExitFailure;
    components.push_back(component);
  }

  // Declared first: ServerInfo keeps its progress object until it goes.
  ProgressReporter progress;
  ComPtr<IServerInfo> serverInfo;
  ComPtr<IRegistry> registry;
  if (FAILED(CreateLibraryObject(CLSID_ServerInfo, L"ServerInfo", &serverInfo)) ||
      FAILED(CreateLibraryObject(CLSID_Registry, L"Registry", &registry)))
    return kExitFailure;

  std::vector<IDispatch*> handed;
  std::vector<IExtractComponent*> dumped;
  for (const ComPtr<IExtractComponent>& component : components) {
    handed.push_back(component.Get());
    dumped.push_back(component.Get());
  }
  LONG result = 0;
  HRESULT hr = S_OK;
  {
    std::unique_ptr<LivePathSetting> livePath;
    if (request.live && !request.repackage) livePath.reset(new LivePathSetting);
    auto flag = [](bool on) { return on ? VARIANT_TRUE : VARIANT_FALSE; };
    hr = serverInfo->SetServer(static_cast<LONG>(handed.size()), handed.data(), registry.Get(),
                               flag(request.repackage), flag(request.registerFirst),
                               flag(request.unregisterAfter), &progress, &result);
  }
  if (FAILED(hr)) {
    WriteError(L"twutil capture: " + FailureText(hr) + L"\n");
    return kExitFailure;
  }
  int written = WriteCapture(request, dumped);
  if (written != kExitSuccess) return written;
  return ReportUnregistered(dumped) ? kExitNotRegistered : kExitSuccess;
}

int RunCapture(const std::vector<std::wstring>& arguments) {
  CaptureRequest request;
  int exitCode = kExitUsage;
  if (!ParseCaptureArguments(arguments, &request, &exitCode)) return exitCode;
  // The spy reads its time limit when ServerInfo creates it.
  if (request.timeoutSeconds)
    SetEnvironmentVariableW(L"TWREGSPY_TIMEOUT_SECONDS",
                            std::to_wstring(request.timeoutSeconds).c_str());
  Apartment apartment;
  if (FAILED(apartment.Result())) {
    WriteError(L"twutil capture: COM cannot start: " + ErrorText(apartment.Result()) + L"\n");
    return kExitFailure;
  }
  return Capture(request);
}

}  // namespace

const Command kCaptureCommand = {
    L"capture",
    L"[--live [--register] [--unregister] | --repackage] [--format json|reg|wxs]\n"
    L"        [--output FILE] [--timeout SECONDS] [--destination FOLDER] [--install-dir DIR]\n"
    L"        [--directory-id ID] [--source-dir DIR] [--codepage N] FILE...",
    L"Captures what COM server files register and prints it as JSON, .reg or WiX.",
    L"\nEach FILE (a DLL, OCX or EXE server) becomes one component; its self-registration\n"
    L"runs inside the registry-spy component, redirected away from the real registry, and\n"
    L"what it registers is printed on stdout (or written to --output FILE). Progress and\n"
    L"status texts go to stderr, with one line for each file that did not register.\n\n"
    L"Formats:\n"
    L"  json  (default) one object per file: the classes, ProgIDs, AppIDs, type libraries,\n"
    L"        extensions, MIME types, verbs and icons, the file's \"Bitness\", the\n"
    L"        \"Outcome\" of its registration and every registry entry it wrote\n"
    L"        (\"Registry\": hive, key, name, type, value)\n"
    L"  reg   a Windows Registry Editor 5.00 file (UTF-16) that recreates every entry;\n"
    L"        import it with the regedit of the servers' bitness\n"
    L"  wxs   a WiX v3 Fragment: one Component per file with its File and one\n"
    L"        RegistryValue per entry, paths written as [#FileId] and [INSTALLDIR];\n"
    L"        builds with WiX 3 or msitools' wixl\n"
    L"What a format cannot carry is named on stderr and in the output, never dropped.\n\n"
    L"  --live                search the live registry (through the Registry class) for\n"
    L"                        what the files have registered, instead of the spy\n"
    L"  --register            with --live: register the files for real first\n"
    L"  --unregister          with --live: unregister them again afterwards\n"
    L"  --repackage           search the live registry in repackaging mode: the files are\n"
    L"                        known by their place under --destination, nothing is\n"
    L"                        registered, entries go to the registry object\n"
    L"  --timeout SECONDS     time one file's registration may take (default 60)\n"
    L"  --destination FOLDER  where the files will be installed (default [INSTALLDIR]);\n"
    L"                        a DllSurrogate that names the file itself is recorded there\n"
    L"  --install-dir DIR     reg: every spelling of a file's path and folder (long,\n"
    L"                        short, any case, quoted) becomes DIR\\name and DIR\n"
    L"  --directory-id ID     wxs: the Directory the files go to (default INSTALLDIR)\n"
    L"  --source-dir DIR      wxs: where the build finds the files (default: beside the\n"
    L"                        .wxs)\n"
    L"  --codepage N          wxs: the MSI's code page (default 1252)\n"
    L"  --output FILE         write there instead of stdout\n\n"
    L"Exit code 0 when every file registered, 1 when the capture fails (the reason is on\n"
    L"stderr), 2 for wrong arguments, 3 when a file did not register (crashed, ended its\n"
    L"process, timed out, failed, or could not be run). TWUtil.dll and TWRegSpy.dll must\n"
    L"be registered.\n",
    RunCapture,
};

}  // namespace twtool
