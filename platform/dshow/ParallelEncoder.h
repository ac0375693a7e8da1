// Encodes a stream on a pool of threads: the frames are cut into runs that
// start at key frames, each run is encoded by an encoder instance of its own,
// and the packets are handed on in stream order on the caller's thread.
// Memory stays bounded: a fixed number of runs and of frame bytes held, the
// run being filled included; a run that cannot fit is encoded on the caller's
// thread as its frames come. The work waiting stays near a second, so that the
// end of a stream (an abort too) comes soon.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/com/Hresult.h"
#include "platform/dshow/RunEncoder.h"

struct EncodeBudget {
  int64_t heldBytesPerThread = int64_t{64} << 20;  // frames held, at least four
  double backlogSeconds = 1.0;                      // encoding waiting, at the cost measured so far
};

class ParallelEncoder {
 public:
  // Takes each packet with its stream index; a failure ends the stream.
  using Sink = std::function<HRESULT(const AVPacket& packet, int64_t index)>;
  // Told an encoder's error (an FFmpeg error code) before it ends the stream.
  using EncoderFailed = std::function<void(int error)>;

  // Whether these settings' streams can be split into runs.
  static bool CanSplit(const EncoderSettings& settings);

  // Starts up to `threads` workers; throws std::system_error (or std::bad_alloc) when none can start.
  ParallelEncoder(const EncoderSettings& settings, AVRational tb, Sink sink, EncoderFailed encoderFailed, int threads,
                  EncodeBudget budget = {});
  ~ParallelEncoder();
  ParallelEncoder(const ParallelEncoder&) = delete;
  ParallelEncoder& operator=(const ParallelEncoder&) = delete;

  // The next frame (bottom-up 24-bit rows, padded). S_OK, or the first error
  // of an encoder or of the sink, after which nothing more is handed on.
  HRESULT Push(const uint8_t* bits);
  // Hands on every frame pushed so far; the result as for Push.
  HRESULT Finish();

  // What the budget bounds, between pushes.
  int64_t HeldBytes() const { return heldBytes_; }
  int64_t MaxHeldBytes() const { return maxHeldBytes_; }
  bool RunsWaiting() const { return !inFlight_.empty(); }

 private:
  struct Job {
    Run run;
    int64_t skip = 0;  // frames at its start that were written before, encoded again for the encoder's state
    int64_t work = 0;  // frames it gives the encoder
    std::vector<PacketRef> packets;
    int error = 0;
    bool done = false;
    bool cancelled = false;  // cut on a key-frame grid that moved: not encoded (under the mutex)
  };

  bool CutBefore(int64_t index) const;
  // Frames a run gives the encoder.
  int64_t EncodeCount(const Run& run) const;
  // Seconds the encoders need for the frames pushed and not yet encoded,
  // at the cost per frame measured so far (0 before the first run is done).
  double BacklogSeconds();
  // Encodes the run being filled here, and every frame after it up to the next cut.
  void StartStream();
  void Stream(const std::shared_ptr<HeldFrame>& frame, bool changed);
  // Hands on a run's packets from stream index `index` on; false after a failure.
  bool HandOn(const std::vector<PacketRef>& packets, int64_t index, int64_t& key);
  void SubmitCurrent();
  void Submit(Run run, int64_t skip);
  // Waits for the oldest run and hands on its packets.
  void CommitOldest();
  void Commit(Job& job);
  // Cuts every frame not yet written anew from the last key frame written.
  void Recut(const Job& invalid);
  void Work();

  const EncoderSettings settings_;
  const AVRational tb_;
  const RepeatKind repeats_;
  // Key frames fall where the encoder's own count puts them (not on every frame).
  const bool phased_;
  const Sink sink_;
  const EncoderFailed encoderFailed_;
  const size_t frameBytes_;
  int threads_;  // the workers that started
  const double backlogSeconds_;
  int keyInterval_ = 1;
  size_t maxRuns_;
  int64_t maxHeldBytes_;
  std::atomic<int64_t> heldBytes_{0};  // every HeldFrame alive counts here

  // Caller's thread only.
  HRESULT failure_ = S_OK;
  int64_t next_ = 0;  // index of the next frame pushed
  std::shared_ptr<HeldFrame> lastFrame_;
  Run current_;  // being filled
  int64_t currentSkip_ = 0;
  std::deque<std::shared_ptr<Job>> inFlight_;  // in stream order
  int64_t lastKey_ = 0;                        // the last key frame handed on
  Run sinceKey_;                               // the frames written from it on, for encoding again
  RunEncoder streamer_;
  bool streaming_ = false;  // the run of current_.start is encoded as it comes
  int64_t streamed_ = 0;    // index of the next frame it hands on
  std::vector<PacketRef> streamPackets_;

  // Shared with the workers.
  std::mutex mutex_;
  std::condition_variable workAvailable_;
  std::condition_variable jobDone_;
  std::deque<std::shared_ptr<Job>> queue_;
  bool stopping_ = false;
  double encodeSeconds_ = 0;  // the workers' time and frames, for the cost per frame
  int64_t encodes_ = 0;
  std::vector<std::thread> workers_;
};
