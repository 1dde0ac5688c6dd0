// Owners for Win32 handles and COM references, shared by both DLLs. Header-only on purpose:
// nothing links the two modules together.
#pragma once

#include <objbase.h>
#include <windows.h>

namespace corvane {

// A handle released by `Free` when it goes, unless it is null or has been handed over.
template <typename Handle, auto Free> class ScopedHandle {
public:
  ScopedHandle() = default;
  explicit ScopedHandle(Handle handle) noexcept : handle_(handle) {}
  ~ScopedHandle() { Reset(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  Handle Get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }
  // For out-parameters (RegOpenKeyEx and friends); releases what was held.
  Handle* Receive() noexcept {
    Reset();
    return &handle_;
  }
  // Hands the handle to the caller, who releases it from now on.
  Handle Release() noexcept {
    Handle handle = handle_;
    handle_ = nullptr;
    return handle;
  }
  void Reset() noexcept {
    if (handle_ != nullptr) {
      Free(handle_);
      handle_ = nullptr;
    }
  }

private:
  Handle handle_ = nullptr;
};

using ScopedRegKey = ScopedHandle<HKEY, &RegCloseKey>;
using ScopedModule = ScopedHandle<HMODULE, &FreeLibrary>;
// Global memory block that is still ours (not yet handed to a medium).
using ScopedHGlobal = ScopedHandle<HGLOBAL, &GlobalFree>;
// Menu that no window owns.
using ScopedMenu = ScopedHandle<HMENU, &DestroyMenu>;
// Memory device context from CreateCompatibleDC.
using ScopedMemoryDC = ScopedHandle<HDC, &DeleteDC>;
// GDI object (bitmap, brush, font ...).
using ScopedGdiObject = ScopedHandle<HGDIOBJ, &DeleteObject>;

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

// Device context that `Acquire` gets for a window, given back with ReleaseDC.
template <auto Acquire> class ScopedWindowDCOf {
public:
  explicit ScopedWindowDCOf(HWND window) noexcept : window_(window), dc_(Acquire(window)) {}
  ~ScopedWindowDCOf() {
    if (dc_ != nullptr) {
      ReleaseDC(window_, dc_);
    }
  }
  ScopedWindowDCOf(const ScopedWindowDCOf&) = delete;
  ScopedWindowDCOf& operator=(const ScopedWindowDCOf&) = delete;

  HDC Get() const noexcept { return dc_; }

private:
  HWND window_;
  HDC dc_;
};

// The client area's device context.
using ScopedWindowDC = ScopedWindowDCOf<&GetDC>;
// The whole window's, frame included.
using ScopedWholeWindowDC = ScopedWindowDCOf<&GetWindowDC>;

} // namespace corvane
