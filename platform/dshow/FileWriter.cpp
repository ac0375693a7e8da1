#include "platform/dshow/FileWriter.h"

extern "C" {
#include <libavformat/avio.h>
}

#include "platform/dshow/Streaming.h"
#include "platform/text/WideText.h"

ComPtr<FileWriter> FileWriter::Make() { return ComPtr<FileWriter>::Attach(new FileWriter()); }

FileWriter::~FileWriter() { Close(); }

IUnknown* FileWriter::FindExtraInterface(REFIID iid) {
  if (iid == IID_IFileSinkFilter) return static_cast<IFileSinkFilter*>(this);
  return nullptr;
}

HRESULT FileWriter::SetFileName(const char16_t* fileName, const void*) {
  if (!fileName) return E_POINTER;
  if (io_) return VFW_E_WRONG_STATE;
  path_ = WideToText(fileName);
  if (path_.empty()) {
    status_ = E_INVALIDARG;
    return status_;
  }
  // The "file:" prefix keeps a name with a colon from being taken for a protocol.
  const int err = avio_open(&io_, ("file:" + path_).c_str(), AVIO_FLAG_WRITE);
  status_ = HresultFromAvError(err);
  Log("File Writer: create \"" + path_ + "\": " + (err < 0 ? AvErrorText(err) + ", " : "") +
      HresultText(status_));
  return status_;
}

HRESULT FileWriter::Close() {
  if (!io_) return status_ == VFW_E_NOT_CONNECTED ? S_OK : status_;
  avio_flush(io_);
  if (io_->error < 0 && status_ == S_OK) status_ = HresultFromAvError(io_->error);
  const int err = avio_closep(&io_);
  if (err < 0 && status_ == S_OK) status_ = HresultFromAvError(err);
  Log("File Writer: closed \"" + path_ + "\": " + HresultText(status_));
  return status_;
}
