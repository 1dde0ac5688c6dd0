// Owners for Win32 handles and COM references, shared by both DLLs. Header-only on purpose:
// nothing links the two modules together.
#pragma once

#include <objbase.h>
#include <windows.h>

#include "common/scoped_file.h"

namespace corvane {

// Registry key, closed with RegCloseKey.
class ScopedRegKey {
public:
  ScopedRegKey() = default;
  explicit ScopedRegKey(HKEY key) noexcept : key_(key) {}
  ~ScopedRegKey() { Reset(); }
  ScopedRegKey(const ScopedRegKey&) = delete;
  ScopedRegKey& operator=(const ScopedRegKey&) = delete;

  HKEY Get() const noexcept { return key_; }
  // For the out-parameter of RegOpenKeyEx and friends; closes what was held.
  HKEY* Receive() noexcept {
    Reset();
    return &key_;
  }
  void Reset() noexcept {
    if (key_ != nullptr) {
      RegCloseKey(key_);
      key_ = nullptr;
    }
  }

private:
  HKEY key_ = nullptr;
};

// Loaded module, unloaded with FreeLibrary.
class ScopedModule {
public:
  ScopedModule() = default;
  explicit ScopedModule(HMODULE module) noexcept : module_(module) {}
  ~ScopedModule() { Reset(); }
  ScopedModule(const ScopedModule&) = delete;
  ScopedModule& operator=(const ScopedModule&) = delete;

  HMODULE Get() const noexcept { return module_; }
  explicit operator bool() const noexcept { return module_ != nullptr; }
  void Reset() noexcept {
    if (module_ != nullptr) {
      FreeLibrary(module_);
      module_ = nullptr;
    }
  }

private:
  HMODULE module_ = nullptr;
};

// Storage medium filled by IDataObject::GetData, given back with ReleaseStgMedium.
class ScopedStgMedium {
public:
  ScopedStgMedium() noexcept : medium_() {}
  ~ScopedStgMedium() { ReleaseStgMedium(&medium_); }
  ScopedStgMedium(const ScopedStgMedium&) = delete;
  ScopedStgMedium& operator=(const ScopedStgMedium&) = delete;

  STGMEDIUM* Receive() noexcept { return &medium_; }
  const STGMEDIUM& Get() const noexcept { return medium_; }

private:
  STGMEDIUM medium_;
};

// Locked global memory block, unlocked with GlobalUnlock.
class ScopedGlobalLock {
public:
  explicit ScopedGlobalLock(HGLOBAL memory) noexcept
      : memory_(memory), data_(memory != nullptr ? GlobalLock(memory) : nullptr) {}
  ~ScopedGlobalLock() {
    if (data_ != nullptr) {
      GlobalUnlock(memory_);
    }
  }
  ScopedGlobalLock(const ScopedGlobalLock&) = delete;
  ScopedGlobalLock& operator=(const ScopedGlobalLock&) = delete;

  void* Get() const noexcept { return data_; }

private:
  HGLOBAL memory_;
  void* data_;
};

// Global memory block that is still ours (not yet handed to a medium), freed with GlobalFree.
class ScopedHGlobal {
public:
  explicit ScopedHGlobal(HGLOBAL memory = nullptr) noexcept : memory_(memory) {}
  ~ScopedHGlobal() {
    if (memory_ != nullptr) {
      GlobalFree(memory_);
    }
  }
  ScopedHGlobal(const ScopedHGlobal&) = delete;
  ScopedHGlobal& operator=(const ScopedHGlobal&) = delete;

  HGLOBAL Get() const noexcept { return memory_; }
  HGLOBAL Release() noexcept {
    HGLOBAL memory = memory_;
    memory_ = nullptr;
    return memory;
  }

private:
  HGLOBAL memory_;
};

// Held critical section: entered on construction, left on destruction.
class ScopedCritSec {
public:
  explicit ScopedCritSec(CRITICAL_SECTION& section) noexcept : section_(section) {
    EnterCriticalSection(&section_);
  }
  ~ScopedCritSec() { LeaveCriticalSection(&section_); }
  ScopedCritSec(const ScopedCritSec&) = delete;
  ScopedCritSec& operator=(const ScopedCritSec&) = delete;

private:
  CRITICAL_SECTION& section_;
};

// Counted COM reference, released on destruction.
template <typename T> class ComPtr {
public:
  ComPtr() = default;
  ComPtr(const ComPtr& other) noexcept : ptr_(other.ptr_) {
    if (ptr_ != nullptr) {
      ptr_->AddRef();
    }
  }
  ComPtr& operator=(const ComPtr& other) noexcept {
    if (this != &other) {
      Reset();
      ptr_ = other.ptr_;
      if (ptr_ != nullptr) {
        ptr_->AddRef();
      }
    }
    return *this;
  }
  ~ComPtr() { Reset(); }

  T* Get() const noexcept { return ptr_; }
  T* operator->() const noexcept { return ptr_; }
  explicit operator bool() const noexcept { return ptr_ != nullptr; }

  // For out-parameters: releases what was held and hands out the slot.
  T** Receive() noexcept {
    Reset();
    return &ptr_;
  }
  void** ReceiveVoid() noexcept { return reinterpret_cast<void**>(Receive()); }
  // Hands the reference to the caller.
  T* Detach() noexcept {
    T* ptr = ptr_;
    ptr_ = nullptr;
    return ptr;
  }
  void Reset() noexcept {
    if (ptr_ != nullptr) {
      T* ptr = ptr_;
      ptr_ = nullptr;
      ptr->Release();
    }
  }

private:
  T* ptr_ = nullptr;
};

// Device context of a window, given back with ReleaseDC.
class ScopedWindowDC {
public:
  explicit ScopedWindowDC(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
  ~ScopedWindowDC() {
    if (dc_ != nullptr) {
      ReleaseDC(window_, dc_);
    }
  }
  ScopedWindowDC(const ScopedWindowDC&) = delete;
  ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;

  HDC Get() const noexcept { return dc_; }

private:
  HWND window_;
  HDC dc_;
};

// Device context of a whole window, frame included, given back with ReleaseDC.
class ScopedWholeWindowDC {
public:
  explicit ScopedWholeWindowDC(HWND window) noexcept : window_(window), dc_(GetWindowDC(window)) {}
  ~ScopedWholeWindowDC() {
    if (dc_ != nullptr) {
      ReleaseDC(window_, dc_);
    }
  }
  ScopedWholeWindowDC(const ScopedWholeWindowDC&) = delete;
  ScopedWholeWindowDC& operator=(const ScopedWholeWindowDC&) = delete;

  HDC Get() const noexcept { return dc_; }

private:
  HWND window_;
  HDC dc_;
};

// Memory device context, deleted with DeleteDC.
class ScopedMemoryDC {
public:
  explicit ScopedMemoryDC(HDC like) noexcept : dc_(CreateCompatibleDC(like)) {}
  ~ScopedMemoryDC() {
    if (dc_ != nullptr) {
      DeleteDC(dc_);
    }
  }
  ScopedMemoryDC(const ScopedMemoryDC&) = delete;
  ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;

  HDC Get() const noexcept { return dc_; }

private:
  HDC dc_;
};

// GDI object (bitmap, brush, font ...), deleted with DeleteObject.
class ScopedGdiObject {
public:
  explicit ScopedGdiObject(HGDIOBJ object) noexcept : object_(object) {}
  ~ScopedGdiObject() {
    if (object_ != nullptr) {
      DeleteObject(object_);
    }
  }
  ScopedGdiObject(const ScopedGdiObject&) = delete;
  ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;

  HGDIOBJ Get() const noexcept { return object_; }

private:
  HGDIOBJ object_;
};

// Menu that no window owns, destroyed with DestroyMenu.
class ScopedMenu {
public:
  explicit ScopedMenu(HMENU menu) noexcept : menu_(menu) {}
  ~ScopedMenu() {
    if (menu_ != nullptr) {
      DestroyMenu(menu_);
    }
  }
  ScopedMenu(const ScopedMenu&) = delete;
  ScopedMenu& operator=(const ScopedMenu&) = delete;

  HMENU Get() const noexcept { return menu_; }

private:
  HMENU menu_;
};

} // namespace corvane
