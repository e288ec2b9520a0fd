// The walk over a version resource that stamping makes: the root's children
// in file order, every string of every string table, and the first variable
// of VarFileInfo. The visitor decides what a key is and what to write.
#pragma once

#include "image/ByteSpan.h"
#include "image/format/VersionBlock.h"

namespace twutil {
namespace peformat {

class VersionVisitor {
 public:
  virtual ~VersionVisitor() = default;
  // Whether the block's key is the ASCII name, compared as the caller
  // converts keys.
  virtual bool KeyIs(const VersionBlock& block, const char* name) = 0;
  virtual void OnStringFileInfo() {}
  virtual void OnStringTable(const VersionBlock& /*table*/) {}
  virtual void OnString(const VersionBlock& /*table*/, const VersionBlock& /*string*/) {}
  // The first child of VarFileInfo, taken as "Translation".
  virtual void OnTranslation(const VersionBlock& /*variable*/) {}
};

// root is the VS_VERSIONINFO block found by LocateVersionInfo. The visitor
// may write into the value of the block it is given; the walk reads the
// image afresh as it goes.
void WalkVersionInfo(const ByteSpan& image, const VersionBlock& root, VersionVisitor& visitor);

}  // namespace peformat
}  // namespace twutil
