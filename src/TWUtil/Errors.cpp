#include "Errors.h"

#include "CodePage.h"
#include "TWUtil.h"
#include "com/Module.h"

namespace twutil {

CErrorInfo::CErrorInfo(const wchar_t* message, const IID& iid) : message_(message), iid_(iid) {}

const CLSID& CErrorInfo::Clsid() { return CLSID_ServerInfo; }

namespace {

// The description of the pending error-information object, taking it.
Bstr TakeErrorDescription() {
  ComPtr<IErrorInfo> info;
  Bstr description;
  if (GetErrorInfo(0, info.Put()) == S_OK && info) info->GetDescription(description.Put());
  return description;
}

}  // namespace

std::wstring SystemMessage(DWORD code) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = n ? std::wstring(text, n) : std::wstring();
  LocalFree(text);
  while (!message.empty() && wcschr(L" \t\r\n", message.back())) message.pop_back();
  return message;
}

com_exception::com_exception(HRESULT hr) : hr_(hr) {
  Bstr description = TakeErrorDescription();
  if (description.Get()) message_ = ToNarrow(description.Text(), description.Length());
  if (message_.empty()) message_ = ToNarrow(SystemMessage(static_cast<DWORD>(hr)));
  if (message_.empty()) message_ = "Unknown error";
}

void CheckCall(HRESULT hr) {
  if (hr >= 0) return;
  Bstr description = TakeErrorDescription();
  if (!description.Get()) description = Bstr(L"Error calling contained control");
  throw new CExcept(description.Detach(), hr);
}

void ThrowIfFailed(HRESULT hr) {
  if (FAILED(hr)) throw com_exception(hr);
}

HRESULT SetComErrorInfo(const CLSID& clsid, const wchar_t* description, DWORD helpContext,
                        const wchar_t* helpFile, const IID& iid, HRESULT hr) {
  ComPtr<ICreateErrorInfo> create;
  if (SUCCEEDED(CreateErrorInfo(create.Put()))) {
    create->SetGUID(iid);
    LPOLESTR progId = nullptr;
    if (SUCCEEDED(ProgIDFromCLSID(clsid, &progId)) && progId) {
      create->SetSource(progId);
      CoTaskMemFree(progId);
    }
    if (helpContext != 0 && helpFile) {
      create->SetHelpContext(helpContext);
      create->SetHelpFile(const_cast<LPOLESTR>(helpFile));
    }
    create->SetDescription(const_cast<LPOLESTR>(description ? description : L"Unknown Error"));
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.As(&info))) SetErrorInfo(0, info.Get());
  }
  return hr == 0 ? DISP_E_EXCEPTION : hr;
}

HRESULT SetComErrorInfo(const CLSID& clsid, UINT descriptionId, DWORD helpContext,
                        const wchar_t* helpFile, const IID& iid, HRESULT hr) {
  std::wstring text = LoadModuleString(descriptionId, 1024);
  if (text.empty()) text = L"Unknown Error";
  if (hr == 0) hr = static_cast<HRESULT>(0x80040000u + descriptionId);
  return SetComErrorInfo(clsid, text.c_str(), helpContext, helpFile, iid, hr);
}

}  // namespace twutil
