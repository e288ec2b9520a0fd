// Text rules of an MSI's formatted fields and of the XML that carries them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace twutil::exports {

// Separates the strings of a multi-string in a formatted value.
inline constexpr wchar_t kMultiStringMark[] = L"[~]";

// "[" "]" "{" "}" as "[\[]" "[\]]" "[\{]" "[\}]", so MSI reads them literally.
std::wstring EscapeFormatted(const std::wstring& text);
// Every character maps to the code page and back without a best-fit guess.
bool FitsCodePage(const std::wstring& text, UINT codePage);
// No character that XML 1.0 forbids, even as a reference.
bool IsXmlText(const std::wstring& text);
// Quoted-attribute content; tab, CR and LF as references, so they survive
// attribute normalization.
std::wstring XmlAttribute(const std::wstring& text);
// Comment content: no "--" and only characters XML allows.
std::wstring XmlComment(const std::wstring& text);
std::string Utf8(const std::wstring& text);

}  // namespace twutil::exports
