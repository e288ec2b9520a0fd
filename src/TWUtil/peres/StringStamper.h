// The visitor of a stamping run: matches keys as the system ANSI code page
// spells them, rewrites the requested strings and the translation language,
// and reports what it finds and changes.
#pragma once

#include <string>

#include "image/format/VersionWalk.h"
#include "image/format/WritableBytes.h"
#include "peres/StampDiagnostics.h"
#include "peres/StampRequest.h"

namespace twutil {

class StringStamper : public peformat::VersionVisitor {
 public:
  // The request's texts must already be prepared (PrepareStampText).
  StringStamper(peformat::WritableBytes image, const StampRequest& prepared, StampSink& sink)
      : image_(image), request_(prepared), sink_(sink) {}

  bool KeyIs(const peformat::VersionBlock& block, const char* name) override;
  void OnStringFileInfo() override;
  void OnStringTable(const peformat::VersionBlock& table) override;
  void OnString(const peformat::VersionBlock& table, const peformat::VersionBlock& string) override;
  void OnTranslation(const peformat::VersionBlock& variable) override;

 private:
  // The request's text for the key, and the name that the messages use.
  const std::wstring* FieldFor(const peformat::VersionBlock& string, const char** label);
  std::string TableKey(const peformat::VersionBlock& table);

  peformat::WritableBytes image_;
  const StampRequest& request_;
  StampSink& sink_;
};

}  // namespace twutil
