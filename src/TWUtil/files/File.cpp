#include "files/File.h"

#include <shellapi.h>

#include <cwchar>
#include <string>
#include <vector>

#include "CodePage.h"
#include "com/BstrText.h"
#include "files/CodePageCheck.h"
#include "files/FileText.h"
#include "files/ProductLog.h"
#include "files/VxdVersionInfo.h"
#include "image/ExecutableProbes.h"

namespace twutil {
namespace {

VARIANT_BOOL Bool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

template <class T>
void SetOut(T* out, T value) {
  if (out) *out = value;
}

// A one-dimensional, zero-based VARIANT array of VT_I4 elements.
HRESULT MakeLongArray(const std::vector<long>& values, VARIANT* out) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(values.size()));
  if (!array) return E_OUTOFMEMORY;
  for (LONG i = 0; i < static_cast<LONG>(values.size()); ++i) {
    VARIANT element;
    V_VT(&element) = VT_I4;
    V_I4(&element) = values[i];
    SafeArrayPutElement(array, &i, &element);
  }
  VariantClear(out);
  V_VT(out) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(out) = array;
  return S_OK;
}

}  // namespace

File::File(IUnknown* outer) : ComObject(outer), wideFileFunctions_(WideFileFunctions::Resolve()) {}

STDMETHODIMP File::FileCopy(BSTR bstrSrcFile, BSTR bstrTargetFile, VARIANT_BOOL bOverWrite,
                            LONG* pResult) {
  bool copied = CopyFileW(TextOf(bstrSrcFile), TextOf(bstrTargetFile), bOverWrite == VARIANT_FALSE);
  SetOut<LONG>(pResult, copied ? 0 : -1);
  return S_OK;
}

STDMETHODIMP File::FileExists(BSTR bstrFile, VARIANT_BOOL* bExists) {
  SetOut(bExists, Bool(GetFileAttributesW(TextOf(bstrFile)) != INVALID_FILE_ATTRIBUTES));
  return S_OK;
}

STDMETHODIMP File::ShowDemo(BSTR bstrPath, BSTR bstrFileName, VARIANT_BOOL* vbSuccess) {
  HINSTANCE shown = ShellExecuteW(nullptr, L"open", L"Demo32.exe", TextOf(bstrFileName),
                                  TextOf(bstrPath), SW_SHOW);
  SetOut(vbSuccess, Bool(reinterpret_cast<INT_PTR>(shown) > 32));
  return S_OK;
}

STDMETHODIMP File::LogError(BSTR bstrMessage, BSTR bstrUrl, BSTR bstrLine) {
  WriteLogLine(TextOf(bstrUrl), ParseLineNumber(TextOf(bstrLine)), TextOf(bstrMessage));
  return S_OK;
}

STDMETHODIMP File::LogMessage(BSTR bstrMessage, BSTR) {
  WriteLogLine(std::wstring(), 0, TextOf(bstrMessage));
  return S_OK;
}

STDMETHODIMP File::IsFileUnicode(BSTR bstrFileName, VARIANT_BOOL* vbIsUnicode) {
  SetOut(vbIsUnicode, Bool(HasUtf16Mark(ToNarrow(TextOf(bstrFileName)))));
  return S_OK;
}

STDMETHODIMP File::FileType(BSTR sFileName, EnumFileType* pFileType) {
  if (!pFileType) return E_POINTER;
  std::wstring path = TextOf(sFileName);
  long kind = kPENeither;
  GetPEFileKind(path.c_str(), &kind);
  if (kind == kPEProgram)
    *pFileType = eftEXE;
  else if (kind == kPELibrary)
    *pFileType = eftDLL;
  else
    *pFileType = IsIconFile(path.c_str()) ? eftICO : eftUnknown;
  return S_OK;
}

STDMETHODIMP File::IsCPSupported(BSTR sCodePage, VARIANT_BOOL* bSupported) {
  SetOut(bSupported, Bool(IsCodePageListed(TextOf(sCodePage), CP_SUPPORTED)));
  return S_OK;
}

STDMETHODIMP File::IsCPInstalled(BSTR sCodePage, VARIANT_BOOL* bInstalled) {
  SetOut(bInstalled, Bool(IsCodePageListed(TextOf(sCodePage), CP_INSTALLED)));
  return S_OK;
}

STDMETHODIMP File::GetVxdVersionInfoSize(BSTR bstrFileName, LONG* pResult) {
  SetOut<LONG>(pResult, GetVxdVersionDataSize(TextOf(bstrFileName)));
  return S_OK;
}

STDMETHODIMP File::GetVxdVersionInfo(BSTR bstrFileName, LONG Len, LONG* dwFileVersionMS,
                                     LONG* dwFileVersionLS, BSTR* bstrVersion, VARIANT* pLanguage,
                                     VARIANT* pCodePage, VARIANT_BOOL* vbSuccess) {
  SetOut(vbSuccess, VARIANT_FALSE);
  VxdVersionInfo info = ReadVxdVersionInfo(TextOf(bstrFileName), Len);
  if (!info.hasFixedInfo) return S_OK;

  SetOut(dwFileVersionMS, static_cast<LONG>(info.fileVersionMS));
  SetOut(dwFileVersionLS, static_cast<LONG>(info.fileVersionLS));
  wchar_t text[24];
  swprintf(text, 24, L"%d.%d.%d.%d", HIWORD(info.fileVersionMS), LOWORD(info.fileVersionMS),
           HIWORD(info.fileVersionLS), LOWORD(info.fileVersionLS));
  if (bstrVersion) {
    *bstrVersion = SysAllocString(text);
    if (!*bstrVersion) return E_OUTOFMEMORY;
  }
  if (!info.hasTranslations) return S_OK;

  std::vector<long> languages;
  std::vector<long> codePages;
  for (uint32_t entry : info.translations) {
    languages.push_back(LOWORD(entry));
    codePages.push_back(HIWORD(entry));
  }
  if (pLanguage && FAILED(MakeLongArray(languages, pLanguage))) return E_OUTOFMEMORY;
  if (pCodePage && FAILED(MakeLongArray(codePages, pCodePage))) return E_OUTOFMEMORY;
  SetOut(vbSuccess, VARIANT_TRUE);
  return S_OK;
}

STDMETHODIMP File::GetShortLongFilename(BSTR bstrFileName, BSTR bstrLangID, BSTR* bstrShortLongName,
                                        LONG* pResult) {
  std::wstring shortLong;
  long result =
      GetShortLongName(wideFileFunctions_, TextOf(bstrFileName), TextOf(bstrLangID), &shortLong);
  if (bstrShortLongName) {
    *bstrShortLongName = SysAllocStringLen(shortLong.data(), static_cast<UINT>(shortLong.size()));
    if (!*bstrShortLongName) return E_OUTOFMEMORY;
  }
  SetOut<LONG>(pResult, result);
  return S_OK;
}

}  // namespace twutil
