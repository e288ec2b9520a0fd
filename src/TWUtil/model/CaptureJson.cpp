#include "model/CaptureJson.h"

#include <cstring>
#include <vector>

#include "com/Owners.h"
#include "image/ExecutableProbes.h"
#include "model/CapturedRegistry.h"
#include "model/Component.h"

namespace twutil::model {
namespace {

// The value in the form its type suggests; data that does not have that
// form exactly shows as hex with "Raw" set, so nothing is lost or mended.
void WriteValue(JsonWriter& w, const CapturedEntry& entry) {
  w.Key("Value");
  switch (entry.type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_LINK:
      if (std::optional<std::wstring> text = CanonicalText(entry.data)) return w.String(*text);
      break;
    case REG_MULTI_SZ:
      if (std::optional<std::vector<std::wstring>> texts = CanonicalTextList(entry.data)) {
        w.BeginArray();
        for (const std::wstring& text : *texts) w.String(text);
        return w.EndArray();
      }
      break;
    case REG_DWORD:
      if (entry.data.size() == sizeof(DWORD)) {
        DWORD number = 0;
        memcpy(&number, entry.data.data(), sizeof(number));
        return w.Unsigned(number);
      }
      break;
    case REG_QWORD:
      if (entry.data.size() == sizeof(ULONGLONG)) {
        ULONGLONG number = 0;
        memcpy(&number, entry.data.data(), sizeof(number));
        return w.Unsigned(number);
      }
      break;
    default:
      return w.String(HexDigits(entry.data));
  }
  w.String(HexDigits(entry.data));
  w.Key("Raw");
  w.Bool(true);
}

void WriteEntry(JsonWriter& w, const CapturedEntry& entry) {
  w.BeginObject();
  w.Key("Hive");
  const wchar_t* hive = RootName(entry.root);
  if (hive) {
    w.String(hive, wcslen(hive));
  } else {
    w.Unsigned(entry.root);
  }
  w.Key("Key");
  w.String(entry.key);
  if (!entry.keyOnly) {
    w.Key("Name");
    if (entry.name) {
      w.String(*entry.name);
    } else {
      w.Null();
    }
    w.Key("Type");
    w.String(RegistryTypeName(entry.type));
    WriteValue(w, entry);
  }
  w.EndObject();
}

void WriteBitness(JsonWriter& w, IExtractComponent* component) {
  w.Key("Bitness");
  Bstr keyFile;
  int bits = 0;
  if (SUCCEEDED(component->get_KeyFile(VARIANT_FALSE, keyFile.Put())))
    bits = GetPEBitness(keyFile.Text());
  if (bits == 0) return w.Null();
  w.Number(bits);
}

void WriteOutcome(JsonWriter& w, IExtractComponent* component) {
  w.Key("Outcome");
  const CaptureResult* result = CaptureResultOf(component);
  if (!result) return w.Null();
  w.BeginObject();
  w.Key("Result");
  const wchar_t* name = OutcomeName(result->outcome);
  if (name) {
    w.String(name, wcslen(name));
  } else {
    w.Number(result->outcome);
  }
  w.Key("Detail");
  w.String(result->detail);
  w.EndObject();
}

void WriteRegistry(JsonWriter& w, IExtractComponent* component) {
  w.Key("Registry");
  const std::vector<CapturedEntry>* captured = CapturedRegistryOf(component);
  if (!captured) return w.Null();
  std::vector<CapturedEntry> sorted(*captured);
  SortCapturedEntries(&sorted);
  w.BeginArray();
  for (const CapturedEntry& entry : sorted) WriteEntry(w, entry);
  w.EndArray();
}

}  // namespace

void WriteCaptureMembers(JsonWriter& w, IExtractComponent* component) {
  WriteBitness(w, component);
  WriteOutcome(w, component);
  WriteRegistry(w, component);
}

}  // namespace twutil::model
