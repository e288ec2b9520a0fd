#include "KeysBeyondSave.h"

// winternl.h builds on windows.h.
#include <winternl.h>

namespace twregspy {
namespace {

KeyBeyondSaveSink sink = nullptr;

// ntdll's own, which the SDK headers do not declare.
using NtCreateKeyFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, ULONG,
                                       PUNICODE_STRING, ULONG, PULONG);
using NtCreateKeyTransactedFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, ULONG,
                                                 PUNICODE_STRING, ULONG, HANDLE, PULONG);

struct Originals {
  NtCreateKeyFn createKey;
  NtCreateKeyTransactedFn createKeyTransacted;
};
Originals originals = {};

NTSTATUS NTAPI CreateKey(PHANDLE key, ACCESS_MASK access, POBJECT_ATTRIBUTES attributes,
                         ULONG index, PUNICODE_STRING keyClass, ULONG options, PULONG disposition) {
  CheckKeyCreation(options, keyClass && keyClass->Length);
  return originals.createKey(key, access, attributes, index, keyClass, options, disposition);
}

NTSTATUS NTAPI CreateKeyTransacted(PHANDLE key, ACCESS_MASK access, POBJECT_ATTRIBUTES attributes,
                                   ULONG index, PUNICODE_STRING keyClass, ULONG options,
                                   HANDLE transaction, PULONG disposition) {
  CheckKeyCreation(options, keyClass && keyClass->Length);
  return originals.createKeyTransacted(key, access, attributes, index, keyClass, options,
                                       transaction, disposition);
}

const ImportReplacement kReplacements[] = {
    {"NtCreateKey", Untyped(&CreateKey), reinterpret_cast<void**>(&originals.createKey)},
    {"NtCreateKeyTransacted", Untyped(&CreateKeyTransacted),
     reinterpret_cast<void**>(&originals.createKeyTransacted)},
};

}  // namespace

void SetKeyBeyondSaveSink(KeyBeyondSaveSink newSink) { sink = newSink; }

void CheckKeyCreation(DWORD options, bool withClass) {
  if (((options & (REG_OPTION_VOLATILE | REG_OPTION_CREATE_LINK)) || withClass) && sink) sink();
}

const ImportReplacement* KeyBeyondSaveReplacements(size_t* count) {
  *count = sizeof(kReplacements) / sizeof(kReplacements[0]);
  return kReplacements;
}

}  // namespace twregspy
