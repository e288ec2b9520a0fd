#include "Listings.h"

#include <windows.h>

#include <sstream>

#include "com/Owners.h"
#include "model/ModelJson.h"

namespace twtest {
namespace {

// A JSON scalar as the listings show it: a string without its quotes, with
// only quotes and backslashes unescaped; the models here need no more.
std::string Scalar(const std::string& json) {
  if (json.empty() || json[0] != '"') return json;
  std::string text;
  for (size_t at = 1; at + 1 < json.size(); ++at) {
    if (json[at] == '\\' && (json[at + 1] == '"' || json[at + 1] == '\\')) ++at;
    text += json[at];
  }
  return text;
}

// A collection's name without "Collection", "Col" or "Info".
std::string Label(std::string key) {
  for (const std::string suffix : {"Collection", "Col", "Info"}) {
    if (key.size() > suffix.size() &&
        key.compare(key.size() - suffix.size(), suffix.size(), suffix) == 0)
      return key.substr(0, key.size() - suffix.size());
  }
  return key;
}

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
                 text = type == REG_SZ ? text.c_str()
                                       : L"<" + std::to_wstring(data.size()) + L" bytes>";
                 entries.insert(path + L"|" + (*name ? name : L"@") + L"=" + text);
               });
  return entries;
}

// The writer puts every value on a line of its own: an object's plain values
// make its line, the items of its arrays their own lines after it.
Lines ModelLines(IExtractComponent* component, const char* labels) {
  std::istringstream json(twutil::model::DumpComponentJson(component));
  std::vector<std::pair<std::string, std::string>> items;  // label and values
  std::vector<std::string> arrays{""};
  std::vector<std::pair<size_t, std::string>> objects;  // open items and their separators
  for (std::string line; std::getline(json, line);) {
    line.erase(0, line.find_first_not_of(' '));
    if (!line.empty() && line.back() == ',') line.pop_back();
    const size_t colon = line[0] == '"' ? line.find("\": ") : std::string::npos;
    const std::string key = colon == std::string::npos ? "" : line.substr(1, colon - 1);
    const std::string value = colon == std::string::npos ? line : line.substr(colon + 3);
    if (key == "Bitness") break;  // the capture's own members follow the model's
    if (value == "{" || value == "{}") {
      if (value == "{") objects.emplace_back(items.size(), "");
      items.emplace_back(arrays.back(), "");
    } else if (value == "}") {
      objects.pop_back();
    } else if (value == "[") {
      arrays.push_back(Label(key));
    } else if (value == "]") {
      arrays.pop_back();
    } else if (key.empty()) {
      items.emplace_back(arrays.back(), Scalar(value));  // an item that could not be read
    } else if (value != "[]") {
      items[objects.back().first].second += objects.back().second + Scalar(value);
      objects.back().second = "|";
    }
  }
  const std::string wanted = " " + std::string(labels ? labels : "") + " ";
  Lines lines;
  for (const auto& [label, values] : items) {
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
  for (const auto& [placeholder, value] : by)
    placeholders.emplace(Lower(placeholder), Lower(value));
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
