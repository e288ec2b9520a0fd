// Owners for the two resource handles of the icon transfer: a module loaded
// as a data file, and a pending resource update that is abandoned unless it
// is committed.
#pragma once

#include <windows.h>

namespace twutil {

class DataModule {
 public:
  DataModule() = default;
  // Loads the file as data (no code runs); Loaded() tells whether it worked.
  explicit DataModule(const wchar_t* path)
      : module_(LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
  ~DataModule() { Reset(); }
  DataModule(const DataModule&) = delete;
  DataModule& operator=(const DataModule&) = delete;
  DataModule& operator=(DataModule&& other) noexcept {
    if (this != &other) {
      Reset();
      module_ = other.module_;
      other.module_ = nullptr;
    }
    return *this;
  }

  void Reset() {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
  }
  HMODULE Get() const { return module_; }
  bool Loaded() const { return module_ != nullptr; }

 private:
  HMODULE module_ = nullptr;
};

class ResourceUpdate {
 public:
  // Keeps the file's existing resources.
  explicit ResourceUpdate(const wchar_t* path) : update_(BeginUpdateResourceW(path, FALSE)) {}
  ~ResourceUpdate() {
    if (update_) EndUpdateResourceW(update_, TRUE);
  }
  ResourceUpdate(const ResourceUpdate&) = delete;
  ResourceUpdate& operator=(const ResourceUpdate&) = delete;

  HANDLE Get() const { return update_; }
  bool Opened() const { return update_ != nullptr; }
  // Writes the file; true when that worked. Nothing is left to abandon.
  bool Commit() {
    HANDLE update = update_;
    update_ = nullptr;
    return EndUpdateResourceW(update, FALSE) != FALSE;
  }

 private:
  HANDLE update_;
};

}  // namespace twutil
