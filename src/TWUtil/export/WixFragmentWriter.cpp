#include "export/WixFragmentWriter.h"

#include <cwchar>
#include <optional>

#include "export/MsiText.h"
#include "export/PathSpellings.h"
#include "export/WixIds.h"

namespace twutil::exports {
namespace {

const wchar_t* WixRoot(ULONG root) {
  switch (root) {
    case model::kRootClassesRoot:
      return L"HKCR";
    case model::kRootCurrentUser:
      return L"HKCU";
    case model::kRootLocalMachine:
      return L"HKLM";
    case model::kRootUsers:
      return L"HKU";
  }
  return nullptr;
}

// One RegistryValue's attributes before the MSI and XML escapes.
struct MsiValue {
  const wchar_t* type;
  std::vector<std::wstring> texts;  // one, or the strings of a multi-string
  bool formatted;                   // escaped and path-rewritten; hex digits and numbers are not
  bool multi = false;
};

class WixBuilder {
 public:
  WixBuilder(const WixOptions& options, std::vector<std::wstring>* notes)
      : options_(options), notes_(notes) {}

  std::wstring Build(const std::vector<ExportedFile>& files) {
    std::wstring out =
        L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        L"<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n"
        L"  <Fragment>\n";
    out += L"    <DirectoryRef Id=\"" + XmlAttribute(options_.directoryId) + L"\">\n";
    WixIds ids;
    for (const ExportedFile& file : files) out += Component(file, ids.Next(FileNameOf(file)));
    out += L"    </DirectoryRef>\n  </Fragment>\n</Wix>\n";
    return out;
  }

 private:
  static std::wstring FileNameOf(const ExportedFile& file) {
    return file.keyFile.substr(file.keyFile.find_last_of(L'\\') + 1);
  }

  std::wstring Component(const ExportedFile& file, const FileIds& ids) {
    std::wstring name = FileNameOf(file);
    std::wstring source = name;
    if (!options_.sourceDir.empty()) {
      wchar_t last = options_.sourceDir.back();
      source = options_.sourceDir + (last == L'/' || last == L'\\' ? L"" : L"/") + name;
    }
    std::wstring out = L"      <Component Id=\"" + ids.component + L"\" Guid=\"*\"" +
                       (file.bitness == 64 ? L" Win64=\"yes\"" : L"") + L">\n";
    out += L"        <File Id=\"" + ids.file + L"\" Name=\"" + XmlAttribute(name) +
           L"\" Source=\"" + XmlAttribute(source) + L"\" KeyPath=\"yes\"/>\n";
    spellings_ = SpellingsOf(file.keyFile);
    fileReference_ = L"[#" + ids.file + L"]";
    size_t index = 0;
    for (const model::CapturedEntry& entry : file.entries)
      out += Entry(entry, ids.registryPrefix + std::to_wstring(++index));
    return out + L"      </Component>\n";
  }

  std::wstring Entry(const model::CapturedEntry& entry, const std::wstring& id) {
    const wchar_t* root = WixRoot(entry.root);
    if (!root) return Skip(EntryKeyText(entry) + L": not a hive an MSI can name");
    if (entry.key.empty())
      return Skip(EntryKeyText(entry) + L": an MSI cannot write to a hive itself");
    std::optional<std::wstring> key = Formatted(entry.key, nullptr);
    if (!key) return Skip(EntryKeyText(entry) + L": the key name " + why_);
    std::wstring place = L"Root=\"" + std::wstring(root) + L"\" Key=\"" + *key + L"\"";
    if (entry.keyOnly) {
      Note(EntryKeyText(entry) +
           L": empty key written as RegistryKey ForceCreateOnInstall, "
           L"which wixl 0.101 ignores");
      return L"        <RegistryKey Id=\"" + id + L"\" " + place +
             L" ForceCreateOnInstall=\"yes\"/>\n";
    }
    std::wstring nameAttribute;
    std::wstring name = entry.name ? *entry.name : std::wstring();
    if (!name.empty()) {
      // MSI reads these names as key actions (Wine's msiexec even with a value).
      if (name == L"+" || name == L"*")
        return Skip(EntryValueText(entry) + L": MSI gives this name a meaning of its own");
      std::optional<std::wstring> formatted = Formatted(name, nullptr);
      if (!formatted) return Skip(EntryValueText(entry) + L": the name " + why_);
      nameAttribute = L" Name=\"" + *formatted + L"\"";
    }
    std::optional<MsiValue> value = ValueOf(entry);
    if (!value) return Skip(EntryValueText(entry) + L": " + why_);
    // "[~]" at both ends makes MSI replace the value with the strings between.
    std::wstring valueText = value->multi ? kMultiStringMark : L"";
    bool bareFolder = false;
    for (const std::wstring& text : value->texts) {
      std::optional<std::wstring> formatted =
          value->formatted ? Formatted(text, &bareFolder) : text;
      if (!formatted) return Skip(EntryValueText(entry) + L": the data " + why_);
      valueText += *formatted + (value->multi ? kMultiStringMark : L"");
    }
    if (bareFolder)
      Note(EntryValueText(entry) + L": its folder is written as [" + options_.directoryId +
           L"], which ends with a backslash");
    if (valueText.empty() && name == L"-")
      return Skip(EntryValueText(entry) + L": MSI gives this name a meaning of its own");
    return L"        <RegistryValue Id=\"" + id + L"\" " + place + nameAttribute + L" Type=\"" +
           value->type + L"\" Value=\"" + valueText + L"\"/>\n";
  }

  std::optional<MsiValue> ValueOf(const model::CapturedEntry& entry) {
    const std::vector<BYTE>& data = entry.data;
    switch (entry.type) {
      case REG_SZ:
      case REG_EXPAND_SZ:
        if (auto text = TerminatedText(data))
          return MsiValue{entry.type == REG_SZ ? L"string" : L"expandable", {*text}, true};
        why_ = L"text that is not exactly one terminated string cannot be written to an MSI";
        return std::nullopt;
      case REG_MULTI_SZ:
        if (auto elements = MultiStringElements(data))
          return MsiValue{L"string", *elements, true, true};
        why_ =
            L"a multi-string that is empty, holds an empty string or is not terminated "
            L"cannot be written to an MSI";
        return std::nullopt;
      case REG_DWORD:
        if (data.size() == 4) {
          // Windows Installer reads "#n" as a signed number.
          LONG value = static_cast<LONG>(data[0] | (data[1] << 8) | (data[2] << 16) |
                                         (static_cast<DWORD>(data[3]) << 24));
          return MsiValue{L"integer", {std::to_wstring(value)}, false};
        }
        why_ = L"a REG_DWORD that is not 4 bytes long cannot be written to an MSI";
        return std::nullopt;
      case REG_BINARY:
        if (!data.empty()) return MsiValue{L"binary", {model::HexDigits(data)}, false};
        // "#x" alone: Wine's msiexec writes two bytes of its own.
        why_ = L"an empty REG_BINARY cannot be written to an MSI";
        return std::nullopt;
    }
    why_ = model::RegistryTypeName(entry.type) + L" cannot be written to an MSI";
    return std::nullopt;
  }

  // MSI escapes and paths, then the code page and XML checks.
  std::optional<std::wstring> Formatted(const std::wstring& text, bool* bareFolder) {
    PathRewrite rewrite{fileReference_, L"[" + options_.directoryId + L"]", true, EscapeFormatted};
    RewrittenText rewritten = RewritePaths(text, spellings_, rewrite);
    if (bareFolder && rewritten.bareFolder) *bareFolder = true;
    if (!FitsCodePage(rewritten.text, options_.codePage)) {
      why_ = L"holds text outside code page " + std::to_wstring(options_.codePage);
      return std::nullopt;
    }
    if (!IsXmlText(rewritten.text)) {
      why_ = L"holds characters XML cannot carry";
      return std::nullopt;
    }
    return XmlAttribute(rewritten.text);
  }

  std::wstring Skip(const std::wstring& note) {
    Note(note);
    return L"        <!-- " + XmlComment(note) + L" -->\n";
  }

  void Note(const std::wstring& note) {
    if (notes_) notes_->push_back(note);
  }

  const WixOptions& options_;
  std::vector<std::wstring>* notes_;
  PathSpellings spellings_;
  std::wstring fileReference_;
  std::wstring why_;
};

}  // namespace

std::string WriteWixFragment(const std::vector<ExportedFile>& files, const WixOptions& options,
                             std::vector<std::wstring>* notes) {
  return Utf8(WixBuilder(options, notes).Build(files));
}

}  // namespace twutil::exports
