// The media graph's interfaces: the part of them that building and running a
// writing graph uses.
#pragma once

#include <cstdint>

#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"
#include "platform/dshow/Guids.h"
#include "platform/kernel/FileApi.h"

// Media time in units of 100 ns.
using REFERENCE_TIME = int64_t;

struct IGraphBuilder;

struct IBaseFilter : IUnknown {
  // Called by the graph on AddFilter (graph set) and when it lets the filter go
  // (graph null). The graph is not referenced: it owns the filter.
  virtual HRESULT JoinFilterGraph(IGraphBuilder* graph, const char16_t* name) = 0;
  virtual HRESULT Run(REFERENCE_TIME start) = 0;
  virtual HRESULT Stop() = 0;
};

// A connection point of a filter; the interfaces it offers are found through
// ICaptureGraphBuilder2::FindInterface.
struct IPin : IUnknown {};

struct IGraphBuilder : IUnknown {
  virtual HRESULT AddFilter(IBaseFilter* filter, const char16_t* name) = 0;
  // Opens a media file and adds a source filter that reads it.
  virtual HRESULT AddSourceFilter(const char16_t* fileName, const char16_t* filterName, IBaseFilter** filter) = 0;
  // Lines of what the graph does go to this file until it is set to null. The
  // handle stays the caller's.
  virtual HRESULT SetLogFile(HANDLE file) = 0;
};

struct IFileSinkFilter : IUnknown {
  // Checks at once that the file can be written, creating nothing, so that a name
  // that cannot be written is known before the streams are connected.
  virtual HRESULT SetFileName(const char16_t* fileName, const void* mediaType) = 0;
};

struct ICaptureGraphBuilder2 : IUnknown {
  virtual HRESULT SetFiltergraph(IGraphBuilder* graph) = 0;
  virtual HRESULT SetOutputFileName(const GUID* type, const char16_t* fileName, IBaseFilter** multiplexer,
                                    IFileSinkFilter** sink) = 0;
  virtual HRESULT FindInterface(const GUID* category, const GUID* type, IBaseFilter* filter, REFIID iid,
                                void** object) = 0;
  virtual HRESULT RenderStream(const GUID* category, const GUID* type, IUnknown* source,
                               IBaseFilter* intermediate, IBaseFilter* sink) = 0;
};

struct IMediaControl : IUnknown {
  virtual HRESULT Run() = 0;
  // Ends every stream; the output file is complete when it returns.
  virtual HRESULT Stop() = 0;
};

// Event codes.
constexpr long EC_COMPLETE = 0x01;
constexpr long EC_ERRORABORT = 0x03;
// A filter could not go on: param1 is the HRESULT, param2 the reason in words
// (a const char*, valid while the graph lives).
constexpr long EC_ERRORABORTEX = 0x45;

struct IMediaEventEx : IUnknown {
  // The outcome of a graph that has stopped (EC_COMPLETE or EC_ERRORABORT).
  // A running graph fed by a live source cannot complete by itself: E_ABORT.
  virtual HRESULT WaitForCompletion(long timeoutMs, long* eventCode) = 0;
  // The next queued event; E_ABORT when there is none.
  virtual HRESULT GetEvent(long* eventCode, intptr_t* param1, intptr_t* param2, long timeoutMs) = 0;
};

// Held by the programs, not used by them.
struct IMediaSeeking : IUnknown {};

struct IAMVideoCompression : IUnknown {
  // Frames from one key frame to the next; 0: the first frame only; negative:
  // the compressor's own choice.
  virtual HRESULT put_KeyFrameRate(long keyFrameRate) = 0;
  // 0 (lowest) to 1 (highest); negative: the compressor's own choice.
  virtual HRESULT put_Quality(double quality) = 0;
};

// Offered by our compressors beside IAMVideoCompression; set before the graph runs.
struct IEncoderThreading : IUnknown {
  // true: every frame is encoded in turn on the thread that pushes it, by one
  // encoder without threads of its own; false (the default): on every core.
  virtual HRESULT put_SerialWriting(bool serial) = 0;
};

struct IPropertyBag : IUnknown {
  virtual HRESULT Read(const char16_t* name, VARIANT* value, void* errorLog) = 0;
};

struct IMoniker : IUnknown {
  virtual HRESULT BindToObject(void* bindContext, IMoniker* left, REFIID iid, void** object) = 0;
  virtual HRESULT BindToStorage(void* bindContext, IMoniker* left, REFIID iid, void** object) = 0;
};

struct IEnumMoniker : IUnknown {
  virtual HRESULT Next(ULONG count, IMoniker** monikers, ULONG* fetched) = 0;
};

struct ICreateDevEnum : IUnknown {
  // S_FALSE and no enumerator for a category without devices.
  virtual HRESULT CreateClassEnumerator(REFCLSID category, IEnumMoniker** enumerator, uint32_t flags) = 0;
};
