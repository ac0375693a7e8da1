// The file writer: owns the output file that the AVI multiplexer writes into,
// written beside the output and put in its place when closed.
#pragma once

#include <memory>
#include <string>

#include "platform/dshow/FilterBase.h"
#include "platform/kernel/ReplaceFile.h"

struct AVIOContext;

class FileWriter final : public Filter<IFileSinkFilter> {
 public:
  static ComPtr<FileWriter> Make();

  HRESULT SetFileName(const char16_t* fileName, const void* mediaType) override;
  StopStage Stage() const override { return StopStage::Writer; }

  // S_OK while the file is open and no write failed; otherwise why not.
  HRESULT Status() const { return status_; }
  // The open file, made on first use; null (and Status() says why) when it cannot be made.
  AVIOContext* Io();
  const std::string& Path() const { return path_; }
  // Why Status() is not S_OK, in words ("No space left on device").
  const std::string& Reason() const { return reason_; }
  // Flushes and closes the file and puts it in the output's place, unless a write
  // failed and an old output is there to keep; the first error of the file's life, or S_OK.
  HRESULT Close();

 private:
  FileWriter() = default;
  ~FileWriter() override;
  IUnknown* FindExtraInterface(REFIID iid) override;
  // Keeps the first error of the file's life.
  void Fail(int avError);

  std::string path_;
  std::string reason_;
  std::unique_ptr<ReplacementFile> file_;
  AVIOContext* io_ = nullptr;
  HRESULT status_ = VFW_E_NOT_CONNECTED;
  bool opened_ = false;
};
