// Helpers of the icon transfer tests: group directories, images with files
// around them, and the transfer object driven as a caller would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "PeBuilder.h"
#include "TWUtil.h"
#include "com/Owners.h"

namespace icontest {

using pefixture::Bytes;

// A group directory listing the images (each entry claims 8 bytes).
Bytes GroupDirectory(const std::vector<uint16_t>& imageIds);
// The image identifiers that a group directory lists.
std::vector<uint16_t> ListedImages(const Bytes& group);

pefixture::Resource GroupResource(uint16_t id, const std::vector<uint16_t>& imageIds,
                                  const std::u16string& name = u"");
pefixture::Resource ImageResource(uint16_t id, const Bytes& bytes);
// 8 bytes that tell the image apart.
Bytes ImageBytes(uint16_t id);

// A resource of a file read through the platform's resource API; empty when
// the file or the resource is missing.
Bytes ReadResource(const std::wstring& file, const wchar_t* type, const wchar_t* name);
Bytes ReadResource(const std::wstring& file, const wchar_t* type, uint16_t id);
// A resource of the running executable.
Bytes ReadOwnResource(const wchar_t* type, uint16_t id);

// The transfer object with its source and destination set (null for none).
twutil::ComPtr<ITWXferIconResource> Transfer(const wchar_t* source, const wchar_t* destination);

struct CopyResult {
  HRESULT hr;
  long result;   // varResult
  VARTYPE type;  // of nOutIndex afterwards
  long out;      // nOutIndex afterwards, as a long
};
CopyResult Copy(ITWXferIconResource* transfer, const VARIANT& iconIndex, VARIANT* outIndex);
CopyResult Copy(ITWXferIconResource* transfer, long iconIndex, long outIndex);

}  // namespace icontest
