#include "CaptureOutput.h"

#include <windows.h>

#include <string>

#include "Command.h"
#include "Console.h"
#include "com/Owners.h"
#include "export/RegFileWriter.h"
#include "export/WixFragmentWriter.h"
#include "image/ExecutableProbes.h"
#include "model/CapturedRegistry.h"
#include "model/Component.h"
#include "model/ModelJson.h"

namespace twtool {
namespace {

using twutil::Bstr;
using twutil::Handle;

std::wstring KeyFileOf(IExtractComponent* component) {
  Bstr path;
  component->get_KeyFile(VARIANT_FALSE, path.Put());
  return std::wstring(path.Text(), path.Length());
}

// The bytes in a file made anew; false with the reason on stderr.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (!file.Valid() ||
      !WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    WriteError(L"twutil capture: cannot write " + path + L" (error " +
               std::to_wstring(GetLastError()) + L")\n");
    return false;
  }
  return true;
}

// The captured files as the exports take them; a component that kept no
// registry shows with none.
std::vector<twutil::exports::ExportedFile> ExportedFiles(
    const std::vector<IExtractComponent*>& components) {
  std::vector<twutil::exports::ExportedFile> files;
  for (IExtractComponent* component : components) {
    twutil::exports::ExportedFile file;
    file.keyFile = KeyFileOf(component);
    file.bitness = twutil::GetPEBitness(file.keyFile.c_str()) == 64 ? 64 : 32;
    if (const auto* entries = twutil::model::CapturedRegistryOf(component)) file.entries = *entries;
    twutil::model::SortCapturedEntries(&file.entries);
    files.push_back(std::move(file));
  }
  return files;
}

void ShowNotes(const std::vector<std::wstring>& notes) {
  for (const std::wstring& note : notes) WriteError(L"twutil capture: note: " + note + L"\n");
}

int Emit(const CaptureRequest& request, const std::string& bytes) {
  if (request.output.empty()) {
    WriteOut(bytes);
    return kExitSuccess;
  }
  return WriteFileBytes(request.output, bytes) ? kExitSuccess : kExitFailure;
}

}  // namespace

int WriteCapture(const CaptureRequest& request, const std::vector<IExtractComponent*>& components) {
  std::vector<std::wstring> notes;
  std::string bytes;
  switch (request.format) {
    case CaptureFormat::kJson:
      bytes = twutil::model::DumpComponentsJson(components.data(), components.size()) + "\n";
      break;
    case CaptureFormat::kReg: {
      twutil::exports::RegFileOptions options;
      options.installDir = request.installDir;
      bytes = twutil::exports::Utf16FileBytes(
          twutil::exports::WriteRegFile(ExportedFiles(components), options, &notes));
      break;
    }
    case CaptureFormat::kWxs: {
      twutil::exports::WixOptions options;
      options.directoryId = request.directoryId;
      options.sourceDir = request.sourceDir;
      options.codePage = request.codePage;
      bytes = twutil::exports::WriteWixFragment(ExportedFiles(components), options, &notes);
      break;
    }
  }
  ShowNotes(notes);
  return Emit(request, bytes);
}

size_t ReportUnregistered(const std::vector<IExtractComponent*>& components) {
  size_t failed = 0;
  for (IExtractComponent* component : components) {
    const twutil::model::CaptureResult* result = twutil::model::CaptureResultOf(component);
    if (!result || result->outcome == static_cast<LONG>(twutil::model::CaptureOutcome::kRegistered))
      continue;
    ++failed;
    const wchar_t* name = twutil::model::OutcomeName(result->outcome);
    std::wstring detail =
        result->detail.empty() ? (name ? name : L"not registered") : result->detail;
    WriteError(L"twutil capture: " + KeyFileOf(component) + L": " + detail + L"\n");
  }
  return failed;
}

}  // namespace twtool
