// An owned C runtime stream, opened shared with other readers and writers so
// that the text-mode rules of the runtime apply to what goes through it.
#pragma once

#include <share.h>

#include <cstdio>
#include <string>

namespace twutil {

class StdFile {
 public:
  StdFile(const std::wstring& path, const wchar_t* mode)
      : f_(_wfsopen(path.c_str(), mode, _SH_DENYNO)) {}
  StdFile(const std::string& path, const char* mode)
      : f_(_fsopen(path.c_str(), mode, _SH_DENYNO)) {}
  ~StdFile() { Close(); }
  StdFile(const StdFile&) = delete;
  StdFile& operator=(const StdFile&) = delete;

  FILE* Get() const { return f_; }
  void Close() {
    if (f_) fclose(f_);
    f_ = nullptr;
  }

 private:
  FILE* f_;
};

}  // namespace twutil
