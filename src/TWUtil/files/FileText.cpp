#include "files/FileText.h"

#include "files/StdFile.h"

namespace twutil {

bool HasUtf16Mark(const std::string& path) {
  StdFile file = OpenShared(path, "r");
  if (!file.Get()) return false;
  unsigned char mark[2] = {};
  size_t read = fread(mark, 1, 2, file.Get());
  return read == 2 && mark[0] == 0xFF && mark[1] == 0xFE;
}

}  // namespace twutil
