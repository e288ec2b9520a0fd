#include "peres/StringStamper.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "image/format/ValueRewrite.h"

namespace twutil {
namespace {

using peformat::VersionBlock;

// Longest key (in bytes, system ANSI code page) that can match a name.
constexpr int kMaxKeyBytes = 511;
constexpr size_t kMaxTableKeyBytes = 63;

std::wstring ReadUnits(const ByteSpan& image, uint64_t offset, uint32_t units) {
  std::wstring text;
  text.reserve(units);
  uint16_t unit = 0;
  for (uint32_t i = 0; i < units && image.ReadU16(offset + 2 * uint64_t{i}, &unit); ++i)
    text.push_back(static_cast<wchar_t>(unit));
  return text;
}

std::string ToSystemAnsi(const std::wstring& text) {
  if (text.empty()) return std::string();
  int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr,
                      nullptr);
  return out;
}

}  // namespace

bool StringStamper::KeyIs(const VersionBlock& block, const char* name) {
  if (!block.keyTerminated || block.keyUnits == 0 || block.keyUnits > kMaxKeyBytes) return false;
  std::wstring key = ReadUnits(image_.Reader(), block.keyOffset, block.keyUnits);
  char bytes[kMaxKeyBytes];
  int n = WideCharToMultiByte(CP_ACP, 0, key.data(), static_cast<int>(key.size()), bytes,
                              kMaxKeyBytes, nullptr, nullptr);
  size_t length = std::strlen(name);
  return n > 0 && static_cast<size_t>(n) == length && std::memcmp(bytes, name, length) == 0;
}

void StringStamper::OnStringFileInfo() {
  StampMessage(sink_, kStampTrace, "Found StringFileInfo block");
}

std::string StringStamper::TableKey(const VersionBlock& table) {
  std::string key = ToSystemAnsi(
      ReadUnits(image_.Reader(), table.keyOffset, table.keyTerminated ? table.keyUnits : 0));
  if (key.size() > kMaxTableKeyBytes) key.resize(kMaxTableKeyBytes);
  return key;
}

void StringStamper::OnStringTable(const VersionBlock& table) {
  StampMessage(sink_, kStampTrace, "Found StringFileInfo\\%s block", TableKey(table).c_str());
}

const std::wstring* StringStamper::FieldFor(const VersionBlock& string, const char** label) {
  struct Key {
    const char* name;
    const char* label;
    const std::wstring* field;
  };
  const Key keys[] = {
      {"CompanyName", "CompanyName", &request_.companyName},
      {"FileDescription", "FileDescription", &request_.description},
      {"FileVersion", "FileVersion", &request_.productAndFileVersion},
      {"ProductVersion", "FileVersion", &request_.productAndFileVersion},
      {"LegalCopyright", "LegalCopyright", &request_.copyright},
      {"ProductName", "ProductName", &request_.productName},
  };
  for (const Key& key : keys) {
    if (KeyIs(string, key.name)) {
      *label = key.label;
      return key.field;
    }
  }
  return nullptr;
}

void StringStamper::OnString(const VersionBlock& table, const VersionBlock& string) {
  const char* label = nullptr;
  const std::wstring* text = FieldFor(string, &label);
  if (!text || text->empty()) return;

  const std::string tableKey = TableKey(table);
  const peformat::StringValue old = peformat::ReadStringValue(image_.Reader(), string);
  StampMessage(sink_, kStampTrace, "Old StringFileInfo\\%s\\%s = %s", tableKey.c_str(), label,
               ToSystemAnsi(ReadUnits(image_.Reader(), old.offset, old.units)).c_str());

  std::vector<uint16_t> units(text->begin(), text->end());
  const peformat::RewriteOutcome outcome =
      peformat::RewriteStringValue(image_, string, units.data(), units.size());
  if (outcome.padded)
    StampMessage(sink_, kStampChange, "New StringFileInfo\\%s\\%s = %s", tableKey.c_str(), label,
                 ToSystemAnsi(*text).c_str());
  if (outcome.truncated) {
    const std::string key =
        ToSystemAnsi(ReadUnits(image_.Reader(), string.keyOffset, string.keyUnits));
    StampMessage(sink_, kStampWarning,
                 "StringFileInfo\\%s\\%s has room for %u characters; \"%s\" was cut to fit",
                 tableKey.c_str(), key.c_str(), static_cast<unsigned>(outcome.written),
                 ToSystemAnsi(*text).c_str());
  }
}

void StringStamper::OnTranslation(const VersionBlock& variable) {
  if (request_.language == 0) return;
  peformat::WriteTranslationLanguage(image_, variable,
                                     static_cast<uint16_t>(request_.language & 0xFFFF));
}

}  // namespace twutil
