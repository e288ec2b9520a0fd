#include "Errors.h"

#include <new>
#include <utility>

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
  throw CExcept{std::move(description), hr};
}

HRESULT ReportCurrentFailure(const CLSID& clsid, const IID& iid) {
  try {
    throw;
  } catch (const CErrorInfo& error) {
    if (error.Message())
      SetComErrorInfo(clsid, error.Message(), 0, nullptr, iid, 0);
    else
      SetComErrorInfo(clsid, 0u, 0, nullptr, iid, 0);
    return E_FAIL;
  } catch (const CExcept& failure) {
    return SetComErrorInfo(clsid, failure.message.Get(), 0, nullptr, iid, failure.hr);
  } catch (const com_exception& failure) {
    return SetComErrorInfo(clsid, ToWide(failure.what()).c_str(), 0, nullptr, iid, failure.hr());
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

CErrorInfo CurrentFailureAsServerInfoError() {
  try {
    throw;
  } catch (const CErrorInfo& error) {
    return error;
  } catch (const CExcept& failure) {
    return CErrorInfo(failure.message.Get(), IID_IServerInfo);
  } catch (const com_exception& failure) {
    return CErrorInfo(ToWide(failure.what()).c_str(), IID_IServerInfo);
  } catch (const std::bad_alloc&) {
    return CErrorInfo(L"Out of memory", IID_IServerInfo);
  } catch (...) {
    return CErrorInfo(L"Unexpected error", IID_IServerInfo);
  }
}

void ThrowIfFailed(HRESULT hr) {
  if (FAILED(hr)) throw com_exception(hr);
}

HRESULT SetComErrorInfo(const CLSID& clsid, const wchar_t* description, DWORD helpContext,
                        const wchar_t* helpFile, const IID& iid, HRESULT hr) {
  ComPtr<ICreateErrorInfo> create;
  if (SUCCEEDED(CreateErrorInfo(create.Put()))) {
    create->SetGUID(iid);
    CoTaskString progId;
    if (SUCCEEDED(ProgIDFromCLSID(clsid, progId.Put())) && progId) create->SetSource(progId.Get());
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
