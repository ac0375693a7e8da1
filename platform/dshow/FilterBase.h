// What every filter of ours shares: membership in a graph, its pins as the
// capture graph builder searches them, and its place in the order of stopping.
#pragma once

#include <string>
#include <vector>

#include "platform/dshow/Interfaces.h"

class FilterGraph;

// A pin as FindInterface sees it.
struct PinDescription {
  IPin* pin;
  GUID category;   // GUID_NULL: none
  GUID majorType;
};

// Filters stop upstream first, so that what a source still holds flows down
// before the multiplexer completes the file.
enum class StopStage { Source = 0, Transform = 1, Multiplexer = 2, Writer = 3 };

class FilterBase {
 public:
  virtual ~FilterBase() = default;

  virtual StopStage Stage() const = 0;
  virtual std::vector<PinDescription> Pins() { return {}; }

  FilterGraph* Graph() const { return graph_; }
  const std::string& Name() const { return name_; }
  // A line in the graph's log, when it has one.
  void Log(const std::string& text) const;
  // Tells the graph why this filter cannot go on (see FilterGraph::ReportError).
  void ReportError(HRESULT hr, const std::string& reason) const;

 protected:
  HRESULT Join(IGraphBuilder* graph, const char16_t* name);
  bool running_ = false;

 private:
  FilterGraph* graph_ = nullptr;
  std::string name_;
};

// IBaseFilter and IUnknown for a filter that may offer further interfaces.
template <class... Extra>
class Filter : public ComObject<IBaseFilter, Extra...>, public FilterBase {
 public:
  HRESULT JoinFilterGraph(IGraphBuilder* graph, const char16_t* name) override { return Join(graph, name); }
  HRESULT Run(REFERENCE_TIME) override {
    if (running_) return S_OK;
    const HRESULT hr = OnRun();
    running_ = hr == S_OK;
    return hr;
  }
  HRESULT Stop() override {
    if (!running_) return S_OK;
    running_ = false;
    return OnStop();
  }

 protected:
  virtual HRESULT OnRun() { return S_OK; }
  virtual HRESULT OnStop() { return S_OK; }
  virtual IUnknown* FindExtraInterface(REFIID) { return nullptr; }

  IUnknown* FindInterface(REFIID iid) override {
    if (iid == IID_IUnknown || iid == IID_IBaseFilter) return static_cast<IBaseFilter*>(this);
    return FindExtraInterface(iid);
  }
};

// Our filter behind an interface pointer, or null for a foreign one.
FilterBase* AsFilterBase(IUnknown* filter);
