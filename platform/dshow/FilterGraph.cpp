#include "platform/dshow/FilterGraph.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <exception>
#include <mutex>
#include <new>
#include <utility>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include "platform/dshow/Streaming.h"
#include "platform/dshow/WaveSource.h"
#include "platform/text/WideText.h"

namespace {

// Filters that are not ours run as sources.
StopStage StageOf(IBaseFilter* filter) {
  const FilterBase* ours = AsFilterBase(filter);
  return ours ? ours->Stage() : StopStage::Source;
}

std::string NameOf(IBaseFilter* filter) {
  const FilterBase* ours = AsFilterBase(filter);
  return ours ? ours->Name() : std::string("?");
}

// FFmpeg's own warnings (an encoder's reason for refusing a format, ...) go
// into the logs of the graphs that keep one, never onto the terminal.
std::mutex loggingMutex;
std::vector<FilterGraph*> loggingGraphs;

thread_local std::string lastFfmpegError;

std::string WithoutLineEnd(std::string text) {
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

void ForwardFfmpegLog(void* object, int level, const char* format, va_list args) {
  if (level > AV_LOG_WARNING) return;
  va_list message;
  va_copy(message, args);
  char line[1024];
  int prefix = 1;
  av_log_format_line2(object, level, format, args, line, sizeof line, &prefix);
  if (level <= AV_LOG_ERROR) {
    char text[1024];
    std::vsnprintf(text, sizeof text, format, message);
    lastFfmpegError = WithoutLineEnd(text);
  }
  va_end(message);
  std::lock_guard lock(loggingMutex);
  for (FilterGraph* graph : loggingGraphs) graph->Log("FFmpeg: " + WithoutLineEnd(line));
}

void SetLogging(FilterGraph* graph, bool on) {
  std::lock_guard lock(loggingMutex);
  std::erase(loggingGraphs, graph);
  if (on) loggingGraphs.push_back(graph);
}

}  // namespace

std::string TakeFfmpegError() { return std::exchange(lastFfmpegError, {}); }

HRESULT FilterGraph::Create(REFIID iid, void** object) {
  static std::once_flag installed;
  std::call_once(installed, [] { av_log_set_callback(ForwardFfmpegLog); });
  return AnswerNewObject(new FilterGraph(), iid, object);
}

FilterGraph::~FilterGraph() {
  // A graph let go while running still completes its file.
  Stop();
  SetLogging(this, false);
  for (ComPtr<IBaseFilter>& f : filters_) f->JoinFilterGraph(nullptr, nullptr);
}

IUnknown* FilterGraph::FindInterface(REFIID iid) {
  if (iid == IID_IUnknown || iid == IID_IGraphBuilder) return static_cast<IGraphBuilder*>(this);
  if (iid == IID_IMediaControl) return static_cast<IMediaControl*>(this);
  if (iid == IID_IMediaEventEx) return static_cast<IMediaEventEx*>(this);
  if (iid == IID_IMediaSeeking) return static_cast<IMediaSeeking*>(this);
  return nullptr;
}

void FilterGraph::Log(const std::string& text) {
  if (!log_ || log_ == INVALID_HANDLE_VALUE) return;
  const std::string line = text + "\n";
  WriteFile(log_, line.data(), static_cast<uint32_t>(line.size()), nullptr, nullptr);
}

HRESULT FilterGraph::SetLogFile(HANDLE file) {
  if (file && file != INVALID_HANDLE_VALUE) {
    log_ = file;
    SetLogging(this, true);
    Log("Log started");
  } else {
    Log("Log ended");
    SetLogging(this, false);
    log_ = nullptr;
  }
  return S_OK;
}

bool FilterGraph::Contains(IBaseFilter* filter) const {
  return std::any_of(filters_.begin(), filters_.end(),
                     [filter](const ComPtr<IBaseFilter>& f) { return f.Get() == filter; });
}

HRESULT FilterGraph::AddFilter(IBaseFilter* filter, const char16_t* name) {
  if (!filter) return E_POINTER;
  if (Contains(filter)) return VFW_E_ALREADY_CONNECTED;
  const std::string text = name ? WideToText(name) : std::string();
  const HRESULT hr = filter->JoinFilterGraph(this, name);
  Log("AddFilter \"" + text + "\": " + HresultHex(hr));
  if (hr != S_OK) return hr;
  filters_.push_back(ComPtr<IBaseFilter>::Share(filter));
  return S_OK;
}

HRESULT FilterGraph::AddSourceFilter(const char16_t* fileName, const char16_t* filterName, IBaseFilter** filter) {
  if (!fileName || !filter) return E_POINTER;
  *filter = nullptr;
  const std::string path = WideToText(fileName);
  ComPtr<IBaseFilter> source;
  HRESULT hr = WaveSource::Open(path, source.Out());
  Log("AddSourceFilter \"" + path + "\": " + HresultHex(hr));
  if (hr != S_OK) {
    ReportError(hr, "Audio Source", "the sound file " + path + " cannot be read");
    return hr;
  }
  hr = AddFilter(source.Get(), filterName);
  if (hr != S_OK) return hr;
  *filter = source.Detach();
  return S_OK;
}

HRESULT FilterGraph::Run() {
  if (state_ == State::Running) return S_OK;
  if (state_ == State::Ended) return VFW_E_WRONG_STATE;
  // Downstream first, so that every filter is ready before a source delivers.
  std::vector<IBaseFilter*> order;
  for (auto& f : filters_) order.push_back(f.Get());
  std::stable_sort(order.begin(), order.end(), [](IBaseFilter* a, IBaseFilter* b) {
    return StageOf(a) > StageOf(b);
  });
  for (IBaseFilter* f : order) {
    const HRESULT hr = f->Run(0);
    if (hr != S_OK) {
      Log("Run: \"" + NameOf(f) + "\" failed: " + HresultHex(hr));
      for (IBaseFilter* g : order) g->Stop();
      state_ = State::Ended;
      return hr;
    }
  }
  state_ = State::Running;
  Log("Run");
  return S_OK;
}

HRESULT FilterGraph::Stop() noexcept {
  if (state_ != State::Running) return S_OK;
  std::vector<IBaseFilter*> order;
  for (auto& f : filters_) order.push_back(f.Get());
  std::stable_sort(order.begin(), order.end(), [](IBaseFilter* a, IBaseFilter* b) {
    return StageOf(a) < StageOf(b);
  });
  // Every filter stops, whatever one before it met, so that the file is still completed.
  HRESULT result = S_OK;
  for (IBaseFilter* f : order) {
    const HRESULT hr = StopFilter(f);
    if (FAILED(hr) && result == S_OK) result = hr;
  }
  state_ = State::Ended;
  if (error_ == S_OK) events_.push_back({EC_COMPLETE, 0, 0});
  Log("Stop: " + HresultHex(result));
  return result;
}

HRESULT FilterGraph::StopFilter(IBaseFilter* filter) noexcept {
  // What a filter throws (memory for its last frames) ends here: the graph is
  // also stopped from its destructor.
  try {
    return filter->Stop();
  } catch (const std::bad_alloc&) {
    ReportError(E_OUTOFMEMORY, NameOf(filter), AvErrorText(AVERROR(ENOMEM)));
    return E_OUTOFMEMORY;
  } catch (const std::exception& e) {
    ReportError(E_FAIL, NameOf(filter), e.what());
    return E_FAIL;
  }
}

void FilterGraph::ReportError(HRESULT hr, const std::string& filter, const std::string& reason) {
  Log(filter + ": " + reason + ": " + HresultHex(hr));
  if (error_ != S_OK) return;
  error_ = hr;
  reason_ = reason;
  events_.push_back({EC_ERRORABORTEX, static_cast<intptr_t>(hr), reinterpret_cast<intptr_t>(reason_.c_str())});
}

HRESULT FilterGraph::WaitForCompletion(long, long* eventCode) {
  if (!eventCode) return E_POINTER;
  *eventCode = 0;
  if (state_ == State::Running) return E_ABORT;
  if (state_ == State::Stopped) return VFW_E_WRONG_STATE;
  *eventCode = error_ != S_OK ? EC_ERRORABORT : EC_COMPLETE;
  return S_OK;
}

HRESULT FilterGraph::GetEvent(long* eventCode, intptr_t* param1, intptr_t* param2, long) {
  if (!eventCode || !param1 || !param2) return E_POINTER;
  if (events_.empty()) return E_ABORT;
  *eventCode = events_.front().code;
  *param1 = events_.front().param1;
  *param2 = events_.front().param2;
  events_.pop_front();
  return S_OK;
}
