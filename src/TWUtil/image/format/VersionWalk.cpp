#include "image/format/VersionWalk.h"

namespace twutil {
namespace peformat {
namespace {

void WalkStrings(const ByteSpan& image, const VersionBlock& fileInfo, VersionVisitor& visitor) {
  visitor.OnStringFileInfo();
  ForEachChild(image, fileInfo.valueOffset, fileInfo.End(), [&](const VersionBlock& table) {
    visitor.OnStringTable(table);
    ForEachChild(image, table.valueOffset, table.End(),
                 [&](const VersionBlock& string) { visitor.OnString(table, string); });
  });
}

void WalkTranslation(const ByteSpan& image, const VersionBlock& varInfo, VersionVisitor& visitor) {
  VersionBlock variable;
  if (varInfo.valueOffset < varInfo.End() &&
      ReadVersionBlock(image, varInfo.valueOffset, &variable) && variable.length != 0)
    visitor.OnTranslation(variable);
}

}  // namespace

void WalkVersionInfo(const ByteSpan& image, const VersionBlock& root, VersionVisitor& visitor) {
  const uint64_t firstChild = AlignTo4(root.valueOffset + kFixedFileInfoSize);
  ForEachChild(image, firstChild, root.End(), [&](const VersionBlock& child) {
    if (visitor.KeyIs(child, "VarFileInfo"))
      WalkTranslation(image, child, visitor);
    else if (visitor.KeyIs(child, "StringFileInfo"))
      WalkStrings(image, child, visitor);
  });
}

}  // namespace peformat
}  // namespace twutil
