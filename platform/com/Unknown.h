// The root of every interface: reference counting and interface queries.
#pragma once

#include <atomic>
#include <cstdint>
#include <utility>

#include "platform/com/Guid.h"
#include "platform/com/Hresult.h"

using ULONG = uint32_t;

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Implements IUnknown once for a class that offers several interfaces: the class
// names the interface that answers an identifier in FindInterface.
template <class... Interfaces>
class ComObject : public Interfaces... {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    IUnknown* found = FindInterface(iid);
    *object = found;
    if (!found) return E_NOINTERFACE;
    found->AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  ComObject() = default;
  virtual ~ComObject() = default;
  // The interface of this object that answers iid (IUnknown included), or null.
  virtual IUnknown* FindInterface(REFIID iid) = 0;

 private:
  std::atomic<ULONG> references_{1};
};

// Holds one reference; for code inside the platform layers.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes over a reference that the caller owns.
  static ComPtr Attach(T* p) {
    ComPtr result;
    result.p_ = p;
    return result;
  }
  // Adds a reference of its own.
  static ComPtr Share(T* p) {
    if (p) p->AddRef();
    return Attach(p);
  }
  ComPtr(const ComPtr& other) : p_(other.p_) {
    if (p_) p_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  void Reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // Hands a new reference to an out-parameter.
  T* Detach() { return std::exchange(p_, nullptr); }
  T** Out() {
    Reset();
    return &p_;
  }

 private:
  T* p_ = nullptr;
};

// The tail of every class factory: answers a new object (whose one reference it
// takes over) as iid. An object that does not offer iid is gone afterwards.
template <class Interface>
HRESULT AnswerNewObject(Interface* object, REFIID iid, void** answer) {
  const HRESULT hr = object->QueryInterface(iid, answer);
  object->Release();
  return hr;
}
