#include "export/PathSpellings.h"

#include <windows.h>

#include <algorithm>

#include "servers/PathForms.h"

namespace twutil::exports {
namespace {

bool SameText(const wchar_t* left, const std::wstring& right) {
  return CompareStringOrdinal(left, static_cast<int>(right.size()), right.c_str(),
                              static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
}

void AddOnce(std::vector<std::wstring>* list, const std::wstring& text) {
  if (text.empty()) return;
  for (const std::wstring& known : *list)
    if (known.size() == text.size() && SameText(known.c_str(), text)) return;
  list->push_back(text);
}

void LongestFirst(std::vector<std::wstring>* list) {
  std::stable_sort(list->begin(), list->end(), [](const std::wstring& a, const std::wstring& b) {
    return a.size() > b.size();
  });
}

// Characters no file name holds, and the separators of command lines and lists.
bool EndsFileName(wchar_t c) { return c < 0x20 || wcschr(L"\\/:*?\"<>|,; ", c) != nullptr; }

}  // namespace

PathSpellings SpellingsFromPaths(const std::vector<std::wstring>& paths) {
  PathSpellings spellings;
  for (const std::wstring& path : paths) {
    size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 == path.size()) continue;
    AddOnce(&spellings.files, path);
    AddOnce(&spellings.folders, path.substr(0, slash));
  }
  LongestFirst(&spellings.files);
  LongestFirst(&spellings.folders);
  return spellings;
}

PathSpellings SpellingsOf(const std::wstring& keyFile) {
  std::vector<std::wstring> paths{keyFile};
  if (auto shortPath = ShortPathOf(keyFile)) paths.push_back(*shortPath);
  return SpellingsFromPaths(paths);
}

RewrittenText RewritePaths(const std::wstring& text, const PathSpellings& spellings,
                           const PathRewrite& rewrite) {
  RewrittenText result;
  std::wstring literal;
  auto flushLiteral = [&] {
    result.text += rewrite.escapeLiteral ? rewrite.escapeLiteral(literal) : literal;
    literal.clear();
  };
  size_t i = 0;
  while (i < text.size()) {
    size_t rest = text.size() - i;
    bool matched = false;
    for (const std::wstring& file : spellings.files) {
      if (file.size() > rest || !SameText(text.c_str() + i, file)) continue;
      size_t after = i + file.size();
      if (after < text.size() && !EndsFileName(text[after])) continue;
      flushLiteral();
      result.text += rewrite.fileReplacement;
      i = after;
      matched = true;
      break;
    }
    if (!matched) {
      for (const std::wstring& folder : spellings.folders) {
        if (folder.size() > rest || !SameText(text.c_str() + i, folder)) continue;
        size_t after = i + folder.size();
        bool backslash = after < text.size() && text[after] == L'\\';
        if (after < text.size() && !backslash && text[after] != L'"') continue;
        flushLiteral();
        result.text += rewrite.folderReplacement;
        if (!backslash) result.bareFolder = true;
        i = backslash && rewrite.folderReplacementEndsWithBackslash ? after + 1 : after;
        matched = true;
        break;
      }
    }
    if (matched) {
      result.changed = true;
    } else {
      literal += text[i++];
    }
  }
  flushLiteral();
  return result;
}

}  // namespace twutil::exports
