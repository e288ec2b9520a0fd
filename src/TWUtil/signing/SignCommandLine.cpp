#include "signing/SignCommandLine.h"

namespace twutil {
namespace {

void AppendQuoted(std::wstring* line, const wchar_t* text) {
  line->push_back(L'"');
  if (text) line->append(text);
  line->push_back(L'"');
}

void AppendSwitch(std::wstring* line, const wchar_t* name, const wchar_t* text) {
  line->append(L" ");
  line->append(name);
  line->append(L" ");
  AppendQuoted(line, text);
}

}  // namespace

std::wstring SignCommandLine(const SignCodeOption* options, const wchar_t* file) {
  const SignCodeOption none = {};
  const SignCodeOption& o = options ? *options : none;
  std::wstring line;
  AppendQuoted(&line, o.sFullPathSignCode);
  AppendSwitch(&line, L"-spc", o.sSPC);
  AppendSwitch(&line, L"-v", o.sPVK);
  if (o.sTxtName) AppendSwitch(&line, L"-n", o.sTxtName);
  if (o.sURL) AppendSwitch(&line, L"-i", o.sURL);
  line.append(L" -a MD5");
  AppendSwitch(&line, L"-t", o.sTimeStampServer);
  line.append(L" ");
  AppendQuoted(&line, file);
  return line;
}

}  // namespace twutil
