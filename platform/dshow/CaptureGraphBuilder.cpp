#include "platform/dshow/CaptureGraphBuilder.h"

#include "platform/dshow/AviMux.h"
#include "platform/dshow/FileWriter.h"
#include "platform/dshow/FilterGraph.h"
#include "platform/dshow/VideoCompressor.h"
#include "platform/dshow/VideoSource.h"
#include "platform/dshow/WaveSource.h"
#include "platform/text/WideText.h"

namespace {

class CaptureGraphBuilder final : public ComObject<ICaptureGraphBuilder2> {
 public:
  HRESULT SetFiltergraph(IGraphBuilder* graph) override {
    if (!graph) return E_POINTER;
    if (graph_) return E_UNEXPECTED;
    auto* ours = dynamic_cast<FilterGraph*>(graph);
    if (!ours) return E_INVALIDARG;
    graph_ = ComPtr<FilterGraph>::Share(ours);
    graph_->Log("SetFiltergraph");
    return S_OK;
  }

  HRESULT SetOutputFileName(const GUID* type, const char16_t* fileName, IBaseFilter** multiplexer,
                            IFileSinkFilter** sink) override {
    if (!type || !fileName) return E_POINTER;
    if (multiplexer) *multiplexer = nullptr;
    if (sink) *sink = nullptr;
    if (!graph_) return E_UNEXPECTED;
    if (!(*type == MEDIASUBTYPE_Avi)) return E_INVALIDARG;
    ComPtr<FileWriter> writer = FileWriter::Make();
    ComPtr<AviMux> mux = AviMux::Make(writer);
    graph_->AddFilter(static_cast<IBaseFilter*>(mux.Get()), u"AVI Mux");
    graph_->AddFilter(static_cast<IBaseFilter*>(writer.Get()), fileName);
    // The two are handed out even when the file cannot be made, so that
    // connecting a stream to them reports why.
    const HRESULT hr = writer->SetFileName(fileName, nullptr);
    if (multiplexer) *multiplexer = static_cast<IBaseFilter*>(mux.Detach());
    if (sink) *sink = static_cast<IFileSinkFilter*>(writer.Detach());
    return hr;
  }

  HRESULT FindInterface(const GUID* category, const GUID* type, IBaseFilter* filter, REFIID iid,
                        void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!filter) return E_POINTER;
    if (!category && filter->QueryInterface(iid, object) == S_OK) return S_OK;
    if (FilterBase* ours = AsFilterBase(filter)) {
      for (const PinDescription& pin : ours->Pins()) {
        if (category && !(pin.category == *category)) continue;
        if (type && !(pin.majorType == *type)) continue;
        if (pin.pin->QueryInterface(iid, object) == S_OK) return S_OK;
      }
    }
    return E_NOINTERFACE;
  }

  HRESULT RenderStream(const GUID* category, const GUID* type, IUnknown* source, IBaseFilter* intermediate,
                       IBaseFilter* sink) override {
    const HRESULT hr = Render(category, type, source, intermediate, sink);
    if (graph_) {
      std::string chain = Describe(source);
      if (intermediate) chain += " -> " + Describe(intermediate);
      chain += " -> " + Describe(sink);
      graph_->Log("RenderStream " + chain + ": " + HresultHex(hr));
    }
    return hr;
  }

 private:
  static std::string Describe(IUnknown* filter) {
    if (!filter) return "(none)";
    const FilterBase* ours = AsFilterBase(filter);
    return ours ? "\"" + ours->Name() + "\"" : "(unknown filter)";
  }

  bool InGraph(IUnknown* filter) const {
    IBaseFilter* base = nullptr;
    if (filter->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&base)) != S_OK) return false;
    const bool found = graph_->Contains(base);
    base->Release();
    return found;
  }

  HRESULT Render(const GUID* category, const GUID* type, IUnknown* source, IBaseFilter* intermediate,
                 IBaseFilter* sink) {
    if (!source || !sink) return E_POINTER;
    if (!graph_) return E_UNEXPECTED;
    if (!InGraph(source) || !InGraph(sink) || (intermediate && !InGraph(intermediate))) return VFW_E_NOT_IN_GRAPH;
    auto* mux = dynamic_cast<AviMux*>(AsFilterBase(sink));
    if (!mux) return VFW_E_CANNOT_CONNECT;
    FilterBase* from = AsFilterBase(source);

    if (auto* video = dynamic_cast<VideoSource*>(from)) {
      if (category && !(*category == PIN_CATEGORY_CAPTURE)) return VFW_E_NOT_FOUND;
      if (type && !(*type == MEDIATYPE_Video)) return VFW_E_NOT_FOUND;
      int width = 0, height = 0;
      if (!video->VideoSize(&width, &height)) return VFW_E_TYPE_NOT_ACCEPTED;
      if (!intermediate) {
        const HRESULT hr = mux->ConnectRawVideo(width, height);
        return hr == S_OK ? video->ConnectVideo(mux, static_cast<IBaseFilter*>(mux)) : hr;
      }
      auto* compressor = dynamic_cast<VideoCompressor*>(AsFilterBase(intermediate));
      if (!compressor) return VFW_E_CANNOT_CONNECT;
      HRESULT hr = compressor->ConnectInput(width, height);
      if (hr == S_OK) hr = compressor->ConnectOutput(mux);
      return hr == S_OK ? video->ConnectVideo(compressor, intermediate) : hr;
    }
    if (auto* sound = dynamic_cast<WaveSource*>(from)) {
      if (type && !(*type == MEDIATYPE_Audio)) return VFW_E_NOT_FOUND;
      if (intermediate) return VFW_E_CANNOT_CONNECT;
      return mux->ConnectAudio(sound);
    }
    return VFW_E_CANNOT_RENDER;
  }

  IUnknown* FindInterface(REFIID iid) override {
    if (iid == IID_IUnknown || iid == IID_ICaptureGraphBuilder2) return static_cast<ICaptureGraphBuilder2*>(this);
    return nullptr;
  }

  ComPtr<FilterGraph> graph_;
};

}  // namespace

HRESULT CreateCaptureGraphBuilder(REFIID iid, void** object) {
  return AnswerNewObject(new CaptureGraphBuilder(), iid, object);
}
