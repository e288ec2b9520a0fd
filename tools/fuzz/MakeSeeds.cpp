// Writes the fuzzers' seed corpus: small images made by the tests' builder.
//   make_seeds DIR   (writes DIR/version/* and DIR/group_icon/*)
#include <cstdio>
#include <string>

#include "support/PeBuilder.h"

namespace {

using pefixture::Bytes;

bool Write(const std::string& path, const Bytes& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

Bytes Group(uint16_t count) {
  Bytes group(6 + 14 * count, 0);
  pefixture::PutU16(&group, 2, 1);
  pefixture::PutU16(&group, 4, count);
  for (uint16_t i = 0; i < count; ++i) {
    group[6 + 14 * i] = 32;
    group[6 + 14 * i + 1] = 32;
    pefixture::PutU16(&group, 6 + 14 * i + 4, 1);
    pefixture::PutU16(&group, 6 + 14 * i + 6, 32);
    pefixture::PutU32(&group, 6 + 14 * i + 8, 0x10A8);
    pefixture::PutU16(&group, 6 + 14 * i + 12, static_cast<uint16_t>(i + 1));
  }
  return group;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  pefixture::VersionPlan one;
  one.tables = {pefixture::StandardTable()};
  pefixture::VersionPlan two;
  two.tables = {pefixture::StandardTable(u"040904b0", u" with room"),
                pefixture::StandardTable(u"040704b0")};
  two.varFileInfoFirst = true;

  pefixture::PePlan wide;
  wide.pe32Plus = true;
  pefixture::Resource version;
  version.type = 16;
  version.id = 1;
  version.data = pefixture::VersionResource(one);
  pefixture::Resource icon;
  icon.type = 3;
  icon.id = 1;
  icon.data = Bytes(40, 0x28);
  wide.resources = {icon, version};

  bool ok = Write(dir + "/version/pe32-one-table", pefixture::PeWithVersion(one)) &&
            Write(dir + "/version/pe32-two-tables", pefixture::PeWithVersion(two)) &&
            Write(dir + "/version/pe32plus-with-icon", pefixture::BuildPe(wide)) &&
            Write(dir + "/group_icon/one", Group(1)) && Write(dir + "/group_icon/three", Group(3));
  return ok ? 0 : 1;
}
