#include "export/MsiText.h"

#include <climits>
#include <cwchar>

namespace twutil::exports {
namespace {

bool IsXmlChar(const std::wstring& text, size_t i) {
  wchar_t c = text[i];
  if (c < 0x20) return c == L'\t' || c == L'\n' || c == L'\r';
  if (c == 0xFFFE || c == 0xFFFF) return false;
  if (c >= 0xD800 && c <= 0xDBFF)
    return i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
  if (c >= 0xDC00 && c <= 0xDFFF) return i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF;
  return true;
}

}  // namespace

std::wstring EscapeFormatted(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'[' || c == L']' || c == L'{' || c == L'}') {
      out += L"[\\";
      out += c;
      out += L']';
    } else {
      out += c;
    }
  }
  return out;
}

bool FitsCodePage(const std::wstring& text, UINT codePage) {
  if (text.empty()) return true;
  if (text.size() > INT_MAX / 4) return false;
  int length = static_cast<int>(text.size());
  if (codePage == CP_UTF8) {
    return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.c_str(), length, nullptr, 0,
                               nullptr, nullptr) > 0;
  }
  BOOL usedDefault = FALSE;
  int size = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.c_str(), length, nullptr, 0,
                                 nullptr, &usedDefault);
  return size > 0 && !usedDefault;
}

bool IsXmlText(const std::wstring& text) {
  for (size_t i = 0; i < text.size(); ++i)
    if (!IsXmlChar(text, i)) return false;
  return true;
}

std::wstring XmlAttribute(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    switch (c) {
      case L'&':
        out += L"&amp;";
        break;
      case L'<':
        out += L"&lt;";
        break;
      case L'>':
        out += L"&gt;";
        break;
      case L'"':
        out += L"&quot;";
        break;
      case L'\t':
        out += L"&#9;";
        break;
      case L'\n':
        out += L"&#10;";
        break;
      case L'\r':
        out += L"&#13;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::wstring XmlComment(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t c = IsXmlChar(text, i) && text[i] >= 0x20 ? text[i] : L'?';
    if (c == L'-' && !out.empty() && out.back() == L'-') out += L' ';
    out += c;
  }
  if (!out.empty() && out.back() == L'-') out += L' ';
  return out;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty() || text.size() > INT_MAX / 4) return std::string();
  int length = static_cast<int>(text.size());
  int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, &out[0], size, nullptr, nullptr);
  return out;
}

}  // namespace twutil::exports
