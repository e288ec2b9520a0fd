#include "files/WholeFile.h"

#include <new>

namespace twutil {
namespace {

constexpr size_t kLargestRead = 64u << 20;

}  // namespace

bool ReadWholeFile(HANDLE file, FileContents* contents) {
  LARGE_INTEGER reported;
  if (!GetFileSizeEx(file, &reported) || reported.QuadPart < 0) return false;
  // Half the address space at most: beyond that no buffer can be had anyway.
  if (static_cast<unsigned long long>(reported.QuadPart) > 0x7FFFFFFFull) return false;
  size_t size = static_cast<size_t>(reported.QuadPart);
  std::unique_ptr<char[]> data(new (std::nothrow) char[size ? size : 1]);
  if (!data) return false;
  size_t done = 0;
  while (done < size) {
    size_t want = size - done < kLargestRead ? size - done : kLargestRead;
    DWORD got = 0;
    if (!ReadFile(file, data.get() + done, static_cast<DWORD>(want), &got, nullptr)) return false;
    if (got == 0) break;  // shorter than reported: what is there is the file
    done += got;
  }
  contents->data = std::move(data);
  contents->size = done;
  return true;
}

}  // namespace twutil
