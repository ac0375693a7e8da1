#include "platform/dshow/SystemDeviceEnum.h"

#include <string>
#include <vector>

#include "platform/dshow/CompressorCatalogue.h"
#include "platform/dshow/Interfaces.h"
#include "platform/dshow/VideoCompressor.h"
#include "platform/text/WideText.h"

namespace {

class PropertyBag final : public ComObject<IPropertyBag> {
 public:
  explicit PropertyBag(std::u16string friendlyName) : friendlyName_(std::move(friendlyName)) {}

  HRESULT Read(const char16_t* name, VARIANT* value, void*) override {
    if (!name || !value) return E_POINTER;
    if (std::u16string_view(name) != u"FriendlyName") return E_INVALIDARG;
    VariantClear(value);
    value->vt = VT_BSTR;
    value->bstrVal = SysAllocString(friendlyName_.c_str());
    return value->bstrVal ? S_OK : E_OUTOFMEMORY;
  }

 private:
  IUnknown* FindInterface(REFIID iid) override {
    if (iid == IID_IUnknown || iid == IID_IPropertyBag) return static_cast<IPropertyBag*>(this);
    return nullptr;
  }
  std::u16string friendlyName_;
};

class DeviceMoniker final : public ComObject<IMoniker> {
 public:
  explicit DeviceMoniker(InstalledCompressor device) : device_(std::move(device)) {}

  HRESULT BindToObject(void*, IMoniker*, REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    ComPtr<VideoCompressor> filter = VideoCompressor::Make(device_.friendlyName, device_.encoder);
    return static_cast<IBaseFilter*>(filter.Get())->QueryInterface(iid, object);
  }

  HRESULT BindToStorage(void*, IMoniker*, REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    return AnswerNewObject(new PropertyBag(TextToWide(device_.friendlyName)), iid, object);
  }

 private:
  IUnknown* FindInterface(REFIID iid) override {
    if (iid == IID_IUnknown || iid == IID_IMoniker) return static_cast<IMoniker*>(this);
    return nullptr;
  }
  InstalledCompressor device_;
};

class DeviceEnumerator final : public ComObject<IEnumMoniker> {
 public:
  explicit DeviceEnumerator(std::vector<InstalledCompressor> devices) : devices_(std::move(devices)) {}

  HRESULT Next(ULONG count, IMoniker** monikers, ULONG* fetched) override {
    if (!monikers) return E_POINTER;
    ULONG n = 0;
    while (n < count && position_ < devices_.size()) monikers[n++] = new DeviceMoniker(devices_[position_++]);
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }

 private:
  IUnknown* FindInterface(REFIID iid) override {
    if (iid == IID_IUnknown || iid == IID_IEnumMoniker) return static_cast<IEnumMoniker*>(this);
    return nullptr;
  }
  std::vector<InstalledCompressor> devices_;
  size_t position_ = 0;
};

class SystemDeviceEnum final : public ComObject<ICreateDevEnum> {
 public:
  HRESULT CreateClassEnumerator(REFCLSID category, IEnumMoniker** enumerator, uint32_t) override {
    if (!enumerator) return E_POINTER;
    *enumerator = nullptr;
    if (!(category == CLSID_VideoCompressorCategory)) return S_FALSE;
    std::vector<InstalledCompressor> devices = InstalledCompressors();
    if (devices.empty()) return S_FALSE;
    *enumerator = new DeviceEnumerator(std::move(devices));
    return S_OK;
  }

 private:
  IUnknown* FindInterface(REFIID iid) override {
    if (iid == IID_IUnknown || iid == IID_ICreateDevEnum) return static_cast<ICreateDevEnum*>(this);
    return nullptr;
  }
};

}  // namespace

HRESULT CreateSystemDeviceEnum(REFIID iid, void** object) {
  return AnswerNewObject(new SystemDeviceEnum(), iid, object);
}
