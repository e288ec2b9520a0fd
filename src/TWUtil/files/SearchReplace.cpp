#include "files/SearchReplace.h"

#include <cstring>
#include <new>

#include "CodePage.h"
#include "com/Owners.h"
#include "files/ChunkedWriter.h"
#include "files/EightBitText.h"
#include "files/TextReplacement.h"
#include "files/WholeFile.h"

namespace twutil {
namespace {

// Paths live in buffers of MAX_PATH: 259 characters and the terminator.
constexpr size_t kMaxPathChars = MAX_PATH - 1;
// Characters the code page lacks become its default character.
constexpr DWORD kArgumentFlags = WC_COMPOSITECHECK | WC_DEFAULTCHAR;

std::string ArgumentText(BSTR text) { return EightBitText(text, CP_ACP, kArgumentFlags); }

}  // namespace

STDMETHODIMP SearchReplace::get_DefaultPath(BSTR* path) {
  if (!path) return S_OK;
  try {
    std::wstring text = WideText(defaultPath_, CP_ACP);
    *path = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  } catch (const std::bad_alloc&) {
    *path = nullptr;
  }
  return S_OK;
}

STDMETHODIMP SearchReplace::put_DefaultPath(BSTR path) {
  try {
    std::string text = EightBitText(path, ConversionCodePage(), kArgumentFlags);
    if (text.size() > kMaxPathChars) text.resize(kMaxPathChars);
    // A file path leaves its folder, backslash included.
    size_t lastBackslash = text.rfind('\\');
    if (lastBackslash != std::string::npos) text.resize(lastBackslash + 1);
    if (!text.empty() && text[0] == '/') text.erase(0, 1);
    defaultPath_ = text;
  } catch (const std::bad_alloc&) {
  }
  return S_OK;
}

STDMETHODIMP SearchReplace::SearchAndReplace(BSTR sourceFile, BSTR destFile, BSTR searchText,
                                             BSTR replaceText) {
  try {
    return Replace(sourceFile, destFile, searchText, replaceText);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

bool SearchReplace::ResolvePath(const std::string& name, std::string* path) const {
  *path = name.find('\\') == std::string::npos ? defaultPath_ + name : name;
  return path->size() <= kMaxPathChars;
}

HRESULT SearchReplace::Replace(BSTR sourceFile, BSTR destFile, BSTR searchText,
                               BSTR replaceText) const {
  std::string sourcePath;
  std::string destPath;
  if (!ResolvePath(ArgumentText(sourceFile), &sourcePath) ||
      !ResolvePath(ArgumentText(destFile), &destPath))
    return E_INVALIDARG;
  // Neither file is shared while the copy runs; a missing source is made empty.
  Handle source(CreateFileA(sourcePath.c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!source.Valid()) return E_INVALIDARG;
  Handle dest(CreateFileA(destPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!dest.Valid()) return E_INVALIDARG;

  FileContents contents;
  if (!ReadWholeFile(source.Get(), &contents)) return E_FAIL;
  // The text ends at its first NUL; nothing after it is ever written.
  const char* text = contents.data.get();
  const void* nul = std::memchr(text, '\0', contents.size);
  size_t textSize = nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : contents.size;

  ChunkedWriter writer(dest.Get());
  bool written =
      ReplaceAll(text, textSize, ArgumentText(searchText), ArgumentText(replaceText), &writer);
  return written ? S_OK : E_FAIL;
}

}  // namespace twutil
