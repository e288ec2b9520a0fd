// Identifiers of the components, files and registry values of a fragment:
// made from the file name, so the same capture gives the same ids.
#pragma once

#include <set>
#include <string>

namespace twutil::exports {

struct FileIds {
  std::wstring component;
  std::wstring file;            // usable as [#file]
  std::wstring registryPrefix;  // followed by a running number
};

class WixIds {
 public:
  // Letters, digits, "_" and "." of the name; a second file of the same
  // stem gets "_2", and so on.
  FileIds Next(const std::wstring& fileName);

 private:
  std::set<std::wstring> stems_;
};

}  // namespace twutil::exports
