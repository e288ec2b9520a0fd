#include "StressEntries.h"

#include "support/TestSupport.h"

namespace exporttest {
namespace {

std::vector<BYTE> Bytes(const std::wstring& chars) {
  std::vector<BYTE> bytes;
  for (wchar_t c : chars) bytes.insert(bytes.end(), {BYTE(c & 0xFF), BYTE(c >> 8)});
  return bytes;
}

// "<F>" the file, "<S>" its short form, "<U>" it upper-cased, "<D>" its folder.
std::vector<BYTE> Expand(std::wstring pattern, const std::wstring (&by)[4]) {
  const wchar_t* tokens[] = {L"<F>", L"<S>", L"<U>", L"<D>"};
  for (int i = 0; i < 4; ++i)
    for (size_t at = pattern.find(tokens[i]); at != std::wstring::npos;
         at = pattern.find(tokens[i], at + by[i].size()))
      pattern.replace(at, 3, by[i]);
  return Bytes(pattern);
}

}  // namespace

std::wstring MakeKeyFile(const std::wstring& folder) {
  twtest::WriteBytes(folder + L"Export Stress Server.dll", {'M', 'Z'});
  return folder + L"Export Stress Server.dll";
}

std::vector<StressEntry> StressEntries(const std::wstring& base, const std::wstring& keyFile,
                                       const std::wstring& installDir) {
  std::wstring folder = keyFile.substr(0, keyFile.find_last_of(L'\\'));
  wchar_t shortBuffer[MAX_PATH] = {};
  DWORD shortLength = GetShortPathNameW(keyFile.c_str(), shortBuffer, MAX_PATH);
  std::wstring upperFile = keyFile;
  CharUpperBuffW(&upperFile[0], static_cast<DWORD>(upperFile.size()));
  const std::wstring captured[4] = {
      keyFile, shortLength && shortLength < MAX_PATH ? shortBuffer : keyFile, upperFile, folder};
  const std::wstring installedFile = installDir + keyFile.substr(folder.size() + 1);
  const std::wstring installed[4] = {installedFile, installedFile, installedFile,
                                     installDir.substr(0, installDir.size() - 1)};

  struct Row {
    const wchar_t* key;
    const wchar_t* name;  // null: the default value
    DWORD type;
    std::wstring chars;  // data as characters; "<F>" etc. for paths
    bool reg, msi;
    bool rewritten = false;  // its paths name the install folder once installed
  };
  const std::wstring nul(1, L'\0');
  std::wstring binary300;  // the bytes 0, 7, 14, ...
  for (int i = 0; i < 300; i += 2) binary300 += wchar_t(BYTE(i * 7) | BYTE(i * 7 + 7) << 8);
  const Row rows[] = {
      {L"Types", nullptr, REG_SZ, L"default" + nul, true, true},
      {L"Types", L"empty", REG_SZ, nul, true, true},
      {L"Types", L"expand", REG_EXPAND_SZ, L"%SystemRoot%\\x" + nul, true, true},
      {L"Types", L"multi1", REG_MULTI_SZ, L"one" + nul + nul, true, true},
      {L"Types", L"multi3", REG_MULTI_SZ, L"a" + nul + L"#b" + nul + L"c[~]" + nul + nul, true,
       true},
      {L"Types", L"multiGap", REG_MULTI_SZ, L"a" + nul + nul + L"b" + nul + nul, true, false},
      {L"Types", L"dword", REG_DWORD, std::wstring(L"\x002A\x8000", 2), true, true},
      {L"Types", L"dwordShort", REG_DWORD, std::wstring(L"\x0102", 1), true, false},
      {L"Types", L"qword", REG_QWORD, std::wstring(L"\x0102\x0304\x0506\x0708", 4), true, false},
      {L"Types", L"none", REG_NONE, L"", true, false},
      {L"Types", L"emptyBinary", REG_BINARY, L"", true, false},
      {L"Types", L"bigEndian", REG_DWORD_BIG_ENDIAN, std::wstring(L"\x0100\x0000", 2), true, false},
      {L"Types", L"unterminated", REG_SZ, L"ab", false, false},
      {L"Types", L"embeddedNull", REG_SZ, L"a" + nul + L"b" + nul, true, false},
      {L"Types", L"binary300", REG_BINARY, binary300, true, true},
      {L"Text", L"q\"uote", REG_SZ, L"v\"al" + nul, true, true},
      {L"Text", L"back\\slash\\", REG_SZ, L"c:\\dir\\" + nul, true, true},
      {L"Text", L"[br]{ace}", REG_SZ, L"[x] {{y}} [~] [#f]" + nul, true, true},
      {L"Text", L"a=b&c<d>", REG_SZ, L"=&<>'" + nul, true, true},
      {L"Text", L"line\nbreak\r", REG_SZ, L"one\r\ntwo\tthree" + nul, true, true},
      {L"Text", L"Größe", REG_SZ, L"Größe" + nul, true, true},
      {L"Text", L"Ωμέγα", REG_SZ, L"Ωμέγα" + nul, true, false},
      {L"Text", L"hash", REG_SZ, L"#x12" + nul, true, true},
      {L"Text", L"-", REG_SZ, L"minus" + nul, true, true},
      {L"Text", L"+", REG_SZ, L"plus" + nul, true, false},
      {L"Text", L"@", REG_SZ, L"at" + nul, true, true},
      {L"Text", L"control", REG_SZ, L"bell\x0007" + nul, true, false},
      {L"Key [1]=&<\"{x}\" Größe", L"v", REG_SZ, L"k" + nul, true, true},
      {L"Paths", L"long", REG_SZ, L"<F>" + nul, true, true, true},
      {L"Paths", L"short", REG_EXPAND_SZ, L"<S>,1" + nul, true, true, true},
      {L"Paths", L"upperQuoted", REG_SZ, L"\"<U>\" /automation" + nul, true, true, true},
      {L"Paths", L"folder", REG_MULTI_SZ, L"<D>\\help" + nul + L"<D>\\x.tlb\\2" + nul + nul, true,
       true, true},
      {L"Paths", L"notFolder", REG_SZ, L"<D>x\\a" + nul, true, true},
      {L"Paths", L"binary", REG_BINARY, L"<F>", true, true},
  };

  std::vector<StressEntry> entries;
  for (const Row& row : rows) {
    StressEntry& stress = entries.emplace_back();
    stress.entry.root = twutil::model::kRootCurrentUser;
    stress.entry.key = base + L"\\" + row.key;
    if (row.name) stress.entry.name = row.name;
    stress.entry.type = row.type;
    stress.entry.data = Expand(row.chars, captured);
    stress.installed = row.rewritten ? Expand(row.chars, installed) : stress.entry.data;
    stress.reg = row.reg;
    stress.msi = row.msi;
  }
  StressEntry odd = entries.front();  // a text of an odd number of bytes
  odd.entry.name = L"oddText";
  odd.entry.data = odd.installed = {'a'};
  odd.reg = odd.msi = false;
  entries.push_back(odd);
  StressEntry& emptyKey = entries.emplace_back();
  emptyKey.entry.root = twutil::model::kRootCurrentUser;
  emptyKey.entry.key = base + L"\\Empty\\Leaf";
  emptyKey.entry.keyOnly = true;
  emptyKey.msi = false;  // wixl leaves RegistryKey ForceCreateOnInstall out
  return entries;
}

twutil::exports::ExportedFile StressFile(const std::wstring& keyFile,
                                         const std::vector<StressEntry>& entries) {
  twutil::exports::ExportedFile file;
  file.keyFile = keyFile;
  for (const StressEntry& stress : entries) file.entries.push_back(stress.entry);
  twutil::model::SortCapturedEntries(&file.entries);
  return file;
}

}  // namespace exporttest
