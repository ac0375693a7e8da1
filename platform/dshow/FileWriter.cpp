#include "platform/dshow/FileWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
}

#include "platform/dshow/Streaming.h"
#include "platform/text/WideText.h"

namespace {

// 0 when the file can be opened for writing, or made in its folder; else the errno why not.
int WriteRefusal(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd >= 0) {
    close(fd);
    return 0;
  }
  if (errno != ENOENT) return errno;
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (folder.empty()) folder = ".";
  return faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
}

}  // namespace

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
  // Only make sure the file can be written, creating nothing: an existing file
  // keeps its contents until the graph writes, and a build that fails (or a
  // kill while its errors are shown) leaves no file where there was none.
  if (const int error = WriteRefusal(path_); error != 0) {
    Fail(AVERROR(error));
    ReportError(status_, reason_);
    return status_;
  }
  status_ = S_OK;
  Log("File Writer: may write \"" + path_ + "\": " + HresultHex(status_));
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
  if (!io_) return status_ == VFW_E_NOT_CONNECTED ? S_OK : status_;
  avio_flush(io_);
  if (io_->error < 0) Fail(io_->error);
  const int err = avio_closep(&io_);
  if (err < 0) Fail(err);
  Log("File Writer: closed \"" + path_ + "\": " + HresultHex(status_));
  return status_;
}
