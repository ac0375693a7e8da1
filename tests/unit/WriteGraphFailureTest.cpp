// Build steps that fail, and what the user is told.
#include <gtest/gtest.h>

#include <filesystem>
#include <new>

#include "platform/com/ComRegistry.h"
#include "platform/dshow/CompressorCatalogue.h"
#include "platform/dshow/Guids.h"
#include "platform/dshow/Interfaces.h"
#include "platform/pusher/SamplePusher.h"
#include "support/Ffprobe.h"
#include "support/GraphTestFixture.h"
#include "support/TempDir.h"

namespace {

// Takes a class out of the registry for one test.
class ClassAbsent {
 public:
  explicit ClassAbsent(const CLSID& clsid) : clsid_(clsid), factory_(CoGetClassFactory(clsid)) {
    CoUnregisterClass(clsid);
  }
  ~ClassAbsent() {
    if (factory_) CoRegisterClass(clsid_, factory_);
  }

 private:
  CLSID clsid_;
  ClassFactory factory_;
};

class WriteGraphFailureTest : public GraphTestFixture {
 protected:
  WriteGraphFailureTest() { form.SetCompressor("Microsoft Video 1"); }
};

TEST_F(WriteGraphFailureTest, NoCaptureGraphBuilder) {
  ClassAbsent absent(CLSID_CaptureGraphBuilder2);
  EXPECT_EQ(form.BuildWriteGraph(), REGDB_E_CLASSNOTREG);
  ASSERT_EQ(form.GraphErrors.size(), 1u);
  EXPECT_EQ(form.GraphErrors[0].first, GraphStep::CreateGraphBuilder);
  EXPECT_EQ(form.GraphErrors[0].second, "Error 0x80040154 creating graph builder");
  EXPECT_EQ(form.Graph, nullptr);
}

TEST_F(WriteGraphFailureTest, NoFilterGraphAndNoLogEither) {
  ClassAbsent absent(CLSID_FilterGraph);
  form.Debug = true;
  EXPECT_EQ(form.BuildWriteGraph(), REGDB_E_CLASSNOTREG);
  ASSERT_EQ(form.GraphErrors.size(), 1u);
  EXPECT_EQ(form.GraphErrors[0].first, GraphStep::CreateFilterGraph);
  EXPECT_EQ(form.GraphErrors[0].second, "Error 0x80040154 creating the filtergraph");
  EXPECT_NE(form.CaptureBuilder, nullptr);
  EXPECT_FALSE(std::filesystem::exists(dir.file("LOG.TXT")));
  form.ReleaseGraph();
  EXPECT_EQ(form.CaptureBuilder, nullptr);
}

TEST_F(WriteGraphFailureTest, AnUnregisteredPushSourceFailsTheRendering) {
  ClassAbsent absent(CLSID_SamplePusher);
  EXPECT_EQ(form.BuildWriteGraph(), E_POINTER);
  EXPECT_EQ(form.PusherFilter, nullptr);
  EXPECT_EQ(form.Pusher, nullptr);
  ASSERT_EQ(form.GraphErrors.size(), 1u);
  EXPECT_EQ(form.GraphErrors[0].second, "Error 0x80004003 rendering the graph\n" + out);
}

// A filter found under the push source's class without ISamplePusher; a starved one throws when stopped.
class MuteFilter final : public ComObject<IBaseFilter> {
 public:
  explicit MuteFilter(bool starved = false) : starved_(starved) {}
  static HRESULT Create(REFIID iid, void** object) {
    auto* filter = new MuteFilter();
    const HRESULT hr = filter->QueryInterface(iid, object);
    filter->Release();
    return hr;
  }
  HRESULT JoinFilterGraph(IGraphBuilder*, const char16_t*) override { return S_OK; }
  HRESULT Run(REFERENCE_TIME) override { return S_OK; }
  HRESULT Stop() override { return starved_ ? throw std::bad_alloc() : S_OK; }

 private:
  const bool starved_;
  IUnknown* FindInterface(REFIID iid) override {
    if (iid == IID_IUnknown || iid == IID_IBaseFilter) return static_cast<IBaseFilter*>(this);
    return nullptr;
  }
};

TEST_F(WriteGraphFailureTest, APushSourceWithoutSamplePusherFailsTheBuild) {
  ClassAbsent absent(CLSID_SamplePusher);
  CoRegisterClass(CLSID_SamplePusher, MuteFilter::Create);
  form.SetCompressor("None (for postprocessing)");
  const HRESULT hr = form.BuildWriteGraph();
  EXPECT_NE(hr, S_OK);
  EXPECT_NE(form.PusherFilter, nullptr);
  EXPECT_EQ(form.Pusher, nullptr);
  ASSERT_EQ(form.GraphErrors.size(), 1u);
  EXPECT_EQ(form.GraphErrors[0].first, GraphStep::RenderGraph);
  form.ReleaseGraph();
  CoUnregisterClass(CLSID_SamplePusher);
}

TEST_F(WriteGraphFailureTest, AStopThatRunsOutOfMemoryIsReportedAndTheFileStillCompleted) {
  ASSERT_EQ(form.BuildWriteGraph(), S_OK);
  form.Graph->AddFilter(ComPtr<MuteFilter>::Attach(new MuteFilter(true)).Get(), u"Starved");
  form.PushFrames(0, 5);
  form.ReleaseGraph();
  EXPECT_EQ(form.WriteError, E_OUTOFMEMORY);
  EXPECT_EQ(form.WriteErrorReason, "Cannot allocate memory");
  EXPECT_EQ(ProbeStreams(out).at(0).at("nb_frames"), "5");
}

TEST_F(WriteGraphFailureTest, AnOutputFileInAMissingFolderFailsTheRendering) {
  const std::string missing = dir.file("no/such/folder/out.avi");
  form.SetOutput(missing);
  EXPECT_EQ(form.BuildWriteGraph(), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
  ASSERT_EQ(form.GraphErrors.size(), 1u);
  EXPECT_EQ(form.GraphErrors[0].second,
            "Error 0x80070003 rendering the graph\n" + missing + ": No such file or directory");
}

TEST_F(WriteGraphFailureTest, AnOutputFileThatCannotBeWrittenFailsTheRendering) {
  std::string target = out;
  if (geteuid() == 0) {
    // Root writes anywhere; a folder in the output's place still refuses.
    std::filesystem::create_directory(out);
  } else {
    std::filesystem::create_directory(dir.file("locked"));
    std::filesystem::permissions(dir.file("locked"), std::filesystem::perms::owner_read);
    target = dir.file("locked/out.avi");
    form.SetOutput(target);
  }
  EXPECT_EQ(form.BuildWriteGraph(), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
  ASSERT_EQ(form.GraphErrors.size(), 1u);
  const std::string reason = geteuid() == 0 ? "Is a directory" : "Permission denied";
  EXPECT_EQ(form.GraphErrors[0].second, "Error 0x80070005 rendering the graph\n" + target + ": " + reason);
}

TEST_F(WriteGraphFailureTest, AWriteErrorIsKeptForAfterTheRelease) {
  form.SetOutput(dir.file("full.avi"));
  form.SetCompressor("None (for postprocessing)");
  {
    const ScopedFileSizeLimit full(0);
    ASSERT_EQ(form.BuildWriteGraph(), S_OK);
    form.PushFrames(0, 20);
    form.ReleaseGraph();
  }
  EXPECT_EQ(form.WriteError, HRESULT_FROM_WIN32(ERROR_DISK_FULL));
  // The next build starts afresh.
  form.SetOutput(out);
  ASSERT_EQ(form.BuildWriteGraph(), S_OK);
  EXPECT_EQ(form.WriteError, S_OK);
  form.ReleaseGraph();
  EXPECT_EQ(form.WriteError, S_OK);
}

TEST_F(WriteGraphFailureTest, TwoDevicesOfOneNameAreBothListedAndTheFirstBinds) {
  SetCompressorCatalogue({{"Twin", {"mjpeg"}}, {"Lonely", {"no-such-encoder"}}, {"Twin", {"msvideo1"}}});
  std::vector<std::string> names{"stale"};
  form.ListDeviceNames(&CLSID_VideoCompressorCategory, names);
  EXPECT_EQ(names, (std::vector<std::string>{"Twin", "Twin"}));
  form.SetCompressor("Twin");
  ASSERT_EQ(form.BuildWriteGraph(), S_OK);
  form.PushFrames(0, 2);
  form.ReleaseGraph();
  RestoreCompressorCatalogue();
  const auto streams = ProbeStreams(out);
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_EQ(streams[0].at("codec_name"), "mjpeg");
}

TEST_F(WriteGraphFailureTest, ACategoryWithoutDevicesListsNothingAndMatchesNothing) {
  SetCompressorCatalogue({});
  std::vector<std::string> names{"stale"};
  form.ListDeviceNames(&CLSID_VideoCompressorCategory, names);
  EXPECT_TRUE(names.empty());
  IBaseFilter* filter = nullptr;
  EXPECT_FALSE(form.FindFilterByFriendlyName(&CLSID_VideoCompressorCategory, u"", &filter));
  EXPECT_EQ(filter, nullptr);
  RestoreCompressorCatalogue();
}

TEST_F(WriteGraphFailureTest, LookupIsExactAndCaseSensitive) {
  IBaseFilter* filter = nullptr;
  EXPECT_FALSE(form.FindFilterByFriendlyName(&CLSID_VideoCompressorCategory, u"microsoft video 1", &filter));
  EXPECT_FALSE(form.FindFilterByFriendlyName(&CLSID_VideoCompressorCategory, u"Microsoft Video 1 ", &filter));
  EXPECT_EQ(filter, nullptr);
  EXPECT_TRUE(form.FindFilterByFriendlyName(&CLSID_VideoCompressorCategory, u"Microsoft Video 1", &filter));
  ASSERT_NE(filter, nullptr);
  filter->Release();
}

TEST_F(WriteGraphFailureTest, TheStandardCatalogueListsOnlyEncodersThatExist) {
  SetCompressorCatalogue({{"Microsoft Video 1", {"msvideo1"}}, {"Gone", {"no-such-encoder"}},
                          {"Xvid MPEG-4 Codec", {"no-such-xvid", "mpeg4"}}});
  std::vector<std::string> names;
  form.ListDeviceNames(&CLSID_VideoCompressorCategory, names);
  EXPECT_EQ(names, (std::vector<std::string>{"Microsoft Video 1", "Xvid MPEG-4 Codec"}));
  RestoreCompressorCatalogue();
  form.ListDeviceNames(&CLSID_VideoCompressorCategory, names);
  EXPECT_NE(std::find(names.begin(), names.end(), "Microsoft Video 1"), names.end());
}

}  // namespace
