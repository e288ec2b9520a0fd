// The spellings under which a key file and its folder stand in registry data
// (long and short form, any letter case), and the rewriting of a text that
// puts something else in their place.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace twutil::exports {

struct PathSpellings {
  std::vector<std::wstring> files;    // longest first
  std::vector<std::wstring> folders;  // longest first, without a trailing backslash
};

// The long path as given and the short form the file system reports for it
// (the file exists while its registration is captured), with their folders.
PathSpellings SpellingsOf(const std::wstring& keyFile);
// The same from spellings already known; the first folder is each path's own.
PathSpellings SpellingsFromPaths(const std::vector<std::wstring>& paths);

struct PathRewrite {
  std::wstring fileReplacement;
  std::wstring folderReplacement;
  // The folder replacement already ends with a backslash (an MSI folder
  // property does): the backslash after a folder match is then dropped.
  bool folderReplacementEndsWithBackslash = false;
  // Applied to the text between matches (escapes of the target format).
  std::function<std::wstring(const std::wstring&)> escapeLiteral;
};

struct RewrittenText {
  std::wstring text;
  bool changed = false;
  bool bareFolder = false;  // a folder matched at the end of the text or before a quote
};

// Letter case is ignored; the longest spelling wins. A folder match must be
// followed by a backslash, a quote or the end of the text, and a file match
// by anything that cannot continue a file name.
RewrittenText RewritePaths(const std::wstring& text, const PathSpellings& spellings,
                           const PathRewrite& rewrite);

}  // namespace twutil::exports
