// twutil sign: runs an external code-signing tool through the library's
// SignCode class and relays its output line by line.
#include <windows.h>

#include <string>
#include <vector>

#include "Command.h"
#include "Console.h"
#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/Owners.h"
#include "signing/SignCode.h"

namespace twtool {
namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size,
                      nullptr, nullptr);
  return bytes;
}

// Prints the tool's lines on stdout and keeps its outcome. Lives on the
// command's stack for the whole run.
class OutputPrinter : public ISignCodeEvent {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID_ISignCodeEvent)
      return E_NOINTERFACE;
    *out = static_cast<ISignCodeEvent*>(this);
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP OutPut(BSTR sOutput) override {
    WriteOut(Utf8(std::wstring(sOutput ? sOutput : L"", SysStringLen(sOutput))) + "\n");
    return S_OK;
  }
  STDMETHODIMP Finished(long lRetCode) override {
    succeeded = lRetCode == 1;
    return S_OK;
  }
  bool succeeded = false;
};

int UsageError(const std::wstring& message) {
  WriteError(L"twutil sign: " + message + L"\n(see \"twutil sign --help\")\n");
  return kExitUsage;
}

struct SignRequest {
  std::wstring tool, spc, pvk, timestamp, file;
  bool hasName = false, hasUrl = false;
  std::wstring name, url;
};

bool Parse(const std::vector<std::wstring>& arguments, SignRequest* request, int* exitCode) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    if (argument.rfind(L"--", 0) != 0) {
      if (!request->file.empty()) {
        *exitCode = UsageError(L"more than one file given");
        return false;
      }
      request->file = argument;
      continue;
    }
    if (i + 1 >= arguments.size()) {
      *exitCode = UsageError(argument + L" needs a value");
      return false;
    }
    const std::wstring& value = arguments[++i];
    if (argument == L"--tool") {
      request->tool = value;
    } else if (argument == L"--spc") {
      request->spc = value;
    } else if (argument == L"--pvk") {
      request->pvk = value;
    } else if (argument == L"--timestamp") {
      request->timestamp = value;
    } else if (argument == L"--name") {
      request->name = value;
      request->hasName = true;
    } else if (argument == L"--url") {
      request->url = value;
      request->hasUrl = true;
    } else {
      *exitCode = UsageError(L"unknown option " + argument);
      return false;
    }
  }
  if (request->tool.empty()) {
    *exitCode = UsageError(L"no signing tool given (--tool PATH)");
    return false;
  }
  if (request->file.empty()) {
    *exitCode = UsageError(L"no file to sign given");
    return false;
  }
  return true;
}

int RunSign(const std::vector<std::wstring>& arguments) {
  SignRequest request;
  int exitCode = kExitUsage;
  if (!Parse(arguments, &request, &exitCode)) return exitCode;
  const DWORD attributes = GetFileAttributesW(request.tool.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    WriteError(L"twutil sign: no such signing tool: " + request.tool + L"\n");
    return kExitFailure;
  }

  twutil::ComPtr<ISignCode> sign;
  if (FAILED(twutil::CreateComObject<twutil::SignCode>(nullptr, IID_ISignCode, sign.PutVoid()))) {
    WriteError(L"twutil sign: out of memory\n");
    return kExitFailure;
  }
  twutil::Bstr tool(request.tool.c_str()), spc(request.spc.c_str()), pvk(request.pvk.c_str()),
      timestamp(request.timestamp.c_str()), file(request.file.c_str());
  twutil::Bstr name(request.hasName ? request.name.c_str() : nullptr);
  twutil::Bstr url(request.hasUrl ? request.url.c_str() : nullptr);
  SignCodeOption options = {tool.Get(), spc.Get(), pvk.Get(),
                            name.Get(), url.Get(), timestamp.Get()};
  OutputPrinter printer;
  sign->Sign(file.Get(), &options, &printer);
  sign.Reset();  // lets go of the printer before it goes
  if (!printer.succeeded) {
    WriteError(L"twutil sign: the signing tool failed or could not be started\n");
    return kExitFailure;
  }
  return kExitSuccess;
}

}  // namespace

const Command kSignCommand = {
    L"sign",
    L"--tool PATH [OPTIONS] FILE",
    L"Signs FILE by running an external code-signing tool and relays its output.",
    L"\n  --tool PATH       the signing tool (a console program)\n"
    L"  --spc FILE        the publisher certificate, passed as -spc\n"
    L"  --pvk FILE        the private key, passed as -v\n"
    L"  --name TEXT       the description, passed as -n\n"
    L"  --url URL         the description's address, passed as -i\n"
    L"  --timestamp URL   the time-stamp server, passed as -t\n\n"
    L"The tool is started without a console as\n"
    L"  \"PATH\" -spc \"SPC\" -v \"PVK\" [-n \"NAME\"] [-i \"URL\"] -a MD5 -t \"TIMESTAMP\" "
    L"\"FILE\"\n"
    L"(-n and -i only when given); what it prints on stdout and stderr is shown on stdout,\n"
    L"line by line, once it has ended.\n\n"
    L"Exit code 0 when the tool exited with 0, 1 when it failed or could not be started,\n"
    L"2 for wrong arguments.\n",
    RunSign,
};

}  // namespace twtool
