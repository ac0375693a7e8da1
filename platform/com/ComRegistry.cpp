#include "platform/com/ComRegistry.h"

#include <mutex>
#include <vector>

namespace {

struct Registration {
  CLSID clsid;
  ClassFactory factory;
};

std::mutex registryMutex;
std::vector<Registration> registrations;
int initializeCount = 0;

Registration* FindRegistration(REFCLSID clsid) {
  for (Registration& r : registrations)
    if (r.clsid == clsid) return &r;
  return nullptr;
}

}  // namespace

HRESULT CoInitialize(void*) {
  std::lock_guard lock(registryMutex);
  return initializeCount++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  std::lock_guard lock(registryMutex);
  if (initializeCount > 0) --initializeCount;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, uint32_t context, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  ClassFactory factory = nullptr;
  {
    std::lock_guard lock(registryMutex);
    if (initializeCount == 0) return CO_E_NOTINITIALIZED;
    if (const Registration* r = FindRegistration(clsid)) factory = r->factory;
  }
  if (!factory || !(context & (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER))) return REGDB_E_CLASSNOTREG;
  if (outer) return CLASS_E_NOAGGREGATION;
  return factory(iid, object);
}

HRESULT CoRegisterClass(REFCLSID clsid, ClassFactory factory) {
  if (!factory) return E_POINTER;
  std::lock_guard lock(registryMutex);
  if (Registration* r = FindRegistration(clsid))
    r->factory = factory;
  else
    registrations.push_back({clsid, factory});
  return S_OK;
}

HRESULT CoUnregisterClass(REFCLSID clsid) {
  std::lock_guard lock(registryMutex);
  for (auto it = registrations.begin(); it != registrations.end(); ++it) {
    if (it->clsid == clsid) {
      registrations.erase(it);
      return S_OK;
    }
  }
  return S_FALSE;
}

ClassFactory CoGetClassFactory(REFCLSID clsid) {
  std::lock_guard lock(registryMutex);
  const Registration* r = FindRegistration(clsid);
  return r ? r->factory : nullptr;
}
