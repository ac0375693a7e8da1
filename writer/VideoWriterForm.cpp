#include "VideoWriterForm.h"

#include <cstdlib>
#include <cstring>

namespace {

// VISTREL_SERIAL_WRITING=1 lets tests of whole programs time signals by the old pace.
bool SerialWritingRequested() {
  const char* value = std::getenv("VISTREL_SERIAL_WRITING");
  return value && std::strcmp(value, "1") == 0;
}

}  // namespace

VideoWriterForm::VideoWriterForm(const WriterProfile& profile)
    : Registry(std::make_unique<TRegistry>()), SerialWriting(SerialWritingRequested()), profile_(profile) {}

VideoWriterForm::~VideoWriterForm() = default;
