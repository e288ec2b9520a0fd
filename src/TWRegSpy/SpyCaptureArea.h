// The capture area under HKEY_CURRENT_USER as the spy keeps it: emptied
// (with the four hive mirrors made anew) before each file, and removed at the
// end of a run together with the parent keys that the run itself created.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace twregspy {

// A usable root: a relative key path of 1 to 200 characters, no empty
// component, no leading or trailing backslash, no control characters or
// double quotes, no embedded null.
bool IsUsableCaptureRoot(const wchar_t* root, UINT length);

class SpyCaptureArea {
 public:
  explicit SpyCaptureArea(std::wstring root) : root_(std::move(root)) {}
  ~SpyCaptureArea() { Remove(); }
  SpyCaptureArea(const SpyCaptureArea&) = delete;
  SpyCaptureArea& operator=(const SpyCaptureArea&) = delete;

  // Takes the root over. A key that already stands there may hold nothing
  // but hive mirrors (a capture area left behind); anything else belongs to
  // someone else and is refused.
  HRESULT Claim();
  // Deletes everything below the root and creates the mirrors empty.
  bool Reset();
  // Deletes the root and the parents that Claim found missing, when empty.
  void Remove();

 private:
  std::wstring root_;
  std::vector<std::wstring> createdParents_;  // outermost first
  bool claimed_ = false;
};

}  // namespace twregspy
