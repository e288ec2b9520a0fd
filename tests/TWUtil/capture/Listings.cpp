#include "Listings.h"

#include <windows.h>

#include <cstring>
#include <sstream>

#include "com/Owners.h"
#include "model/ModelJson.h"

namespace twtest {
namespace {

// Walks the JSON picture: an object's plain values make its line, the items
// of its arrays their own lines after it. Only quotes and backslashes are
// unescaped; the models here need no more.
struct Flattener {
  std::string json;
  size_t at = 0;
  std::vector<std::pair<std::string, std::string>> lines;

  char Peek() const { return at < json.size() ? json[at] : '\0'; }
  void Skip() {
    while (Peek() && std::strchr(" \r\n\t,:", Peek())) ++at;
  }
  std::string Scalar() {
    std::string text;
    if (Peek() != '"') {
      while (Peek() && !std::strchr(",\n]}", Peek())) text += json[at++];
      return text;
    }
    for (++at; Peek() && Peek() != '"'; ++at) {
      if (Peek() == '\\' && (json[at + 1] == '"' || json[at + 1] == '\\')) ++at;
      text += json[at];
    }
    ++at;
    return text;
  }
  void Value(const std::string& label) {
    Skip();
    if (Peek() == '[') {
      for (++at, Skip(); Peek() && Peek() != ']'; Skip()) Value(label);
      ++at;
      return;
    }
    if (Peek() != '{') {
      lines.emplace_back(label, Scalar());  // an item that could not be read
      return;
    }
    size_t line = lines.size();
    lines.emplace_back(label, "");
    std::string values, separator;
    for (++at, Skip(); Peek() && Peek() != '}'; Skip()) {
      std::string key = Scalar();
      Skip();
      if (Peek() == '[') {
        for (const std::string suffix : {"Collection", "Col", "Info"}) {
          if (key.size() > suffix.size() &&
              key.compare(key.size() - suffix.size(), suffix.size(), suffix) == 0) {
            key.resize(key.size() - suffix.size());
            break;
          }
        }
        Value(key);
      } else {
        values += separator + Scalar();
        separator = "|";
      }
    }
    ++at;
    lines[line].second = values;
  }
};

}  // namespace

void WalkRegistry(HKEY key, const std::wstring& path, REGSAM view, const RegistryVisit& visit) {
  // On the heap: a capture may hold keys a hundred levels deep.
  std::vector<wchar_t> name(16384);
  std::vector<BYTE> data(4096);
  DWORD i = 0;
  for (;; ++i) {
    DWORD length = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size()), type;
    LONG status = RegEnumValueW(key, i, name.data(), &length, nullptr, &type, data.data(), &size);
    if (status == ERROR_MORE_DATA) {
      data.resize(size);
      --i;
    } else if (status != ERROR_SUCCESS) {
      break;
    } else {
      visit(path, std::wstring(name.data(), length).c_str(), type,
            std::vector<BYTE>(data.begin(), data.begin() + size));
    }
  }
  bool empty = i == 0;
  for (i = 0;; ++i) {
    DWORD length = static_cast<DWORD>(name.size());
    if (RegEnumKeyExW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    empty = false;
    twutil::RegKey child;
    const std::wstring childName(name.data(), length);
    if (RegOpenKeyExW(key, childName.c_str(), 0, KEY_READ | view, child.Put()) == ERROR_SUCCESS)
      WalkRegistry(child.Get(), path.empty() ? childName : path + L"\\" + childName, view, visit);
  }
  if (empty && !path.empty()) visit(path, nullptr, REG_NONE, {});
}

Entries RegistryEntries(HKEY root, const std::wstring& key) {
  Entries entries;
  twutil::RegKey opened;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, opened.Put()) != ERROR_SUCCESS) return entries;
  WalkRegistry(opened.Get(), L"", 0,
               [&](const std::wstring& path, const wchar_t* name, DWORD type,
                   const std::vector<BYTE>& data) {
                 if (!name) {
                   entries.insert(path);
                   return;
                 }
                 std::wstring text(reinterpret_cast<const wchar_t*>(data.data()),
                                   data.size() / sizeof(wchar_t));
                 text = type == REG_SZ ? text.c_str() : L"<data>";
                 entries.insert(path + L"|" + (*name ? name : L"@") + L"=" + text);
               });
  return entries;
}

Lines ModelLines(IExtractComponent* component, const char* labels) {
  Flattener flat{twutil::model::DumpComponentJson(component), 0, {}};
  flat.Value("");
  const std::string wanted = " " + std::string(labels ? labels : "") + " ";
  Lines lines;
  for (const auto& [label, values] : flat.lines) {
    if (label.empty() || (labels && wanted.find(" " + label + " ") == std::string::npos)) continue;
    std::string utf8 = label + " " + values;
    std::wstring line(utf8.size(), L'\0');
    line.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                    &line[0], static_cast<int>(line.size())));
    lines.push_back(line);
  }
  return lines;
}

Lines Listing(const std::wstring& text, const std::map<std::wstring, std::wstring>& by) {
  wchar_t windows[MAX_PATH] = {};
  ExpandEnvironmentStringsW(L"%SystemRoot%", windows, MAX_PATH);
  std::map<std::wstring, std::wstring> placeholders = by;
  placeholders.emplace(L"$WINDIR$", windows);
  Lines lines;
  std::wistringstream in(text);
  for (std::wstring line; std::getline(in, line);) {
    line.erase(0, line.find_first_not_of(L" \t"));
    for (const auto& [placeholder, value] : placeholders) {
      for (size_t at = line.find(placeholder); at != std::wstring::npos;
           at = line.find(placeholder, at + value.size()))
        line.replace(at, placeholder.size(), value);
    }
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

}  // namespace twtest
