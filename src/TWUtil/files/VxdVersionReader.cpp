#include "files/VxdVersionReader.h"

#include <cstring>

#include "image/MappedFile.h"
#include "image/format/PeLayout.h"

namespace twutil {
namespace {

constexpr uint32_t kLESignature = 0x0000454C;  // "LE", byte order 0, word order 0
constexpr uint64_t kResourceOffsetField = 0xB8;
constexpr uint64_t kResourceLengthField = 0xBC;
// The resource begins with a 12-byte header whose last field is the data size.
constexpr uint64_t kResourceHeaderSize = 12;
constexpr uint64_t kDataSizeField = 8;

bool Fail(DWORD error) {
  SetLastError(error);
  return false;
}

// The version data inside the image, or an error code.
DWORD FindVersionData(const ByteSpan& image, ByteSpan* data) {
  uint64_t header = 0;
  uint32_t signature = 0;
  if (!peformat::NewHeaderOffset(image, &header) || !image.ReadU32(header, &signature) ||
      signature != kLESignature)
    return ERROR_BAD_FORMAT;

  uint32_t resourceOffset = 0;
  uint32_t resourceLength = 0;
  if (!image.ReadU32(header + kResourceOffsetField, &resourceOffset) ||
      !image.ReadU32(header + kResourceLengthField, &resourceLength))
    return ERROR_BAD_FORMAT;
  if (resourceLength == 0) return ERROR_RESOURCE_DATA_NOT_FOUND;

  uint32_t dataSize = 0;
  if (!image.ReadU32(uint64_t{resourceOffset} + kDataSizeField, &dataSize) ||
      !image.Slice(uint64_t{resourceOffset} + kResourceHeaderSize, dataSize, data))
    return ERROR_BAD_FORMAT;
  return ERROR_SUCCESS;
}

}  // namespace

bool ExtractVxdVersionData(const wchar_t* path, DWORD* size, void* buffer) {
  MappedFile file(path ? path : L"");
  if (!file.Opened()) return false;  // keeps the system's error

  ByteSpan data;
  DWORD error = FindVersionData(file.Bytes(), &data);
  if (error == ERROR_RESOURCE_DATA_NOT_FOUND) *size = 0;
  if (error != ERROR_SUCCESS) return Fail(error);

  DWORD dataSize = static_cast<DWORD>(data.Size());
  if (!buffer || *size < dataSize) {
    *size = dataSize;
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  memset(buffer, 0, *size);
  memcpy(buffer, data.Data(), dataSize);
  *size = dataSize;
  SetLastError(ERROR_SUCCESS);
  return true;
}

}  // namespace twutil
