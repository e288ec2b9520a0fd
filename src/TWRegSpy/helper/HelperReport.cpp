#include "HelperReport.h"

#include <cstring>

namespace twregspy {
namespace {

constexpr size_t kHeadBytes = 5 * sizeof(DWORD);

void PutDword(std::vector<BYTE>* bytes, DWORD value) {
  const BYTE* raw = reinterpret_cast<const BYTE*>(&value);
  bytes->insert(bytes->end(), raw, raw + sizeof(value));
}

bool GetDword(const BYTE* bytes, size_t size, size_t* at, DWORD* value) {
  if (size - *at < sizeof(DWORD)) return false;
  std::memcpy(value, bytes + *at, sizeof(DWORD));
  *at += sizeof(DWORD);
  return true;
}

}  // namespace

void HelperReport::AddNote(const std::wstring& note) {
  if (notes.size() >= kMaxReportNotes) return;
  notes.push_back(note.size() > kMaxNoteChars ? note.substr(0, kMaxNoteChars) : note);
}

std::vector<BYTE> EncodeReport(const HelperReport& report) {
  std::vector<BYTE> bytes;
  const size_t count =
      report.notes.size() < kMaxReportNotes ? report.notes.size() : kMaxReportNotes;
  PutDword(&bytes, kReportMagic);
  PutDword(&bytes, report.result);
  PutDword(&bytes, report.code);
  PutDword(&bytes, static_cast<DWORD>(count));
  PutDword(&bytes, report.flags);
  for (size_t i = 0; i < count; ++i) {
    const std::wstring& note = report.notes[i];
    const size_t chars = note.size() < kMaxNoteChars ? note.size() : kMaxNoteChars;
    PutDword(&bytes, static_cast<DWORD>(chars));
    const BYTE* raw = reinterpret_cast<const BYTE*>(note.data());
    bytes.insert(bytes.end(), raw, raw + chars * sizeof(wchar_t));
  }
  return bytes;
}

bool DecodeReport(const BYTE* bytes, size_t size, HelperReport* report) {
  if (!bytes || size < kHeadBytes || size > kMaxReportBytes) return false;
  size_t at = 0;
  DWORD magic = 0, count = 0;
  HelperReport read;
  GetDword(bytes, size, &at, &magic);
  GetDword(bytes, size, &at, &read.result);
  GetDword(bytes, size, &at, &read.code);
  GetDword(bytes, size, &at, &count);
  GetDword(bytes, size, &at, &read.flags);
  if (magic != kReportMagic || count > kMaxReportNotes || (read.flags & ~kReportSaveShowsArea))
    return false;
  for (DWORD i = 0; i < count; ++i) {
    DWORD chars = 0;
    if (!GetDword(bytes, size, &at, &chars) || chars > kMaxNoteChars ||
        size - at < chars * sizeof(wchar_t))
      return false;
    std::wstring note(chars, L'\0');
    if (chars) std::memcpy(&note[0], bytes + at, chars * sizeof(wchar_t));
    at += chars * sizeof(wchar_t);
    read.notes.push_back(note);
  }
  if (at != size) return false;
  *report = read;
  return true;
}

}  // namespace twregspy
