#include "RegistryStore.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

void RegistryStoreTest::SetUp() { UseStoreFile(dir_.file("registry.reg")); }

void RegistryStoreTest::TearDown() { unsetenv("VISTREL_REGISTRY_FILE"); }

void RegistryStoreTest::UseStoreFile(const std::string& file) {
  storeFile_ = file;
  setenv("VISTREL_REGISTRY_FILE", file.c_str(), 1);
}

void RegistryStoreTest::WriteStoreText(const std::string& text) const {
  std::ofstream out(storeFile_, std::ios::binary);
  out << text;
  ASSERT_TRUE(out.good());
}

std::string RegistryStoreTest::StoreText() const {
  std::ifstream in(storeFile_, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}
