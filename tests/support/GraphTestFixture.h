// What every graph test starts from: COM with the push source, a folder of its
// own as the current directory, and a form writing 320 x 240 at 25 frames per
// second into out.avi there.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "GraphTestForm.h"
#include "TempDir.h"

class GraphTestFixture : public ::testing::Test {
 protected:
  GraphTestFixture();

  // Builds, pushes `frames` frames of the test pattern and releases; the build's result.
  HRESULT Write(int frames);

  ComSession com;
  TempDir dir;
  ScopedChdir chdir{dir.path()};
  GraphTestForm form;
  std::string out = dir.file("out.avi");
};
