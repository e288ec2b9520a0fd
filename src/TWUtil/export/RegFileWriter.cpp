#include "export/RegFileWriter.h"

#include <windows.h>

#include <cwchar>

#include "com/Owners.h"
#include "export/PathSpellings.h"

namespace twutil::exports {
namespace {

// regedit breaks a hex line once it reaches this many columns.
constexpr size_t kHexLineColumns = 77;

std::wstring EscapeName(const std::wstring& name) {
  std::wstring out;
  for (wchar_t c : name) {
    switch (c) {
      case L'\\':
        out += L"\\\\";
        break;
      case L'"':
        out += L"\\\"";
        break;
      case L'\n':
        out += L"\\n";
        break;
      case L'\r':
        out += L"\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

bool HasControl(const std::wstring& text) {
  for (wchar_t c : text)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

// regedit's own layout: "hex(N):" then "xx," pairs, a line ending in ",\"
// once it is full and the next one indented by two spaces.
std::wstring HexData(DWORD type, const std::vector<BYTE>& data, size_t column) {
  wchar_t buffer[24];
  if (type == REG_BINARY)
    wcscpy(buffer, L"hex:");
  else
    swprintf(buffer, 24, L"hex(%lx):", type);
  std::wstring out = buffer;
  column += out.size();
  for (size_t i = 0; i < data.size(); ++i) {
    swprintf(buffer, 24, L"%02x", data[i]);
    out += buffer;
    if (i + 1 == data.size()) break;
    out += L',';
    column += 3;
    if (column >= kHexLineColumns) {
      out += L"\\\r\n  ";
      column = 2;
    }
  }
  return out;
}

class RegFileBuilder {
 public:
  RegFileBuilder(const RegFileOptions& options, std::vector<std::wstring>* notes)
      : options_(options), notes_(notes) {
    text_ = L"Windows Registry Editor Version 5.00\r\n";
  }

  void AddFile(const ExportedFile& file) {
    if (file.bitness == 64)
      Note(file.keyFile +
           L": a .reg file names no registry view; import it with the 64-bit regedit");
    spellings_ = SpellingsOf(file.keyFile);
    fileName_ = file.keyFile.substr(file.keyFile.find_last_of(L'\\') + 1);
    for (const model::CapturedEntry& entry : file.entries) AddEntry(entry);
  }

  std::wstring Take() { return std::move(text_); }

 private:
  void AddEntry(const model::CapturedEntry& entry) {
    const wchar_t* root = model::RootName(entry.root);
    if (!root) {
      Note(EntryKeyText(entry) + L": not a hive a .reg file can name");
      return;
    }
    if (entry.key.find_first_of(L"\r\n") != std::wstring::npos) {
      Note(EntryKeyText(entry) + L": a key name with a line break cannot be written");
      return;
    }
    std::wstring section = std::wstring(root) + (entry.key.empty() ? L"" : L"\\" + entry.key);
    if (section != section_) {
      text_ += L"\r\n[" + section + L"]\r\n";
      section_ = section;
    }
    if (entry.keyOnly) return;
    std::wstring name = entry.name ? *entry.name : std::wstring();
    if (name.find(L'\0') != std::wstring::npos) {
      Note(EntryValueText(entry) + L": a name holding a null character cannot be written");
      return;
    }
    std::wstring line = name.empty() ? L"@=" : L"\"" + EscapeName(name) + L"\"=";
    if (!AppendData(entry, &line)) return;
    text_ += line + L"\r\n";
  }

  // Text data gains its new paths; false when the value is left out.
  bool AppendData(const model::CapturedEntry& entry, std::wstring* line) {
    std::vector<BYTE> data = entry.data;
    bool isText = entry.type == REG_SZ || entry.type == REG_EXPAND_SZ || entry.type == REG_MULTI_SZ;
    if (isText) {
      // regedit does not survive an odd text length, and ends every text it
      // reads with a null character.
      if (data.size() % 2 != 0) {
        Note(EntryValueText(entry) + L": text data of odd length cannot be written");
        return false;
      }
      if (!data.empty() && (data[data.size() - 1] != 0 || data[data.size() - 2] != 0))
        Note(EntryValueText(entry) + L": regedit adds a null character to its unterminated text");
      RewriteText(entry.type, &data);
    }
    std::optional<std::wstring> text =
        entry.type == REG_SZ ? TerminatedText(data) : std::optional<std::wstring>();
    if (text && !HasControl(*text)) {
      *line += L"\"" + EscapeName(*text) + L"\"";
    } else if (entry.type == REG_DWORD && data.size() == 4) {
      wchar_t buffer[16];
      DWORD value =
          data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<DWORD>(data[3]) << 24);
      swprintf(buffer, 16, L"dword:%08lx", value);
      *line += buffer;
    } else {
      *line += HexData(entry.type, data, line->size());
    }
    return true;
  }

  void RewriteText(DWORD type, std::vector<BYTE>* data) {
    if (options_.installDir.empty()) return;
    std::wstring folder = options_.installDir;
    if (folder.back() == L'\\') folder.pop_back();
    PathRewrite rewrite{folder + L"\\" + fileName_, folder, false, nullptr};
    if (type == REG_MULTI_SZ) {
      auto elements = MultiStringElements(*data);
      if (!elements) return;
      std::vector<BYTE> joined;
      for (const std::wstring& element : *elements) {
        std::vector<BYTE> bytes = TerminatedBytes(RewritePaths(element, spellings_, rewrite).text);
        joined.insert(joined.end(), bytes.begin(), bytes.end());
      }
      joined.push_back(0);
      joined.push_back(0);
      *data = joined;
      return;
    }
    if (auto text = TerminatedText(*data))
      *data = TerminatedBytes(RewritePaths(*text, spellings_, rewrite).text);
  }

  void Note(const std::wstring& note) {
    if (notes_) notes_->push_back(note);
  }

  const RegFileOptions& options_;
  std::vector<std::wstring>* notes_;
  std::wstring text_;
  std::wstring section_;
  PathSpellings spellings_;
  std::wstring fileName_;
};

}  // namespace

std::wstring WriteRegFile(const std::vector<ExportedFile>& files, const RegFileOptions& options,
                          std::vector<std::wstring>* notes) {
  RegFileBuilder builder(options, notes);
  for (const ExportedFile& file : files) builder.AddFile(file);
  return builder.Take();
}

std::string Utf16FileBytes(const std::wstring& text) {
  std::string bytes("\xFF\xFE", 2);
  bytes.reserve(2 + text.size() * 2);
  for (wchar_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

bool WriteUtf16File(const std::wstring& path, const std::wstring& text) {
  const std::string bytes = Utf16FileBytes(text);
  if (bytes.size() > MAXDWORD) {
    SetLastError(ERROR_FILE_TOO_LARGE);
    return false;
  }
  Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  DWORD written = 0;
  if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
    return false;
  if (written != bytes.size()) {
    SetLastError(ERROR_WRITE_FAULT);
    return false;
  }
  return true;
}

}  // namespace twutil::exports
