// Reads the raw version data of a virtual device driver (an LE executable)
// straight from the file: the Windows resource that the LE header points at.
#pragma once

#include <windows.h>

namespace twutil {

// Copies the version data of the VxD at path into buffer.
//
// *size is the buffer's size on entry and the data's size on exit. Returns
// true, with last error 0, when the data were copied; the whole buffer is
// zero-filled first. Otherwise false with last error:
//   ERROR_INSUFFICIENT_BUFFER  no buffer or too small; *size = data size
//   ERROR_BAD_FORMAT           not MZ/LE, or offsets reaching past the file
//   ERROR_RESOURCE_DATA_NOT_FOUND  no resource in the file; *size = 0
//   the system's error        the file cannot be opened or mapped
bool ExtractVxdVersionData(const wchar_t* path, DWORD* size, void* buffer);

}  // namespace twutil
