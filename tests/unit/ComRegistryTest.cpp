// Object creation by class identifier and the wide strings handed out by property bags.
#include <gtest/gtest.h>

#include "platform/com/ComRegistry.h"
#include "platform/com/Variant.h"
#include "platform/dshow/Guids.h"
#include "platform/dshow/Interfaces.h"
#include "platform/dshow/SystemClasses.h"

namespace {

TEST(ComRegistryTest, CreationNeedsInitialisation) {
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, &object),
            CO_E_NOTINITIALIZED);
  EXPECT_EQ(object, nullptr);
  RegisterSystemClasses();
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  CoUninitialize();
  ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, &object), S_OK);
  static_cast<IGraphBuilder*>(object)->Release();
  CoUninitialize();
}

TEST(ComRegistryTest, AnAbsentClassIsNotRegisteredAndAggregationIsRefused) {
  CoInitialize(nullptr);
  RegisterSystemClasses();
  const ClassFactory factory = CoGetClassFactory(CLSID_FilterGraph);
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(CoUnregisterClass(CLSID_FilterGraph), S_OK);
  EXPECT_EQ(CoUnregisterClass(CLSID_FilterGraph), S_FALSE);
  void* object = nullptr;
  EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, &object),
            REGDB_E_CLASSNOTREG);
  CoRegisterClass(CLSID_FilterGraph, factory);
  IUnknown* outer = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(&outer)),
            S_OK);
  EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, outer, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
            CLASS_E_NOAGGREGATION);
  outer->Release();
  CoUninitialize();
}

TEST(ComRegistryTest, OneObjectAnswersEachOfItsInterfacesAndCountsReferences) {
  CoInitialize(nullptr);
  RegisterSystemClasses();
  IGraphBuilder* graph = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                             reinterpret_cast<void**>(&graph)),
            S_OK);
  IMediaControl* control = nullptr;
  ASSERT_EQ(graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control)), S_OK);
  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(graph->QueryInterface(IID_IBaseFilter, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  IUnknown* a = nullptr;
  IUnknown* b = nullptr;
  graph->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a));
  control->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b));
  EXPECT_EQ(a, b);
  a->Release();
  b->Release();
  EXPECT_EQ(control->Release(), 1u);
  EXPECT_EQ(graph->Release(), 0u);
  CoUninitialize();
}

TEST(ComRegistryTest, WideStringsKeepTheirLength) {
  BSTR text = SysAllocString(u"Microsoft Video 1");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SysStringLen(text), 17u);
  EXPECT_EQ(std::u16string(text), u"Microsoft Video 1");
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = text;
  EXPECT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(v.vt, VT_EMPTY);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
}

TEST(ComRegistryTest, GuidsCompareFieldByField) {
  GUID g = IID_IBaseFilter;
  EXPECT_EQ(g, IID_IBaseFilter);
  g.Data4[7] ^= 1;
  EXPECT_FALSE(g == IID_IBaseFilter);
}

}  // namespace
