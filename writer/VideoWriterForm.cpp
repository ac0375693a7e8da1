#include "VideoWriterForm.h"

VideoWriterForm::VideoWriterForm(const WriterProfile& profile)
    : Registry(std::make_unique<TRegistry>()), profile_(profile) {}

VideoWriterForm::~VideoWriterForm() = default;
