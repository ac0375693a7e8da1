// The filter graph (CLSID_FilterGraph): holds the filters, runs and stops them,
// keeps the log and the events.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/dshow/FilterBase.h"

class FilterGraph final : public ComObject<IGraphBuilder, IMediaControl, IMediaEventEx, IMediaSeeking> {
 public:
  static HRESULT Create(REFIID iid, void** object);

  // IGraphBuilder
  HRESULT AddFilter(IBaseFilter* filter, const char16_t* name) override;
  HRESULT AddSourceFilter(const char16_t* fileName, const char16_t* filterName, IBaseFilter** filter) override;
  HRESULT SetLogFile(HANDLE file) override;
  // IMediaControl
  HRESULT Run() override;
  // Stops every filter; the first failure, also one a filter threw. Never throws.
  HRESULT Stop() noexcept override;
  // IMediaEventEx
  HRESULT WaitForCompletion(long timeoutMs, long* eventCode) override;
  HRESULT GetEvent(long* eventCode, intptr_t* param1, intptr_t* param2, long timeoutMs) override;

  void Log(const std::string& text);
  // A filter could not go on (a refused format, a failed write): the graph keeps
  // the first such error with its reason and queues it as EC_ERRORABORTEX.
  void ReportError(HRESULT hr, const std::string& filter, const std::string& reason);
  bool Contains(IBaseFilter* filter) const;
  // True from a Run that started every filter until Stop; not while a failed Run stops them again.
  bool Running() const { return state_ == State::Running; }
  // Whether a filter reported an error: what the graph wrote is not what was asked for.
  bool Failed() const { return error_ != S_OK; }

 private:
  FilterGraph() = default;
  ~FilterGraph() override;
  HRESULT StopFilter(IBaseFilter* filter) noexcept;
  IUnknown* FindInterface(REFIID iid) override;

  enum class State { Stopped, Running, Ended };
  struct Event {
    long code;
    intptr_t param1;
    intptr_t param2;
  };

  std::vector<ComPtr<IBaseFilter>> filters_;
  HANDLE log_ = nullptr;
  State state_ = State::Stopped;
  HRESULT error_ = S_OK;
  std::string reason_;
  std::deque<Event> events_;
};

// The last error FFmpeg logged on this thread (an encoder's reason for refusing
// a format), taken once; empty when there was none.
std::string TakeFfmpegError();
