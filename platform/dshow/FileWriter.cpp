#include "platform/dshow/FileWriter.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include "platform/dshow/FilterGraph.h"
#include "platform/dshow/Streaming.h"
#include "platform/kernel/FileDescriptor.h"
#include "platform/text/WideText.h"

namespace {

constexpr int kBufferSize = 32768;

int WritePacket(void* opaque, uint8_t* bytes, int size) {
  const int fd = static_cast<ReplacementFile*>(opaque)->fd();
  return WriteAll(fd, std::string_view(reinterpret_cast<const char*>(bytes), static_cast<size_t>(size)))
             ? size
             : AVERROR(errno);
}

int64_t Seek(void* opaque, int64_t offset, int whence) {
  const int fd = static_cast<ReplacementFile*>(opaque)->fd();
  if (whence == AVSEEK_SIZE) {
    struct stat st{};
    return fstat(fd, &st) == 0 ? st.st_size : AVERROR(errno);
  }
  const off_t position = lseek(fd, offset, whence & ~AVSEEK_FORCE);
  return position >= 0 ? position : AVERROR(errno);
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
  // Only make sure the file can be replaced, creating nothing: a build that
  // fails (or a kill while its errors are shown) leaves no file where there was none.
  if (const int error = ReplacementFile::Refusal(path_); error != 0) {
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
  // Written beside the output, which keeps its contents until the file is complete.
  file_ = std::make_unique<ReplacementFile>(path_);
  if (file_->fd() < 0) {
    Fail(AVERROR(errno));
    file_.reset();
    return nullptr;
  }
  auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
  if (buffer) io_ = avio_alloc_context(buffer, kBufferSize, 1, file_.get(), nullptr, WritePacket, Seek);
  if (!io_) {
    av_free(buffer);
    Fail(AVERROR(ENOMEM));
    file_.reset();
  }
  return io_;
}

HRESULT FileWriter::Close() {
  if (!io_) return status_ == VFW_E_NOT_CONNECTED ? S_OK : status_;
  avio_flush(io_);
  if (io_->error < 0) Fail(io_->error);
  av_freep(&io_->buffer);
  avio_context_free(&io_);
  // A failed write keeps the file it would have replaced; with none there, what was written stays.
  const bool failed = status_ != S_OK || (Graph() && Graph()->Failed());
  const bool keep = !failed || !file_->ReplacesFile();
  if (keep && !file_->Commit()) Fail(AVERROR(errno));
  Log("File Writer: " + std::string(keep ? "closed \"" : "kept the old \"") + path_ + "\": " + HresultHex(status_));
  file_.reset();
  return status_;
}
