#include "platform/dshow/ParallelEncoder.h"

#include <algorithm>
#include <cstring>
#include <new>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "platform/dshow/Streaming.h"
#include "platform/gdi/BitmapInfo.h"

namespace {

// Intra-only streams: frames handed to a worker at a time.
constexpr int kIntraRunFrames = 25;
// Longer key-frame intervals are not split: a run holds its frames until it is written.
constexpr int kMaxRunFrames = 250;
constexpr size_t kRunsPerThread = 4;
constexpr int64_t kHeldBytesPerThread = int64_t{64} << 20;

}  // namespace

bool ParallelEncoder::CanSplit(const EncoderSettings& settings) {
  return settings.Splits() && settings.KeyFrameInterval() < kMaxRunFrames;
}

ParallelEncoder::ParallelEncoder(const EncoderSettings& settings, AVRational tb, Sink sink,
                                 EncoderFailed encoderFailed, int threads)
    : settings_(settings),
      tb_(tb),
      phased_(settings.Repeats() != RepeatKind::PreviousPacket),
      sink_(std::move(sink)),
      encoderFailed_(std::move(encoderFailed)),
      frameBytes_(static_cast<size_t>(DibStride24(settings.width)) * static_cast<size_t>(settings.height)) {
  threads = std::max(threads, 1);
  keyInterval_ = phased_ ? settings.KeyFrameInterval() : kIntraRunFrames;
  maxRuns_ = kRunsPerThread * static_cast<size_t>(threads);
  maxHeldBytes_ = std::max<int64_t>(kHeldBytesPerThread * threads, 4 * static_cast<int64_t>(frameBytes_));
  for (int i = 0; i < threads; ++i) workers_.emplace_back([this] { Work(); });
}

ParallelEncoder::~ParallelEncoder() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  workAvailable_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void ParallelEncoder::Work() {
  RunEncoder encoder(settings_, tb_);
  for (;;) {
    std::shared_ptr<Job> job;
    {
      std::unique_lock lock(mutex_);
      workAvailable_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      job = std::move(queue_.front());
      queue_.pop_front();
    }
    int error = 0;
    try {
      error = encoder.Encode(job->run, 0, job->packets);
    } catch (const std::bad_alloc&) {
      error = AVERROR(ENOMEM);
    }
    {
      std::lock_guard lock(mutex_);
      job->error = error;
      job->done = true;
    }
    jobDone_.notify_all();
  }
}

bool ParallelEncoder::CutBefore(int64_t index) const {
  if (phased_) return (index - lastKey_) % keyInterval_ == 0;
  return current_.Frames() >= keyInterval_;
}

HRESULT ParallelEncoder::Push(const uint8_t* bits) {
  if (failure_ != S_OK) return failure_;
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (inFlight_.empty() || !inFlight_.front()->done) break;
    }
    CommitOldest();
  }
  const bool repeat = lastFrame_ && std::memcmp(lastFrame_->Bits().data(), bits, frameBytes_) == 0;
  if (!current_.items.empty() && CutBefore(next_)) Submit();
  if (current_.items.empty()) current_.start = next_;
  if (repeat && !current_.items.empty() && current_.items.back().frame == lastFrame_) {
    ++current_.items.back().count;
  } else if (repeat) {
    current_.items.push_back({lastFrame_, 1});
  } else {
    // Frames held by runs in flight make room first; the run being filled may
    // exceed the bound alone.
    while (!inFlight_.empty() && heldBytes_ - currentBytes_ + static_cast<int64_t>(frameBytes_) > maxHeldBytes_)
      CommitOldest();
    lastFrame_ = std::make_shared<HeldFrame>(bits, frameBytes_, heldBytes_);
    current_.items.push_back({lastFrame_, 1});
    currentBytes_ += static_cast<int64_t>(frameBytes_);
  }
  ++next_;
  return failure_;
}

HRESULT ParallelEncoder::Finish() {
  if (!current_.items.empty()) Submit();
  while (!inFlight_.empty()) CommitOldest();
  return failure_;
}

void ParallelEncoder::Submit() {
  auto job = std::make_shared<Job>();
  job->run = std::move(current_);
  current_ = Run();
  currentBytes_ = 0;
  while (inFlight_.size() >= maxRuns_) CommitOldest();
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(job);
  }
  workAvailable_.notify_one();
  inFlight_.push_back(std::move(job));
}

void ParallelEncoder::CommitOldest() {
  std::shared_ptr<Job> job = std::move(inFlight_.front());
  inFlight_.pop_front();
  {
    std::unique_lock lock(mutex_);
    jobDone_.wait(lock, [&] { return job->done; });
  }
  if (failure_ == S_OK) Commit(*job);
}

void ParallelEncoder::Commit(Job& job) {
  int error = job.error;
  std::vector<PacketRef> again;
  const std::vector<PacketRef>* packets = &job.packets;
  const Run& run = job.run;
  // The single encoder put no key frame where this run started (it made one of
  // its own earlier, off the grid): encode on from its last key frame instead.
  if (error == 0 && phased_ && run.start - lastKey_ < keyInterval_ && run.start > 0) {
    Run from = sinceKey_;
    from.items.insert(from.items.end(), run.items.begin(), run.items.end());
    if (!ownEncoder_) ownEncoder_ = std::make_unique<RunEncoder>(settings_, tb_);
    error = ownEncoder_->Encode(from, run.start - from.start, again);
    packets = &again;
  }
  if (error != 0) {
    failure_ = HresultFromAvError(error);
    if (encoderFailed_) encoderFailed_(error);
    return;
  }
  int64_t index = run.start;
  int64_t key = -1;
  for (const PacketRef& packet : *packets) {
    if (packet->flags & AV_PKT_FLAG_KEY) key = index;
    if (const HRESULT hr = sink_(*packet, index++); hr != S_OK) {
      failure_ = hr;
      return;
    }
  }
  if (!phased_) return;
  if (key >= 0) {
    lastKey_ = key;
    sinceKey_ = run.From(key);
  } else {
    if (sinceKey_.items.empty()) sinceKey_.start = run.start;
    sinceKey_.items.insert(sinceKey_.items.end(), run.items.begin(), run.items.end());
  }
}
