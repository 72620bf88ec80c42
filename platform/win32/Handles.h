// RAII owners for the Win32 resources that the platform layer holds: kernel handles, registry
// keys, COM interface pointers, shell item lists (CoTaskMemFree), BSTRs and VARIANTs, and the
// per-thread COM initialisation.
//
// Contract: every owner is move-only, releases its resource exactly once in its destructor and
// never throws. get() hands out the raw value without giving up ownership; put() releases the
// current value and returns the address for an out-parameter.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

#include <utility>

namespace sk::win32 {

// A value of type T released by Traits::Close unless it equals Traits::Invalid().
template <typename T, typename Traits>
class Unique {
 public:
  Unique() = default;
  explicit Unique(T value) : value_(value) {}
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : value_(std::exchange(other.value_, Traits::Invalid())) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) reset(std::exchange(other.value_, Traits::Invalid()));
    return *this;
  }
  ~Unique() { reset(); }

  T get() const { return value_; }
  bool valid() const { return value_ != Traits::Invalid(); }
  explicit operator bool() const { return valid(); }
  T* put() {
    reset();
    return &value_;
  }
  T release() { return std::exchange(value_, Traits::Invalid()); }
  void reset(T value = Traits::Invalid()) {
    if (valid()) Traits::Close(value_);
    value_ = value;
  }

 private:
  T value_ = Traits::Invalid();
};

struct FileHandleTraits {  // CreateFile: INVALID_HANDLE_VALUE on failure
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct HandleTraits {  // process, thread, token handles: NULL on failure
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FindTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::FindClose(h); }
};
struct RegKeyTraits {
  static HKEY Invalid() { return nullptr; }
  static void Close(HKEY k) { ::RegCloseKey(k); }
};
struct BstrTraits {
  static BSTR Invalid() { return nullptr; }
  static void Close(BSTR s) { ::SysFreeString(s); }
};

using FileHandle = Unique<HANDLE, FileHandleTraits>;
using Handle = Unique<HANDLE, HandleTraits>;
using FindHandle = Unique<HANDLE, FindTraits>;
using RegKey = Unique<HKEY, RegKeyTraits>;
using Bstr = Unique<BSTR, BstrTraits>;

// Memory from the COM task allocator (shell item lists, strings returned by the shell).
template <typename T>
class CoTaskMem {
 public:
  CoTaskMem() = default;
  CoTaskMem(const CoTaskMem&) = delete;
  CoTaskMem& operator=(const CoTaskMem&) = delete;
  ~CoTaskMem() { ::CoTaskMemFree(ptr_); }
  T* get() const { return ptr_; }
  T** put() {
    ::CoTaskMemFree(ptr_);
    ptr_ = nullptr;
    return &ptr_;
  }

 private:
  T* ptr_ = nullptr;
};

// A COM interface pointer; Release on destruction.
template <typename I>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      ptr_ = std::exchange(other.ptr_, nullptr);
    }
    return *this;
  }
  ~ComPtr() { reset(); }

  I* get() const { return ptr_; }
  I* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  I** put() {
    reset();
    return &ptr_;
  }
  void** putVoid() { return reinterpret_cast<void**>(put()); }
  void reset() {
    if (ptr_) std::exchange(ptr_, nullptr)->Release();
  }
  // QueryInterface into another owner; returns the HRESULT.
  template <typename J>
  HRESULT As(ComPtr<J>& out) const {
    return ptr_->QueryInterface(__uuidof(J), out.putVoid());
  }

 private:
  I* ptr_ = nullptr;
};

// A VARIANT cleared on destruction.
class Variant {
 public:
  Variant() { ::VariantInit(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { ::VariantClear(&v_); }
  VARIANT* get() { return &v_; }

 private:
  VARIANT v_;
};

// Initialises COM on the calling thread for the guard's lifetime (apartment-threaded, as the
// shell objects expect). A thread already initialised in another mode still works: the
// guard then does not uninitialise.
class ComInit {
 public:
  ComInit() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ComInit(const ComInit&) = delete;
  ComInit& operator=(const ComInit&) = delete;
  ~ComInit() {
    if (SUCCEEDED(hr_)) ::CoUninitialize();
  }
  bool ok() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT hr_;
};

}  // namespace sk::win32
