// The system device enumerator (CLSID_SystemDeviceEnum): lists the devices of a
// category as monikers whose property bag holds the "FriendlyName" and which
// bind to the device's filter.
#pragma once

#include "platform/com/Unknown.h"

HRESULT CreateSystemDeviceEnum(REFIID iid, void** object);
