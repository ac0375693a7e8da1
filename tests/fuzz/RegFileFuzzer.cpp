// Feeds arbitrary text to the settings-file parser: it must never crash or
// hang, and whatever it reads must come back the same from the text it writes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/registry/RegFile.h"

namespace {

bool SameValues(const RegFile& a, const RegFile& b) {
  if (a.keys.size() != b.keys.size()) return false;
  for (std::size_t k = 0; k < a.keys.size(); ++k) {
    const RegKey& x = a.keys[k];
    const RegKey& y = b.keys[k];
    if (x.path != y.path || x.values.size() != y.values.size()) return false;
    for (std::size_t v = 0; v < x.values.size(); ++v) {
      const RegValue& p = x.values[v];
      const RegValue& q = y.values[v];
      if (p.name != q.name || p.type != q.type || p.data != q.data) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto file = ParseRegFile(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!file) return 0;
  const std::string text = FormatRegFile(*file);
  const auto again = ParseRegFile(text);
  // Every value stays in its key, and a second rewrite changes nothing.
  if (!again || !SameValues(*file, *again) || FormatRegFile(*again) != text) __builtin_trap();
  return 0;
}
