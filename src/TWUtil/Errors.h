// Error reporting of the capture code and of the classes that leave
// error-information objects for their callers.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <exception>
#include <string>

#include "com/Owners.h"

namespace twutil {

// Raised by CheckCall: a call into the caller's objects failed, with the
// callee's message.
struct CExcept {
  Bstr message;
  HRESULT hr;
};

// The error value of ServerInfo, raised by value; SetServer turns it into an
// error-information object and E_FAIL.
class CErrorInfo {
 public:
  CErrorInfo(const wchar_t* message, const IID& iid);
  static const CLSID& Clsid();

  BSTR Message() const { return message_.Get(); }
  const IID& Iid() const { return iid_; }

 private:
  Bstr message_;
  IID iid_;
};

// A query or call that the capture code does not expect to fail did fail.
class com_exception : public std::exception {
 public:
  explicit com_exception(HRESULT hr);
  HRESULT hr() const { return hr_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  HRESULT hr_;
  std::string message_;
};

// The system's text for an error code or HRESULT without its line end;
// empty when the system has none.
std::wstring SystemMessage(DWORD code);

// Throws CExcept for a failing HRESULT, with the pending error description.
void CheckCall(HRESULT hr);

// Throws com_exception for a failing HRESULT.
void ThrowIfFailed(HRESULT hr);

// The boundary: inside a catch, turns the exception being handled into what
// a COM caller of the class clsid gets, the HRESULT and an error object
// (CErrorInfo: E_FAIL; CExcept, com_exception: their own; out of memory:
// E_OUTOFMEMORY without one; anything else: E_UNEXPECTED).
HRESULT ReportCurrentFailure(const CLSID& clsid, const IID& iid);
// Inside a catch, the exception being handled as the ServerInfo error, the
// one failure that crosses the spy's callbacks.
CErrorInfo CurrentFailureAsServerInfoError();

// Builds and installs the caller's error-information object. Returns hr, or
// DISP_E_EXCEPTION when hr is 0.
HRESULT SetComErrorInfo(const CLSID& clsid, const wchar_t* description, DWORD helpContext,
                        const wchar_t* helpFile, const IID& iid, HRESULT hr);
// The same with the description taken from the module's string table.
HRESULT SetComErrorInfo(const CLSID& clsid, UINT descriptionId, DWORD helpContext,
                        const wchar_t* helpFile, const IID& iid, HRESULT hr);

}  // namespace twutil
