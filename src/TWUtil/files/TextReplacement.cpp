#include "files/TextReplacement.h"

#include "files/TextFinder.h"

namespace twutil {

bool ReplaceAll(const char* text, size_t size, const std::string& search,
                const std::string& replacement, ChunkedWriter* out) {
  bool written = true;
  size_t at = 0;
  if (!search.empty()) {
    TextFinder finder(search);
    for (size_t hit = finder.Find(text, size, at); hit != TextFinder::kNotFound;
         hit = finder.Find(text, size, at)) {
      if (!out->Append(text + at, hit - at) ||
          !out->Append(replacement.data(), replacement.size())) {
        written = false;
        break;
      }
      at = hit + search.size();
    }
  }
  bool restWritten = out->Append(text + at, size - at) && out->Flush();
  return written && restWritten;
}

}  // namespace twutil
