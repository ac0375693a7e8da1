// The state and the pipeline operations that both programs' main form objects
// share. Each program's TForm1 derives from it, so the members keep their names
// (TForm1::Graph, TForm1::FrameHeader, ...), and passes in what differs through
// the profile and the hooks below.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/com/Hresult.h"
#include "platform/gdi/BitmapInfo.h"
#include "platform/registry/Registry.h"

struct GUID;
struct IGraphBuilder;
struct ICaptureGraphBuilder2;
struct IBaseFilter;
struct ISamplePusher;
struct IFileSinkFilter;
struct IMediaControl;
struct IMediaEventEx;
struct IMediaSeeking;
class Bitmap;
struct FrameBuffers;

// The build steps whose failure the build itself reports.
enum class GraphStep { CreateGraphBuilder, CreateFilterGraph, RenderGraph };

// What differs between the editor and the console converter.
struct WriterProfile {
  int defaultFrames;        // frame rate after a failed settings load: 25 editor, 15 console
  int windowWidth;          // outer size of the main form, for the centred "Top"/"Left"
  int windowHeight;
  int settingsWritten;      // 17 editor, 14 console (the first fourteen of the write order)
  bool hasSoundStep;        // the console's graph never gets a sound stream
  bool abortAfterEveryFrame;  // console: tested after every pushed frame; editor: between pictures
};

// One picture of a show as the frame loop sees it.
struct Slide {
  std::string FileName;
  TColor BkColor = 0;
  int Transition = 0;
  int DisplayTime = 0;
};

enum class WriteResult {
  Written,      // every picture
  Aborted,      // stopped early on request; the file is complete with what was pushed
  NotStarted,   // nothing written: invalid format, failed graph build, no frame memory
  WriteFailed,  // the graph could not write the whole file
};

class VideoWriterForm {
 public:
  virtual ~VideoWriterForm();
  VideoWriterForm(const VideoWriterForm&) = delete;
  VideoWriterForm& operator=(const VideoWriterForm&) = delete;

  // ---- settings ----
  std::unique_ptr<TRegistry> Registry;
  char16_t CompressorName[160] = {};
  double Quality = 0.5;
  int KeyFrameRate = 10;
  int FormatX = 0;
  int FormatY = 0;
  int Frames = 0;
  int MaxDiskspace = 0;
  bool Debug = false;
  // Every frame drawn and encoded in turn on this thread, JPEGs decoded whole,
  // as before the writing used every core (kept to compare against).
  bool SerialWriting = false;
  std::string JPGPath;
  std::string INIPath;
  std::string AVIPath;
  std::string SoundPath;

  // Never raises: anything unreadable gives the defaults (folders excepted).
  void LoadSettings();
  // Raises ERegistryException at the first value that cannot be written.
  void SaveSettings();

  // ---- frame format and the output ----
  BITMAPINFO FrameHeader{};
  int64_t FrameDuration = 0;
  char16_t OutputFileName[256] = {};
  char16_t SoundFileName[256] = {};
  // Set from another thread in the console (control events); one byte, no lock.
  std::atomic<uint8_t> AbortRequested{0};

  // ---- writing graph ----
  IGraphBuilder* Graph = nullptr;
  ICaptureGraphBuilder2* CaptureBuilder = nullptr;
  IBaseFilter* PusherFilter = nullptr;
  ISamplePusher* Pusher = nullptr;
  IBaseFilter* CompressorFilter = nullptr;
  IBaseFilter* MuxFilter = nullptr;
  IFileSinkFilter* FileSink = nullptr;
  IBaseFilter* AudioSource = nullptr;
  IMediaControl* MediaControl = nullptr;
  IMediaEventEx* MediaEvent = nullptr;
  IMediaSeeking* MediaSeeking = nullptr;
  // The first error met while writing (disk full, ...), S_OK when the last
  // write completed its file; a failed push or ReleaseGraph fills it, the
  // graph's reason in words beside it when it gave one.
  HRESULT WriteError = S_OK;
  std::string WriteErrorReason;

  // ---- device lookup and the writing graph ----
  void ListDeviceNames(const GUID* category, std::vector<std::string>& names);
  bool FindFilterByFriendlyName(const GUID* category, const char16_t* name, IBaseFilter** filter);
  HRESULT BuildWriteGraph();
  void ReleaseGraph();

  // ---- frames ----
  // Builds the graph, writes every slide (transition, then hold frames) and
  // releases the graph. Errors go to ShowWriteError. Refuses to write over a
  // file the show reads: the slides, the sound, the settings store and alsoRead.
  WriteResult WriteVideo(const std::vector<Slide>& slides, const std::vector<std::string>& alsoRead = {});
  // Pushes the frames that lead from PREV to NEW through OUT.
  void RenderTransition(int kind, FrameBuffers& buffers);
  // Does nothing once a push has failed: the write stops at the first failure.
  void PushFrame(const Bitmap& frame);

 protected:
  // Where each program shows progress, frames and errors of a write.
  virtual void PictureStarted(int /*index*/, int /*count*/) {}
  virtual void ShowTransitionFrame(const Bitmap& /*frame*/) {}
  virtual void ShowHoldFrame(const Bitmap& /*frame*/) {}
  virtual void FramePushed() {}
  // Called again and again while the graph writes what is still queued at the
  // end of a write, so that a window can stay alive meanwhile.
  virtual void WaitingForGraph() {}
  virtual void ShowWriteError(const std::string& text) = 0;

  explicit VideoWriterForm(const WriterProfile& profile);

  const WriterProfile& Profile() const { return profile_; }

  // ---- settings hooks ----
  // The settings that live outside the members above: the window position and
  // the screen it is centred on, and what new pictures get. The editor keeps
  // them in its window and controls (which may limit what they take: a radio
  // group, a 16-bit up-down), the console in plain members of its own.
  virtual int SettingsTop() const = 0;
  virtual void SetSettingsTop(int top) = 0;
  virtual int SettingsLeft() const = 0;
  virtual void SetSettingsLeft(int left) = 0;
  virtual int ScreenWidth() const = 0;
  virtual int ScreenHeight() const = 0;
  virtual TColor SettingsBkColor() const = 0;
  virtual void SetSettingsBkColor(TColor color) = 0;
  virtual int SettingsDisplayTime() const = 0;
  virtual void SetSettingsDisplayTime(int seconds) = 0;
  virtual int SettingsTransition() const = 0;
  virtual void SetSettingsTransition(int kind) = 0;
  // The compressor text that a load ends with (read, or the default), before it
  // goes into CompressorName; the console keeps it as TForm1::Compressor.
  virtual void SetSettingsCompressor(const std::string& text) = 0;

  // Shows (editor) or prints (console) the text of a failed build step:
  // "Error 0x%1x creating graph builder" and its kin, the HRESULT filled in.
  virtual void ShowGraphError(GraphStep step, const std::string& text) = 0;

 private:
  // The frame loop between the graph's build and its release.
  void WriteSlides(const std::vector<Slide>& slides, FrameBuffers& buffers);
  // True when the transition must stop: an abort the profile tests per frame, or a failed push.
  bool PushTransitionFrame(const Bitmap& frame);
  // Every file a write of slides reads, alsoRead among them.
  std::vector<std::string> FilesRead(const std::vector<Slide>& slides, const std::vector<std::string>& alsoRead) const;
  // Stops the graph on a thread of its own while WaitingForGraph is called; Stop's result.
  HRESULT StopGraph();
  // The reason the graph gave for a failed rendering, or empty.
  std::string RenderingFailureReason();
  // "<output file>: <reason>", the line that follows a failed build's message.
  std::string OutputFailure(const std::string& reason) const;

  WriterProfile profile_;
};
