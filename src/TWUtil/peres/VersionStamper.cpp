#include "peres/VersionStamper.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "CodePage.h"
#include "Errors.h"
#include "image/ExecutableProbes.h"
#include "image/MappedFile.h"
#include "image/format/VersionLocator.h"
#include "image/format/VersionWalk.h"
#include "peres/StringStamper.h"

namespace twutil {
namespace {

using peformat::VersionSearch;

const char* LocateFailure(VersionSearch result) {
  switch (result) {
    case VersionSearch::kNotPE:
      return "%s is not a Win32 EXE or DLL";
    case VersionSearch::kDamagedHeader:
      return "%s has a damaged PE header.";
    case VersionSearch::kNoResources:
      return "%s does not contain any resources.";
    case VersionSearch::kNoVersionResource:
      return "%s does not contain a version resource.";
    case VersionSearch::kDamagedDirectory:
      return "%s has a damaged resource directory.";
    case VersionSearch::kDamagedVersionData:
      return "%s has a damaged version resource.";
    case VersionSearch::kNoFixedInfo:
      return "Fixed resource info not found in %s.";
    case VersionSearch::kFound:
      break;
  }
  return nullptr;
}

StampRequest Prepared(const StampRequest& request) {
  StampRequest prepared;
  prepared.companyName = PrepareStampText(request.companyName);
  prepared.productName = PrepareStampText(request.productName);
  prepared.productAndFileVersion = PrepareStampText(request.productAndFileVersion);
  prepared.description = PrepareStampText(request.description);
  prepared.copyright = PrepareStampText(request.copyright);
  prepared.language = request.language;
  return prepared;
}

}  // namespace

void StampFile(const char* ansiName, const StampRequest& request, StampSink& sink) {
  const char* shownName = ansiName ? ansiName : "(null)";
  std::wstring path = ansiName ? ToWide(ansiName, std::strlen(ansiName)) : std::wstring();
  MappedFile file(path.c_str(), MapMode::kWrite);
  if (!file.Opened()) {
    StampMessage(sink, kStampError, "Couldn't open %s for writing (%s)", shownName,
                 ToNarrow(SystemMessage(GetLastError())).c_str());
    return;
  }

  const ByteSpan image(file.Data(), file.Size());
  if (GetExecutableFormat(image) != kFormatPE) {
    StampMessage(sink, kStampError, "%s is not a Win32 EXE or DLL", shownName);
    return;
  }
  uint64_t root = 0;
  const VersionSearch found = peformat::LocateVersionInfo(image, &root);
  if (found != VersionSearch::kFound) {
    StampMessage(sink, kStampError, LocateFailure(found), shownName);
    return;
  }
  StampMessage(sink, kStampChange, "VS_FIXEDFILEINFO version information updated.");

  peformat::VersionBlock rootBlock;
  peformat::ReadVersionBlock(image, root, &rootBlock);
  const StampRequest prepared = Prepared(request);
  StringStamper stamper(peformat::WritableBytes(file.Data(), file.Size()), prepared, sink);
  peformat::WalkVersionInfo(image, rootBlock, stamper);
}

}  // namespace twutil
