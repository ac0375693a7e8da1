// ListDeviceNames and FindFilterByFriendlyName: walks of a device category
// through the system device enumerator.
#include <functional>
#include <string_view>

#include "platform/com/ComRegistry.h"
#include "platform/dshow/Interfaces.h"
#include "platform/text/WideText.h"
#include "writer/VideoWriterForm.h"

namespace {

// Calls visit(moniker, friendly name) for each device until it answers false.
// A device whose name cannot be read is skipped.
void WalkCategory(const GUID* category,
                  const std::function<bool(IMoniker*, const char16_t*)>& visit) {
  ICreateDevEnum* devEnum = nullptr;
  CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                   IID_ICreateDevEnum, reinterpret_cast<void**>(&devEnum));
  if (!devEnum) return;
  IEnumMoniker* enumerator = nullptr;
  devEnum->CreateClassEnumerator(*category, &enumerator, 0);
  IMoniker* moniker = nullptr;
  bool goOn = true;
  while (goOn && enumerator && enumerator->Next(1, &moniker, nullptr) == S_OK) {
    IPropertyBag* bag = nullptr;
    moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag));
    VARIANT name;
    VariantInit(&name);
    if (bag && bag->Read(u"FriendlyName", &name, nullptr) == S_OK && name.vt == VT_BSTR && name.bstrVal)
      goOn = visit(moniker, name.bstrVal);
    VariantClear(&name);
    if (bag) bag->Release();
    moniker->Release();
  }
  if (enumerator) enumerator->Release();
  devEnum->Release();
}

}  // namespace

void VideoWriterForm::ListDeviceNames(const GUID* category, std::vector<std::string>& names) {
  names.clear();
  WalkCategory(category, [&names](IMoniker*, const char16_t* friendlyName) {
    names.push_back(WideToText(friendlyName));
    return true;
  });
}

bool VideoWriterForm::FindFilterByFriendlyName(const GUID* category, const char16_t* name, IBaseFilter** filter) {
  bool found = false;
  const std::u16string_view wanted = name ? name : u"";
  WalkCategory(category, [&](IMoniker* moniker, const char16_t* friendlyName) {
    if (!wanted.empty() && wanted != friendlyName) return true;
    moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(filter));
    found = true;
    return false;
  });
  return found;
}
