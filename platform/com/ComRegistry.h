// Object creation by class identifier through a registry of class factories. A
// class that is not registered is absent, as an uninstalled server would be.
#pragma once

#include <cstdint>

#include "platform/com/Unknown.h"

constexpr uint32_t CLSCTX_INPROC_SERVER = 0x1;
constexpr uint32_t CLSCTX_INPROC_HANDLER = 0x2;

// Makes a new object of one class and answers it as iid (one reference, the
// caller's), or fails leaving *object null.
using ClassFactory = HRESULT (*)(REFIID iid, void** object);

// Nested calls answer S_FALSE; each is paired with CoUninitialize.
HRESULT CoInitialize(void* reserved);
void CoUninitialize();

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, uint32_t context, REFIID iid, void** object);

// Replaces any factory the class had.
HRESULT CoRegisterClass(REFCLSID clsid, ClassFactory factory);
// S_FALSE when the class was not registered.
HRESULT CoUnregisterClass(REFCLSID clsid);
// The class's factory, or null.
ClassFactory CoGetClassFactory(REFCLSID clsid);
