// In-place stamping against the resource-update service on the same image:
// a real executable, once as it is and once padded with a large section.
//   bench_stamp SOURCE.exe WORK_DIR PAD_MEGABYTES
// Prints the median seconds of five runs of each and the ratios.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "PeBuilder.h"
#include "PeresTestSupport.h"
#include "peres/VersionStamper.h"

using pefixture::Bytes;

namespace {

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
  const uint32_t nt = pefixture::GetU32(image, 0x3C);
  const uint16_t sections = pefixture::GetU16(image, nt + 6);
  const uint16_t optionalSize = pefixture::GetU16(image, nt + 20);
  const uint32_t sectionAlignment = pefixture::GetU32(image, nt + 24 + 32);
  const uint32_t fileAlignment = pefixture::GetU32(image, nt + 24 + 36);
  const size_t table = nt + 24 + optionalSize;
  uint32_t end = 0;
  for (uint16_t i = 0; i < sections; ++i) {
    const size_t header = table + 40u * i;
    const uint32_t size =
        std::max(pefixture::GetU32(image, header + 8), pefixture::GetU32(image, header + 16));
    end = std::max(end, pefixture::GetU32(image, header + 12) + size);
  }
  const uint32_t va = AlignUp(end, sectionAlignment);
  const uint32_t raw = AlignUp(static_cast<uint32_t>(image.size()), fileAlignment);
  const size_t header = table + 40u * sections;
  for (size_t i = 0; i < 40; ++i) image[header + i] = 0;
  const char name[] = ".pad";
  for (size_t i = 0; i < 4; ++i) image[header + i] = static_cast<uint8_t>(name[i]);
  pefixture::PutU32(&image, header + 8, padBytes);
  pefixture::PutU32(&image, header + 12, va);
  pefixture::PutU32(&image, header + 16, padBytes);
  pefixture::PutU32(&image, header + 20, raw);
  pefixture::PutU32(&image, header + 36, 0x40000040);
  pefixture::PutU16(&image, nt + 6, static_cast<uint16_t>(sections + 1));
  pefixture::PutU32(&image, nt + 24 + 56, AlignUp(va + padBytes, sectionAlignment));
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
  perestest::RecordingSink sink;
  const double start = Now();
  twutil::StampFile(perestest::Ansi(file).c_str(), Request(), sink);
  const double seconds = Now() - start;
  if (!sink.Lines(twutil::kStampError).empty()) {
    std::fprintf(stderr, "stamping failed: %s", sink.Lines(twutil::kStampError).c_str());
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
  const DWORD translation = perestest::QueryTranslation(a);
  wchar_t key[64];
  swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\CompanyName", translation & 0xFFFF,
           translation >> 16);
  std::wstring first, second;
  return perestest::QueryVersionString(a, key, &first) &&
         perestest::QueryVersionString(b, key, &second) && first == second &&
         first.rfind(L"Tarnwick", 0) == 0;
}

constexpr int kRuns = 5;

struct Timing {
  double inPlace;
  double service;
};

Timing Measure(const Bytes& image, const std::wstring& dir, const wchar_t* tag) {
  const std::wstring a = dir + L"\\stamp_" + tag + L".exe";
  const std::wstring b = dir + L"\\update_" + tag + L".exe";
  if (!perestest::WriteBytes(a, image) || !perestest::WriteBytes(b, image)) {
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
  const Bytes source = perestest::ReadBytes(argv[1]);
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
