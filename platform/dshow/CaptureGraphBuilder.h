// The capture graph builder (CLSID_CaptureGraphBuilder2): makes the AVI
// multiplexer and the file writer, finds interfaces on filters and their pins,
// and connects a source through an optional compressor to the multiplexer.
#pragma once

#include "platform/com/Unknown.h"

HRESULT CreateCaptureGraphBuilder(REFIID iid, void** object);
