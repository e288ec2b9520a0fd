// The harvest suites read a model back as one line per item, with the
// properties in the model's member order separated by "|", so an expected
// model is written by hand as a short list of lines.
#pragma once

#include <string>
#include <vector>

#include "TWUtil.h"

namespace harvesttest {

// LibID|LibLCID|LibDescription|LibVersion|HelpDir
std::vector<std::wstring> TypeLibraryLines(IExtractComponent* component);
// Guid|Description|ProgID|AppID|DefaultIcon|IconIndex|Name:DefInprocHandler:Argument,...
std::vector<std::wstring> ClassLines(IExtractComponent* component);
// Guid|RemoteServerName|LocalService|ServiceParameters|DllSurrogate|Description|
// ActivateAtStorage|RunAsInteractiveUser
std::vector<std::wstring> AppIDLines(IExtractComponent* component);
// ProgID|ClassID|Description|Parent|DefaultIcon|IconIndex
std::vector<std::wstring> ProgIDLines(IExtractComponent* component);
// Verb|Command|ProgID (the linked item's)|Argument|Sequence|PEFile|Extension
std::vector<std::wstring> VerbLines(IExtractComponent* component, const wchar_t* progId);
// Extension|ProgID|MIME
std::vector<std::wstring> ExtensionLines(IExtractComponent* component);
// Extension|Content|CLSID
std::vector<std::wstring> MIMELines(IExtractComponent* component);

}  // namespace harvesttest
