#include "VideoWriterForm.h"

VideoWriterForm::VideoWriterForm(const WriterProfile& profile) : profile_(profile) {}

VideoWriterForm::~VideoWriterForm() = default;
