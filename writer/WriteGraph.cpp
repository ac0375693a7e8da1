// BuildWriteGraph and ReleaseGraph: the writing graph from the push source
// through the compressor to the AVI file, with the optional sound track.
#include <chrono>
#include <filesystem>
#include <future>

#include "platform/com/ComRegistry.h"
#include "platform/dshow/Interfaces.h"
#include "platform/kernel/FileApi.h"
#include "platform/pusher/SamplePusher.h"
#include "platform/text/WideText.h"
#include "writer/HresultText.h"
#include "writer/VideoWriterForm.h"

namespace {

constexpr uint32_t kInproc = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;

// The first error a filter of the graph reported, with its reason in words.
bool FirstGraphError(IMediaEventEx* events, HRESULT& error, std::string& reason) {
  long code = 0;
  intptr_t param1 = 0, param2 = 0;
  bool found = false;
  while (events && events->GetEvent(&code, &param1, &param2, 0) == S_OK) {
    if (code != EC_ERRORABORTEX || found) continue;
    found = true;
    error = static_cast<HRESULT>(param1);
    reason = param2 ? reinterpret_cast<const char*>(param2) : "";
  }
  return found;
}

template <class T>
void ReleaseMember(T*& member) {
  if (member) member->Release();
  member = nullptr;
}

}  // namespace

HRESULT VideoWriterForm::BuildWriteGraph() {
  Graph = nullptr;
  CaptureBuilder = nullptr;
  PusherFilter = nullptr;
  WriteError = S_OK;
  WriteErrorReason.clear();

  HRESULT hr = CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, kInproc, IID_ICaptureGraphBuilder2,
                                reinterpret_cast<void**>(&CaptureBuilder));
  if (hr != S_OK) {
    ShowGraphError(GraphStep::CreateGraphBuilder, HresultText("Error 0x%1x creating graph builder", hr));
    return hr;
  }
  hr = CoCreateInstance(CLSID_FilterGraph, nullptr, kInproc, IID_IGraphBuilder, reinterpret_cast<void**>(&Graph));
  if (hr != S_OK) {
    ShowGraphError(GraphStep::CreateFilterGraph, HresultText("Error 0x%1x creating the filtergraph", hr));
    return hr;
  }

  HANDLE log = nullptr;
  if (Debug) {
    log = CreateFileA("LOG.TXT", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                      nullptr);
    Graph->SetLogFile(log);
  }

  CaptureBuilder->SetFiltergraph(Graph);

  CoCreateInstance(CLSID_SamplePusher, nullptr, kInproc, IID_IBaseFilter, reinterpret_cast<void**>(&PusherFilter));
  Graph->AddFilter(PusherFilter, u"Sample Pusher Source Filter");

  CaptureBuilder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, PusherFilter, IID_ISamplePusher,
                                reinterpret_cast<void**>(&Pusher));
  if (Pusher) Pusher->SetFrameSize(FrameHeader.bmiHeader.biWidth, FrameHeader.bmiHeader.biHeight);

  CaptureBuilder->SetOutputFileName(&MEDIASUBTYPE_Avi, OutputFileName, &MuxFilter, &FileSink);

  FindFilterByFriendlyName(&CLSID_VideoCompressorCategory, CompressorName, &CompressorFilter);
  if (CompressorFilter) Graph->AddFilter(CompressorFilter, u"Video Compressor");

  if (CompressorFilter) {
    IAMVideoCompression* compression = nullptr;
    CaptureBuilder->FindInterface(nullptr, nullptr, CompressorFilter, IID_IAMVideoCompression,
                                  reinterpret_cast<void**>(&compression));
    if (compression) {
      compression->put_Quality(Quality);
      compression->put_KeyFrameRate(KeyFrameRate);
      compression->Release();
    }
    IEncoderThreading* threading = nullptr;
    CaptureBuilder->FindInterface(nullptr, nullptr, CompressorFilter, IID_IEncoderThreading,
                                  reinterpret_cast<void**>(&threading));
    if (threading) {
      threading->put_SerialWriting(SerialWriting);
      threading->Release();
    }
  }

  Graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&MediaControl));
  Graph->QueryInterface(IID_IMediaEventEx, reinterpret_cast<void**>(&MediaEvent));
  Graph->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&MediaSeeking));

  HRESULT rendering =
      CaptureBuilder->RenderStream(nullptr, nullptr, PusherFilter, CompressorFilter, MuxFilter);
  // A source without ISamplePusher would leave the frames nowhere to go.
  if (rendering == S_OK && !Pusher) rendering = E_NOINTERFACE;

  if (Profile().hasSoundStep) {
    const std::string soundFile = WideBufferToText(SoundFileName);
    std::error_code ignored;
    if (!soundFile.empty() && std::filesystem::is_regular_file(soundFile, ignored)) {
      const HRESULT added = Graph->AddSourceFilter(SoundFileName, u"Audio Source Filter", &AudioSource);
      const HRESULT sound =
          AudioSource ? CaptureBuilder->RenderStream(nullptr, nullptr, AudioSource, nullptr, MuxFilter) : added;
      if (rendering == S_OK) rendering = sound;
    }
  }

  HRESULT result = rendering;
  if (rendering == S_OK)
    result = MediaControl ? MediaControl->Run() : E_NOINTERFACE;
  else
    ShowGraphError(GraphStep::RenderGraph, HresultText("Error 0x%1x rendering the graph", rendering) + "\n" +
                                               OutputFailure(RenderingFailureReason()));
  if (Debug) {
    Graph->SetLogFile(nullptr);
    CloseHandle(log);
  }
  return result;
}

std::string VideoWriterForm::RenderingFailureReason() {
  HRESULT error = S_OK;
  std::string reason;
  FirstGraphError(MediaEvent, error, reason);
  return reason;
}

std::string VideoWriterForm::OutputFailure(const std::string& reason) const {
  const std::string file = WideBufferToText(OutputFileName);
  return reason.empty() ? file : file + ": " + reason;
}

HRESULT VideoWriterForm::StopGraph() {
  std::future<HRESULT> stopped;
  try {
    stopped = std::async(std::launch::async, [this] { return MediaControl->Stop(); });
  } catch (...) {  // std::system_error or std::bad_alloc: no thread to spare, the window waits
    return MediaControl->Stop();
  }
  do {
    WaitingForGraph();
  } while (stopped.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready);
  return stopped.get();
}

void VideoWriterForm::ReleaseGraph() {
  HRESULT stopped = S_OK;
  if (MediaControl) {
    stopped = StopGraph();
    ReleaseMember(MediaControl);
  }
  if (MediaEvent) {
    long eventCode = 0;
    MediaEvent->WaitForCompletion(10000, &eventCode);
    // The graph tells why it could not complete the file (the reason for a push that failed).
    HRESULT error = S_OK;
    std::string reason;
    if (eventCode == EC_ERRORABORT && FirstGraphError(MediaEvent, error, reason) &&
        (WriteError == S_OK || WriteError == error)) {
      WriteError = error;
      WriteErrorReason = reason;
    }
    ReleaseMember(MediaEvent);
  }
  // A stop that failed without an event (a filter not of ours) is still a file not completed.
  if (WriteError == S_OK && FAILED(stopped)) WriteError = stopped;
  ReleaseMember(CaptureBuilder);
  ReleaseMember(AudioSource);
  ReleaseMember(MediaSeeking);
  ReleaseMember(Graph);
  ReleaseMember(Pusher);
  ReleaseMember(PusherFilter);
  ReleaseMember(CompressorFilter);
  ReleaseMember(MuxFilter);
  ReleaseMember(FileSink);
}
