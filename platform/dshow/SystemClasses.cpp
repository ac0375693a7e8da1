#include "platform/dshow/SystemClasses.h"

#include "platform/com/ComRegistry.h"
#include "platform/dshow/CaptureGraphBuilder.h"
#include "platform/dshow/FilterGraph.h"
#include "platform/dshow/Guids.h"
#include "platform/dshow/SystemDeviceEnum.h"

void RegisterSystemClasses() {
  CoRegisterClass(CLSID_SystemDeviceEnum, CreateSystemDeviceEnum);
  CoRegisterClass(CLSID_CaptureGraphBuilder2, CreateCaptureGraphBuilder);
  CoRegisterClass(CLSID_FilterGraph, FilterGraph::Create);
}
