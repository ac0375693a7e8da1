#include "platform/dshow/FilterBase.h"

#include "platform/dshow/FilterGraph.h"
#include "platform/text/WideText.h"

void FilterBase::Log(const std::string& text) const {
  if (graph_) graph_->Log(text);
}

void FilterBase::ReportError(HRESULT hr, const std::string& reason) const {
  if (graph_) graph_->ReportError(hr, name_, reason);
}

HRESULT FilterBase::Join(IGraphBuilder* graph, const char16_t* name) {
  if (!graph) {
    graph_ = nullptr;
    return S_OK;
  }
  auto* ours = dynamic_cast<FilterGraph*>(graph);
  if (!ours) return E_INVALIDARG;
  graph_ = ours;
  name_ = name ? WideToText(name) : std::string();
  return S_OK;
}

FilterBase* AsFilterBase(IUnknown* filter) {
  IBaseFilter* base = nullptr;
  if (!filter || filter->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&base)) != S_OK) return nullptr;
  auto* ours = dynamic_cast<FilterBase*>(base);
  base->Release();
  return ours;
}
