// The file writer: owns the output file that the AVI multiplexer writes into.
#pragma once

#include <string>

#include "platform/dshow/FilterBase.h"

struct AVIOContext;

class FileWriter final : public Filter<IFileSinkFilter> {
 public:
  static ComPtr<FileWriter> Make();

  HRESULT SetFileName(const char16_t* fileName, const void* mediaType) override;
  StopStage Stage() const override { return StopStage::Writer; }

  // S_OK while the file is open and no write failed; otherwise why not.
  HRESULT Status() const { return status_; }
  // The open file, made or truncated on first use; null (and Status() says why) when it cannot be opened.
  AVIOContext* Io();
  const std::string& Path() const { return path_; }
  // Why Status() is not S_OK, in words ("No space left on device").
  const std::string& Reason() const { return reason_; }
  // Flushes and closes the file; the first error of the file's life, or S_OK.
  HRESULT Close();

 private:
  FileWriter() = default;
  ~FileWriter() override;
  IUnknown* FindExtraInterface(REFIID iid) override;
  // Keeps the first error of the file's life.
  void Fail(int avError);

  std::string path_;
  std::string reason_;
  AVIOContext* io_ = nullptr;
  HRESULT status_ = VFW_E_NOT_CONNECTED;
  bool opened_ = false;
};
