// Exact search for one byte string in a larger one (Horspool's variant of
// Boyer-Moore): skips ahead by the last byte of each window, so long texts
// are scanned at a fraction of a compare per byte.
#pragma once

#include <cstddef>
#include <string>

namespace twutil {

class TextFinder {
 public:
  static constexpr size_t kNotFound = static_cast<size_t>(-1);

  // pattern must not be empty.
  explicit TextFinder(std::string pattern);

  // The first occurrence that starts at or after from, or kNotFound.
  size_t Find(const char* text, size_t size, size_t from) const;

 private:
  std::string pattern_;
  size_t shift_[256];
};

}  // namespace twutil
