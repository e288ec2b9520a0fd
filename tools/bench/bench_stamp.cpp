// In-place stamping against the resource-update service on the same image:
// a real executable, once as it is and once padded with a large section.
//   bench_stamp SOURCE.exe WORK_DIR PAD_MEGABYTES
// Prints the median seconds of five runs of each and the ratios.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "com/Owners.h"
#include "peres/VersionStamper.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t GetU32(const Bytes& bytes, size_t at) {
  uint32_t value = 0;
  std::memcpy(&value, &bytes.at(at), 4);
  return value;
}
uint16_t GetU16(const Bytes& bytes, size_t at) { return static_cast<uint16_t>(GetU32(bytes, at)); }
void PutU32(Bytes* bytes, size_t at, uint32_t value) { std::memcpy(&bytes->at(at), &value, 4); }
void PutU16(Bytes* bytes, size_t at, uint16_t value) { std::memcpy(&bytes->at(at), &value, 2); }

Bytes ReadBytes(const std::wstring& path) {
  twutil::Handle file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  Bytes bytes(file.Valid() ? GetFileSize(file.Get(), nullptr) : 0);
  DWORD read = 0;
  if (!bytes.empty()) ReadFile(file.Get(), bytes.data(), DWORD(bytes.size()), &read, nullptr);
  return bytes;
}

bool WriteBytes(const std::wstring& path, const Bytes& bytes) {
  twutil::Handle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  return file.Valid() &&
         WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

std::string Ansi(const std::wstring& text) {
  std::string out(text.size() * 2, '\0');
  out.resize(WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), &out[0], int(out.size()),
                                 nullptr, nullptr));
  return out;
}

// Keeps the errors of a run.
class ErrorSink : public twutil::StampSink {
 public:
  void Emit(int level, const char* text) override {
    if (level <= twutil::kStampError) errors += std::string(text) + "\n";
  }
  std::string errors;
};

// The company name of the file's first translation, or "".
std::wstring CompanyName(const std::wstring& file) {
  DWORD handle = 0;
  std::vector<BYTE> data(GetFileVersionInfoSizeW(file.c_str(), &handle));
  void* value = nullptr;
  UINT length = 0;
  if (data.empty() || !GetFileVersionInfoW(file.c_str(), 0, DWORD(data.size()), data.data()) ||
      !VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length) || length < 4)
    return L"";
  const DWORD translation = *static_cast<const DWORD*>(value);
  wchar_t key[64];
  swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\CompanyName", translation & 0xFFFF,
           translation >> 16);
  if (!VerQueryValueW(data.data(), key, &value, &length) || !value) return L"";
  return static_cast<const wchar_t*>(value);
}

double Now() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

uint32_t AlignUp(uint32_t value, uint32_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

// The image with one more section of padBytes zero bytes at its end.
Bytes Padded(Bytes image, uint32_t padBytes) {
  const uint32_t nt = GetU32(image, 0x3C);
  const uint16_t sections = GetU16(image, nt + 6);
  const uint16_t optionalSize = GetU16(image, nt + 20);
  const uint32_t sectionAlignment = GetU32(image, nt + 24 + 32);
  const uint32_t fileAlignment = GetU32(image, nt + 24 + 36);
  const size_t table = nt + 24 + optionalSize;
  uint32_t end = 0;
  for (uint16_t i = 0; i < sections; ++i) {
    const size_t header = table + 40u * i;
    const uint32_t size = std::max(GetU32(image, header + 8), GetU32(image, header + 16));
    end = std::max(end, GetU32(image, header + 12) + size);
  }
  const uint32_t va = AlignUp(end, sectionAlignment);
  const uint32_t raw = AlignUp(static_cast<uint32_t>(image.size()), fileAlignment);
  const size_t header = table + 40u * sections;
  for (size_t i = 0; i < 40; ++i) image[header + i] = 0;
  const char name[] = ".pad";
  for (size_t i = 0; i < 4; ++i) image[header + i] = static_cast<uint8_t>(name[i]);
  PutU32(&image, header + 8, padBytes);
  PutU32(&image, header + 12, va);
  PutU32(&image, header + 16, padBytes);
  PutU32(&image, header + 20, raw);
  PutU32(&image, header + 36, 0x40000040);
  PutU16(&image, nt + 6, static_cast<uint16_t>(sections + 1));
  PutU32(&image, nt + 24 + 56, AlignUp(va + padBytes, sectionAlignment));
  image.resize(raw + padBytes, 0);
  return image;
}

twutil::StampRequest Request() {
  twutil::StampRequest request;
  request.companyName = L"Tarnwick";
  request.productAndFileVersion = L"2.5.0.12";
  return request;
}

double StampInPlace(const std::wstring& file) {
  ErrorSink sink;
  const double start = Now();
  twutil::StampFile(Ansi(file).c_str(), Request(), sink);
  const double seconds = Now() - start;
  if (!sink.errors.empty()) {
    std::fprintf(stderr, "stamping failed: %s", sink.errors.c_str());
    std::exit(1);
  }
  return seconds;
}

BOOL CALLBACK FirstLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
  *reinterpret_cast<WORD*>(param) = language;
  return FALSE;
}

// Writes the stamped file's version resource into the other copy through
// BeginUpdateResource / UpdateResource / EndUpdateResource.
double UpdateThroughService(const std::wstring& stamped, const std::wstring& file) {
  HMODULE module = LoadLibraryExW(stamped.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC found = module ? FindResourceW(module, MAKEINTRESOURCEW(1), RT_VERSION) : nullptr;
  if (!found) {
    std::fprintf(stderr, "no version resource to copy\n");
    std::exit(1);
  }
  const DWORD size = SizeofResource(module, found);
  const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
  Bytes version(data, data + size);
  FreeLibrary(module);
  // Replaced under the language it already has.
  WORD language = 0;
  HMODULE target = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  EnumResourceLanguagesW(target, RT_VERSION, MAKEINTRESOURCEW(1), FirstLanguage,
                         reinterpret_cast<LONG_PTR>(&language));
  if (target) FreeLibrary(target);

  const double start = Now();
  HANDLE update = BeginUpdateResourceW(file.c_str(), FALSE);
  BOOL ok = update && UpdateResourceW(update, RT_VERSION, MAKEINTRESOURCEW(1), language,
                                      version.data(), size);
  ok = update && EndUpdateResourceW(update, !ok) && ok;
  const double seconds = Now() - start;
  if (!ok) {
    std::fprintf(stderr, "the resource-update service failed (%lu)\n", GetLastError());
    std::exit(1);
  }
  return seconds;
}

bool SameVersion(const std::wstring& a, const std::wstring& b) {
  const std::wstring first = CompanyName(a);
  return first == CompanyName(b) && first.rfind(L"Tarnwick", 0) == 0;
}

constexpr int kRuns = 5;

struct Timing {
  double inPlace;
  double service;
};

Timing Measure(const Bytes& image, const std::wstring& dir, const wchar_t* tag) {
  const std::wstring a = dir + L"\\stamp_" + tag + L".exe";
  const std::wstring b = dir + L"\\update_" + tag + L".exe";
  if (!WriteBytes(a, image) || !WriteBytes(b, image)) {
    std::fprintf(stderr, "cannot write the copies\n");
    std::exit(1);
  }
  // The median of a few runs on the same copies: both can be repeated.
  double inPlace[kRuns], service[kRuns];
  for (int i = 0; i < kRuns; ++i) inPlace[i] = StampInPlace(a);
  for (int i = 0; i < kRuns; ++i) service[i] = UpdateThroughService(a, b);
  std::sort(inPlace, inPlace + kRuns);
  std::sort(service, service + kRuns);
  Timing timing;
  timing.inPlace = inPlace[kRuns / 2];
  timing.service = service[kRuns / 2];
  if (!SameVersion(a, b)) {
    std::fprintf(stderr, "the two copies do not read the same\n");
    std::exit(1);
  }
  DeleteFileW(a.c_str());
  DeleteFileW(b.c_str());
  return timing;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: bench_stamp SOURCE.exe WORK_DIR PAD_MEGABYTES\n");
    return 2;
  }
  const Bytes source = ReadBytes(argv[1]);
  if (source.empty()) {
    std::fprintf(stderr, "cannot read the source image\n");
    return 1;
  }
  const uint32_t padBytes = static_cast<uint32_t>(_wtoi(argv[3])) * 1024u * 1024u;
  const Bytes padded = Padded(source, padBytes);

  const Timing small = Measure(source, argv[2], L"small");
  const Timing large = Measure(padded, argv[2], L"large");
  std::printf("image:                   %.1f MB as shipped, %.1f MB padded\n",
              source.size() / 1048576.0, padded.size() / 1048576.0);
  std::printf("in place, as shipped:    %.6f s\n", small.inPlace);
  std::printf("in place, padded:        %.6f s\n", large.inPlace);
  std::printf("update service, shipped: %.6f s\n", small.service);
  std::printf("update service, padded:  %.6f s\n", large.service);
  std::printf("ratio service / in place (padded): %.0f\n", large.service / large.inPlace);
  std::printf("growth padded / shipped: in place %.2f, service %.2f\n",
              large.inPlace / small.inPlace, large.service / small.service);
  return 0;
}
