#include "files/TextFinder.h"

#include <cstring>
#include <utility>

namespace twutil {

TextFinder::TextFinder(std::string pattern) : pattern_(std::move(pattern)) {
  const size_t m = pattern_.size();
  for (size_t& shift : shift_) shift = m;
  for (size_t i = 0; i + 1 < m; ++i) shift_[static_cast<unsigned char>(pattern_[i])] = m - 1 - i;
}

size_t TextFinder::Find(const char* text, size_t size, size_t from) const {
  const size_t m = pattern_.size();
  if (m == 0 || from > size || size - from < m) return kNotFound;
  if (m == 1) {
    const void* hit = std::memchr(text + from, pattern_[0], size - from);
    return hit ? static_cast<size_t>(static_cast<const char*>(hit) - text) : kNotFound;
  }
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
  const unsigned char last = static_cast<unsigned char>(pattern_[m - 1]);
  const size_t lastStart = size - m;
  for (size_t at = from; at <= lastStart;) {
    unsigned char tail = bytes[at + m - 1];
    if (tail == last && std::memcmp(text + at, pattern_.data(), m - 1) == 0) return at;
    at += shift_[tail];
  }
  return kNotFound;
}

}  // namespace twutil
