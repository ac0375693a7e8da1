#include "platform/com/ComRegistry.h"
#include "platform/dshow/FilterBase.h"
#include "platform/dshow/FilterGraph.h"
#include "platform/dshow/VideoSource.h"
#include "platform/pusher/SamplePusher.h"

namespace {

class SamplePusherFilter final : public Filter<>, public VideoSource {
 public:
  static HRESULT Create(REFIID iid, void** object) {
    return AnswerNewObject(static_cast<IBaseFilter*>(new SamplePusherFilter()), iid, object);
  }

  StopStage Stage() const override { return StopStage::Source; }
  std::vector<PinDescription> Pins() override { return {{&pin_, PIN_CATEGORY_CAPTURE, MEDIATYPE_Video}}; }

  bool VideoSize(int* width, int* height) const override {
    *width = width_;
    *height = height_;
    return width_ > 0 && height_ > 0;
  }

  HRESULT ConnectVideo(VideoInput* input, IBaseFilter* downstream) override {
    if (running_) return VFW_E_WRONG_STATE;
    if (input_) return VFW_E_ALREADY_CONNECTED;
    input_ = input;
    downstream_ = ComPtr<IBaseFilter>::Share(downstream);
    return S_OK;
  }

 private:
  class CapturePin final : public IPin, public ISamplePusher {
   public:
    explicit CapturePin(SamplePusherFilter& owner) : owner_(owner) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
      if (!object) return E_POINTER;
      *object = nullptr;
      if (iid == IID_IUnknown || iid == IID_IPin)
        *object = static_cast<IPin*>(this);
      else if (iid == IID_ISamplePusher)
        *object = static_cast<ISamplePusher*>(this);
      else
        return E_NOINTERFACE;
      AddRef();
      return S_OK;
    }
    ULONG AddRef() override { return owner_.AddRef(); }
    ULONG Release() override { return owner_.Release(); }

    HRESULT SetFrameSize(int32_t width, int32_t height) override { return owner_.SetFrameSize(width, height); }
    HRESULT GetFrameSize(int32_t* width, int32_t* height) override {
      if (!width || !height) return E_POINTER;
      *width = owner_.width_;
      *height = owner_.height_;
      return S_OK;
    }
    HRESULT PushSample(const uint8_t* bits, const BITMAPINFO* header, REFERENCE_TIME duration) override {
      return owner_.PushSample(bits, header, duration);
    }

   private:
    SamplePusherFilter& owner_;
  };

  SamplePusherFilter() = default;

  HRESULT SetFrameSize(int32_t width, int32_t height) {
    if (input_) return VFW_E_ALREADY_CONNECTED;
    if (width <= 0 || height <= 0) return E_INVALIDARG;
    width_ = width;
    height_ = height;
    Log("Sample Pusher: frame size " + std::to_string(width) + " x " + std::to_string(height));
    return S_OK;
  }

  HRESULT PushSample(const uint8_t* bits, const BITMAPINFO* header, REFERENCE_TIME duration) {
    if (!bits || !header) return E_POINTER;
    if (!input_) return VFW_E_NOT_CONNECTED;
    if (!running_) return VFW_E_NOT_RUNNING;
    const BITMAPINFOHEADER& h = header->bmiHeader;
    if (h.biWidth != width_ || h.biHeight != height_ || h.biBitCount != 24 || h.biCompression != BI_RGB)
      return VFW_E_TYPE_NOT_ACCEPTED;
    if (duration <= 0) return E_INVALIDARG;
    if (frameCount_ == 0) duration_ = duration;
    if (duration != duration_) return VFW_E_TYPE_NOT_ACCEPTED;
    const HRESULT hr = input_->ReceiveFrame(bits, frameCount_, duration_);
    if (hr == S_OK) ++frameCount_;
    return hr;
  }

  HRESULT OnRun() override { return input_ ? S_OK : VFW_E_NOT_CONNECTED; }
  HRESULT OnStop() override {
    Log("Sample Pusher: " + std::to_string(frameCount_) + " frames pushed");
    return input_->EndOfStream(frameCount_, duration_);
  }

  CapturePin pin_{*this};
  int32_t width_ = 0;
  int32_t height_ = 0;
  VideoInput* input_ = nullptr;
  ComPtr<IBaseFilter> downstream_;
  int64_t frameCount_ = 0;
  REFERENCE_TIME duration_ = 0;
};

}  // namespace

HRESULT RegisterSamplePusher() { return CoRegisterClass(CLSID_SamplePusher, SamplePusherFilter::Create); }
