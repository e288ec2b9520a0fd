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

std::optional<std::wstring> TerminatedText(const std::vector<BYTE>& data) {
  return model::CanonicalText(data);
}

std::optional<std::vector<std::wstring>> MultiStringElements(const std::vector<BYTE>& data) {
  std::optional<std::vector<std::wstring>> texts = model::CanonicalTextList(data);
  if (!texts || texts->empty()) return std::nullopt;
  for (const std::wstring& text : *texts) {
    if (text.empty()) return std::nullopt;
  }
  return texts;
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
