#include "export/ExportedFile.h"

#include <cwchar>

namespace twutil::exports {

std::wstring EntryKeyText(const model::CapturedEntry& entry) {
  std::wstring text;
  if (const wchar_t* root = model::RootName(entry.root)) {
    text = root;
  } else {
    wchar_t buffer[32];
    swprintf(buffer, 32, L"<root 0x%08lx>", entry.root);
    text = buffer;
  }
  if (!entry.key.empty()) text += L"\\" + entry.key;
  return text;
}

std::wstring EntryValueText(const model::CapturedEntry& entry) {
  if (!entry.name || entry.name->empty()) return EntryKeyText(entry) + L" default value";
  return EntryKeyText(entry) + L" value \"" + *entry.name + L"\"";
}

namespace {

std::wstring CharsOf(const std::vector<BYTE>& data) {
  std::wstring chars(data.size() / 2, L'\0');
  for (size_t i = 0; i < chars.size(); ++i)
    chars[i] = static_cast<wchar_t>(data[2 * i] | (data[2 * i + 1] << 8));
  return chars;
}

}  // namespace

std::optional<std::wstring> TerminatedText(const std::vector<BYTE>& data) {
  if (data.size() < 2 || data.size() % 2 != 0) return std::nullopt;
  std::wstring chars = CharsOf(data);
  if (chars.find(L'\0') != chars.size() - 1) return std::nullopt;
  chars.pop_back();
  return chars;
}

std::optional<std::vector<std::wstring>> MultiStringElements(const std::vector<BYTE>& data) {
  if (data.size() < 4 || data.size() % 2 != 0) return std::nullopt;
  std::wstring chars = CharsOf(data);
  if (chars[chars.size() - 1] != L'\0' || chars[chars.size() - 2] != L'\0') return std::nullopt;
  chars.pop_back();
  std::vector<std::wstring> elements;
  size_t start = 0;
  while (start < chars.size()) {
    size_t end = chars.find(L'\0', start);
    if (end == start) return std::nullopt;  // an empty element
    elements.push_back(chars.substr(start, end - start));
    start = end + 1;
  }
  return elements;
}

std::vector<BYTE> TerminatedBytes(const std::wstring& text) {
  std::vector<BYTE> bytes;
  bytes.reserve((text.size() + 1) * 2);
  for (wchar_t c : text) {
    bytes.push_back(static_cast<BYTE>(c & 0xFF));
    bytes.push_back(static_cast<BYTE>(c >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

}  // namespace twutil::exports
