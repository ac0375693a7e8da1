#include "platform/dshow/FileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
}

#include "platform/dshow/Streaming.h"
#include "platform/text/WideText.h"

ComPtr<FileWriter> FileWriter::Make() { return ComPtr<FileWriter>::Attach(new FileWriter()); }

FileWriter::~FileWriter() { Close(); }

IUnknown* FileWriter::FindExtraInterface(REFIID iid) {
  if (iid == IID_IFileSinkFilter) return static_cast<IFileSinkFilter*>(this);
  return nullptr;
}

void FileWriter::Fail(int avError) {
  if (status_ != S_OK && status_ != VFW_E_NOT_CONNECTED) return;  // the first error stays
  status_ = HresultFromAvError(avError);
  reason_ = AvErrorText(avError);
}

HRESULT FileWriter::SetFileName(const char16_t* fileName, const void*) {
  if (!fileName) return E_POINTER;
  if (io_) return VFW_E_WRONG_STATE;
  path_ = WideToText(fileName);
  if (path_.empty()) {
    status_ = E_INVALIDARG;
    return status_;
  }
  // Only make sure the file can be written: an existing file keeps its contents
  // until the graph writes, and a build that fails leaves it as it was.
  struct stat before;
  const bool existed = stat(path_.c_str(), &before) == 0;
  const int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    Fail(AVERROR(errno));
    ReportError(status_, reason_);
    return status_;
  }
  close(fd);
  status_ = S_OK;
  created_ = !existed;
  Log("File Writer: create \"" + path_ + "\": " + HresultHex(status_));
  return status_;
}

AVIOContext* FileWriter::Io() {
  if (io_ || status_ != S_OK || opened_) return io_;
  opened_ = true;
  // The "file:" prefix keeps a name with a colon from being taken for a protocol.
  const int err = avio_open(&io_, ("file:" + path_).c_str(), AVIO_FLAG_WRITE);
  if (err < 0) Fail(err);
  return io_;
}

HRESULT FileWriter::Close() {
  if (!io_) {
    // Nothing was ever written: take away the empty file that only the check made.
    if (created_ && !opened_) unlink(path_.c_str());
    created_ = false;
    return status_ == VFW_E_NOT_CONNECTED ? S_OK : status_;
  }
  avio_flush(io_);
  if (io_->error < 0) Fail(io_->error);
  const int err = avio_closep(&io_);
  if (err < 0) Fail(err);
  Log("File Writer: closed \"" + path_ + "\": " + HresultHex(status_));
  return status_;
}
