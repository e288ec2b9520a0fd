#include "capture/SavedTree.h"

#include <cstring>

#include "capture/ThreadPrivilege.h"
#include "com/Owners.h"

namespace twutil {
namespace {

// Larger saves are read key by key rather than held twice in memory.
constexpr LONGLONG kLargestSave = 256LL << 20;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One line of the save, read from the left.
class LineReader {
 public:
  explicit LineReader(std::string_view line) : line_(line) {}

  bool AtEnd() const { return at_ >= line_.size(); }
  bool Take(std::string_view text) {
    if (line_.substr(at_, text.size()) != text) return false;
    at_ += text.size();
    return true;
  }
  // Up to digits hex digits, at least one.
  bool Hex(size_t digits, unsigned long* value) {
    size_t read = 0;
    for (*value = 0; read < digits && !AtEnd() && HexDigit(line_[at_]) >= 0; ++read, ++at_)
      *value = *value * 16 + HexDigit(line_[at_]);
    return read > 0;
  }
  // Text up to the unescaped end character, undoing the server's escapes:
  // C escapes, \x with up to four hex digits, octal with up to three, and
  // a backslash before any other character for the character itself.
  bool Escaped(char end, std::wstring* text) {
    while (!AtEnd()) {
      unsigned char c = static_cast<unsigned char>(line_[at_++]);
      if (c == static_cast<unsigned char>(end)) return true;
      if (c >= 0x80) return false;  // the server escapes everything past ASCII
      if (c != '\\') {
        text->push_back(static_cast<wchar_t>(c));
        continue;
      }
      if (AtEnd()) return false;
      char escape = line_[at_++];
      static const char kLetters[] = "abtnvfre";
      static const wchar_t kCodes[] = {7, 8, 9, 10, 11, 12, 13, 27};
      unsigned long value = 0;
      if (escape == 'x') {
        if (!Hex(4, &value)) return false;
      } else if (escape >= '0' && escape <= '7') {
        value = escape - '0';
        for (int digits = 1; digits < 3 && !AtEnd() && line_[at_] >= '0' && line_[at_] <= '7';
             ++digits)
          value = value * 8 + (line_[at_++] - '0');
      } else if (const char* letter = strchr(kLetters, escape); letter && escape) {
        value = kCodes[letter - kLetters];
      } else {
        value = static_cast<unsigned char>(escape);
      }
      text->push_back(static_cast<wchar_t>(value));
    }
    return false;
  }

 private:
  std::string_view line_;
  size_t at_ = 0;
};

class SaveParser {
 public:
  explicit SaveParser(std::string_view text) : text_(text) {}

  std::unique_ptr<SavedKey> Parse() {
    if (NextLine() != "WINE REGISTRY Version 2") return nullptr;
    auto top = std::make_unique<SavedKey>();
    SavedKey* key = nullptr;  // values before the first key belong to none
    while (!done_) {
      std::string_view line = NextLine();
      if (line.empty() || line[0] == ';' || line[0] == '#') continue;
      if (line[0] == '[') {
        key = KeyAt(top.get(), line);
        if (!key) return nullptr;
      } else if (!key || !Value(line, key)) {
        return nullptr;
      }
    }
    return top;
  }

 private:
  std::string_view NextLine() {
    size_t end = text_.find('\n', at_);
    if (end == std::string_view::npos) {
      end = text_.size();
      done_ = true;
    }
    std::string_view line = text_.substr(at_, end - at_);
    at_ = end + 1;
    if (at_ >= text_.size()) done_ = true;
    return line;
  }

  // "[a\\\\b] 1234": the key a\b below top, made with its parents as
  // needed. The save goes depth first, so a parent's latest subkey is the
  // only one that can be named again.
  static SavedKey* KeyAt(SavedKey* top, std::string_view line) {
    LineReader reader(line.substr(1));
    std::wstring path;
    if (!reader.Escaped(']', &path)) return nullptr;
    SavedKey* key = top;
    for (size_t at = 0; at < path.size();) {
      size_t end = path.find(L'\\', at);
      if (end == std::wstring::npos) end = path.size();
      if (end == at) return nullptr;
      std::wstring name = path.substr(at, end - at);
      if (key->subkeys.empty() || key->subkeys.back().first != name)
        key->subkeys.emplace_back(std::move(name), std::make_unique<SavedKey>());
      key = key->subkeys.back().second.get();
      at = end + 1;
    }
    return key;
  }

  bool Value(std::string_view line, SavedKey* key) {
    LineReader reader(line);
    ValueCopy value;
    if (!reader.Take("@=") && !(reader.Take("\"") && reader.Escaped('"', &value.name) &&
                                !value.name.empty() && reader.Take("=")))
      return false;
    unsigned long type = REG_SZ;
    if (reader.Take("\"") || (reader.Take("str(") && reader.Hex(8, &type) && reader.Take("):\""))) {
      std::wstring text;
      if (!reader.Escaped('"', &text) || !reader.AtEnd()) return false;
      text.push_back(L'\0');  // saved only when the data ended with one
      auto* bytes = reinterpret_cast<const BYTE*>(text.data());
      value.data.assign(bytes, bytes + text.size() * sizeof(wchar_t));
    } else if (reader.Take("dword:")) {
      unsigned long number = 0;
      if (!reader.Hex(8, &number) || !reader.AtEnd()) return false;
      type = REG_DWORD;
      for (int shift = 0; shift < 32; shift += 8)
        value.data.push_back(static_cast<BYTE>(number >> shift));
    } else if (reader.Take("hex:")) {
      type = REG_BINARY;
      if (!HexBytes(reader, &value.data)) return false;
    } else if (reader.Take("hex(") && reader.Hex(8, &type) && reader.Take("):")) {
      if (!HexBytes(reader, &value.data)) return false;
    } else {
      return false;
    }
    value.type = static_cast<DWORD>(type);
    key->values.push_back(std::move(value));
    return true;
  }

  // "01,ab,\" continued on the next line after two spaces.
  bool HexBytes(LineReader reader, std::vector<BYTE>* data) {
    for (;;) {
      if (reader.AtEnd()) return true;
      unsigned long byte = 0;
      if (!reader.Hex(2, &byte)) return false;
      data->push_back(static_cast<BYTE>(byte));
      if (reader.AtEnd()) return true;
      if (!reader.Take(",")) return false;
      if (reader.Take("\\")) {
        if (!reader.AtEnd() || done_) return false;
        std::string_view next = NextLine();
        if (next.substr(0, 2) != "  ") return false;
        reader = LineReader(next.substr(2));
      }
    }
  }

  std::string_view text_;
  size_t at_ = 0;
  bool done_ = false;
};

// A new empty file of the temporary folder for the server to save into or
// load from.
bool TempFileName(wchar_t (&path)[MAX_PATH + 1]) {
  wchar_t folder[MAX_PATH + 1];
  DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  return length && length <= MAX_PATH && GetTempFileNameW(folder, L"twc", 0, path);
}

// digits lower-case hex digits of value, leading zeros kept.
void AppendHex(std::string* text, unsigned long value, int digits) {
  while (digits-- > 0) text->push_back("0123456789abcdef"[(value >> (4 * digits)) & 15]);
}

// What the server's reader takes back as the character itself: printable
// ASCII but for the escape, the quote and the brackets around key paths.
void AppendEscaped(std::string* text, const std::wstring& chars) {
  for (wchar_t c : chars) {
    if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"' && c != '[' && c != ']') {
      text->push_back(static_cast<char>(c));
    } else {
      text->append("\\x");
      AppendHex(text, c, 4);
    }
  }
}

void AppendKey(std::string* text, KeyCopy& key, const std::string& path) {
  text->append("\n[").append(path).append("]\n");
  for (const ValueCopy& value : key.values) {
    if (value.name.empty()) {
      text->push_back('@');
    } else {
      text->push_back('"');
      AppendEscaped(text, value.name);
      text->push_back('"');
    }
    text->append("=hex(");
    AppendHex(text, value.type, 8);
    text->append("):");
    for (size_t i = 0; i < value.data.size(); ++i) {
      if (i) text->push_back(',');
      AppendHex(text, value.data[i], 2);
    }
    text->push_back('\n');
  }
  for (size_t i = 0; KeyCopy* subkey = key.SubkeyAt(i); ++i) {
    std::string subpath = path.empty() ? path : path + "\\\\";
    AppendEscaped(&subpath, subkey->name);
    AppendKey(text, *subkey, subpath);
  }
}

}  // namespace

std::unique_ptr<SavedKey> ParseSavedTree(std::string_view text) { return SaveParser(text).Parse(); }

std::unique_ptr<SavedKey> SaveTree(HKEY key) {
  wchar_t path[MAX_PATH + 1];
  if (!TempFileName(path)) return nullptr;
  DeleteFileW(path);  // the save makes the file itself
  {
    ThreadPrivilege backup(SE_BACKUP_NAME);
    if (!backup.Enabled() || RegSaveKeyW(key, path, nullptr) != ERROR_SUCCESS) {
      DeleteFileW(path);
      return nullptr;
    }
  }
  std::string text;
  {
    Handle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size = {};
    if (file.Valid() && GetFileSizeEx(file.Get(), &size) && size.QuadPart <= kLargestSave) {
      text.resize(static_cast<size_t>(size.QuadPart));
      DWORD read = 0;
      for (size_t at = 0; at < text.size(); at += read)
        if (!ReadFile(file.Get(), &text[at], static_cast<DWORD>(text.size() - at), &read,
                      nullptr) ||
            read == 0) {
          text.clear();
          break;
        }
    }
  }
  DeleteFileW(path);
  return text.empty() ? nullptr : ParseSavedTree(text);
}

bool LoadTree(HKEY parent, const std::wstring& name, KeyCopy& tree) {
  // The key itself comes first and as "[]": the server matches the first
  // path against the names above the key it loads into.
  std::string text = "WINE REGISTRY Version 2\n";
  AppendKey(&text, tree, std::string());
  wchar_t path[MAX_PATH + 1];
  if (!TempFileName(path)) return false;
  bool written = false;
  {
    Handle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD done = 0;
    written = file.Valid() && text.size() <= MAXDWORD &&
              WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr) &&
              done == text.size();
  }
  LONG loaded = ERROR_WRITE_FAULT;
  if (written) {
    ThreadPrivilege restore(SE_RESTORE_NAME);
    loaded = restore.Enabled() ? RegLoadKeyW(parent, name.c_str(), path) : ERROR_PRIVILEGE_NOT_HELD;
  }
  DeleteFileW(path);
  return loaded == ERROR_SUCCESS;
}

}  // namespace twutil
