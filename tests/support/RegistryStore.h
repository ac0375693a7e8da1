// A registry store of the test's own: VISTREL_REGISTRY_FILE points into a fresh
// TempDir for the fixture's lifetime.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "TempDir.h"

class RegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Points the store at another file (e.g. one that cannot be written).
  void UseStoreFile(const std::string& file);
  void WriteStoreText(const std::string& text) const;
  std::string StoreText() const;

  TempDir dir_;
  std::string storeFile_;
};
