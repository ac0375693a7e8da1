#include "GraphTestFixture.h"

GraphTestFixture::GraphTestFixture() {
  form.SetFormat(320, 240, 25);
  form.SetOutput(out);
}

HRESULT GraphTestFixture::Write(int frames) {
  const HRESULT hr = form.BuildWriteGraph();
  if (hr == S_OK) {
    EXPECT_NE(form.Pusher, nullptr);
    if (form.Pusher) form.PushFrames(0, frames);
  }
  form.ReleaseGraph();
  return hr;
}
