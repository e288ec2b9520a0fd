// One owner for every kind of handle: the traits say what the handle is,
// which value means "none" and how one is let go. Each kind is an alias.
#pragma once

#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <utility>

namespace twutil {

template <class Traits>
class UniqueAny {
 public:
  using Type = typename Traits::Type;

  UniqueAny() = default;
  explicit UniqueAny(Type value) : value_(value) {}
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;
  UniqueAny(UniqueAny&& other) noexcept : value_(other.Release()) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~UniqueAny() { Reset(); }

  // Lets the held handle go and holds value instead.
  void Reset(Type value = Traits::None()) {
    Type old = std::exchange(value_, value);
    if (Traits::Holds(old)) Traits::Close(old);
  }
  Type Get() const { return value_; }
  // For a function that writes a new handle: the old one goes first.
  Type* Put() {
    Reset();
    return &value_;
  }
  // Gives up ownership, for a handle that something else now owns.
  Type Release() { return std::exchange(value_, Traits::None()); }
  bool Valid() const { return Traits::Holds(value_); }
  explicit operator bool() const { return Valid(); }

 private:
  Type value_ = Traits::None();
};

// Traits for a handle whose "none" is null and that one function lets go.
template <class T, auto close>
struct NullIsNone {
  using Type = T;
  static constexpr T None() { return nullptr; }
  static bool Holds(T value) { return value != nullptr; }
  static void Close(T value) { close(value); }
};

struct RegKeyTraits {
  using Type = HKEY;
  static constexpr HKEY None() { return nullptr; }
  static bool Holds(HKEY key) { return key != nullptr; }
  // Predefined root keys are never closed.
  static void Close(HKEY key) {
    if ((reinterpret_cast<ULONG_PTR>(key) & 0xF0000000u) != 0x80000000u) RegCloseKey(key);
  }
};

// Kernel handles: null and INVALID_HANDLE_VALUE both mean "none".
struct KernelHandleTraits {
  using Type = HANDLE;
  static constexpr HANDLE None() { return nullptr; }
  static bool Holds(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { CloseHandle(handle); }
};

struct FindHandleTraits {
  using Type = HANDLE;
  static HANDLE None() { return INVALID_HANDLE_VALUE; }
  static bool Holds(HANDLE handle) { return handle != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { FindClose(handle); }
};

inline void DeleteGdiObject(HGDIOBJ object) { DeleteObject(object); }
inline void UnloadModule(HMODULE module) { FreeLibrary(module); }
inline void UnmapView(void* view) { UnmapViewOfFile(view); }
inline void FreeCoTaskText(wchar_t* text) { CoTaskMemFree(text); }
inline void DestroySafeArray(SAFEARRAY* array) { SafeArrayDestroy(array); }
inline void ReleasePages(void* pages) { VirtualFree(pages, 0, MEM_RELEASE); }

using RegKey = UniqueAny<RegKeyTraits>;
using Handle = UniqueAny<KernelHandleTraits>;
using FindHandle = UniqueAny<FindHandleTraits>;
using GdiObject = UniqueAny<NullIsNone<HGDIOBJ, DeleteGdiObject>>;
using ModuleHandle = UniqueAny<NullIsNone<HMODULE, UnloadModule>>;
using MappedView = UniqueAny<NullIsNone<void*, UnmapView>>;
using CoTaskString = UniqueAny<NullIsNone<wchar_t*, FreeCoTaskText>>;
using SafeArray = UniqueAny<NullIsNone<SAFEARRAY*, DestroySafeArray>>;
using VirtualPages = UniqueAny<NullIsNone<void*, ReleasePages>>;  // from VirtualAlloc

}  // namespace twutil
