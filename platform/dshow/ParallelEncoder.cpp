#include "platform/dshow/ParallelEncoder.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>
#include <system_error>

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

}  // namespace

bool ParallelEncoder::CanSplit(const EncoderSettings& settings) {
  return settings.Splits() && settings.KeyFrameInterval() < kMaxRunFrames;
}

ParallelEncoder::ParallelEncoder(const EncoderSettings& settings, AVRational tb, Sink sink, EncoderFailed encoderFailed,
                                 int threads, EncodeBudget budget)
    : settings_(settings),
      tb_(tb),
      repeats_(settings.Repeats()),
      phased_(repeats_ != RepeatKind::PreviousPacket),
      sink_(std::move(sink)),
      encoderFailed_(std::move(encoderFailed)),
      frameBytes_(static_cast<size_t>(DibStride24(settings.width)) * static_cast<size_t>(settings.height)),
      threads_(std::max(threads, 1)),
      backlogSeconds_(budget.backlogSeconds),
      streamer_(settings_, tb) {
  keyInterval_ = phased_ ? settings.KeyFrameInterval() : kIntraRunFrames;
  maxRuns_ = kRunsPerThread * static_cast<size_t>(threads_);
  // A streamed run holds the frame before, the key frame it may still need and the frame coming.
  maxHeldBytes_ = std::max<int64_t>(budget.heldBytesPerThread * threads_, 4 * static_cast<int64_t>(frameBytes_));
  // Room for every worker first: once one runs, nothing may throw out of here,
  // or the workers would outlive the pool they work for.
  workers_.reserve(static_cast<size_t>(threads_));
  for (int i = 0; i < threads_; ++i) {
    try {
      workers_.emplace_back([this] { Work(); });
    } catch (...) {  // std::system_error, or std::bad_alloc for the thread's state
      // Fewer workers only write more slowly; with none the caller must write another way.
      if (workers_.empty()) throw;
      break;
    }
  }
  threads_ = static_cast<int>(workers_.size());
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
    bool cancelled = false;
    {
      std::unique_lock lock(mutex_);
      workAvailable_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      job = std::move(queue_.front());
      queue_.pop_front();
      cancelled = job->cancelled;  // Recut sets it on the caller's thread
    }
    int error = 0;
    const auto began = std::chrono::steady_clock::now();
    const int64_t encodesBefore = encoder.Encodes();
    if (!cancelled) {
      try {
        error = encoder.Encode(job->run, job->skip, job->packets);
      } catch (const std::bad_alloc&) {
        error = AVERROR(ENOMEM);
      }
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - began;
    {
      std::lock_guard lock(mutex_);
      job->error = error;
      job->done = true;
      encodeSeconds_ += took.count();
      encodes_ += encoder.Encodes() - encodesBefore;
    }
    jobDone_.notify_all();
  }
}

bool ParallelEncoder::CutBefore(int64_t index) const {
  if (phased_) return (index - lastKey_) % keyInterval_ == 0;
  return index - current_.start >= keyInterval_;
}

int64_t ParallelEncoder::EncodeCount(const Run& run) const {
  return repeats_ == RepeatKind::EncodeAgain ? run.Frames() : static_cast<int64_t>(run.items.size());
}

double ParallelEncoder::BacklogSeconds() {
  int64_t work = EncodeCount(current_);
  std::lock_guard lock(mutex_);
  if (encodes_ == 0) return 0;
  for (const std::shared_ptr<Job>& job : inFlight_)
    if (!job->done) work += job->work;
  return static_cast<double>(work) * encodeSeconds_ / static_cast<double>(encodes_) / threads_;
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
  if (streaming_ && CutBefore(next_)) {
    streamer_.End();
    streaming_ = false;
  } else if (!current_.items.empty() && CutBefore(next_)) {
    while (inFlight_.size() >= maxRuns_) CommitOldest();
    // Committing may have moved the key-frame grid and cut the frames anew.
    if (!current_.items.empty() && CutBefore(next_)) SubmitCurrent();
  }
  const bool repeat = lastFrame_ && std::memcmp(lastFrame_->Bits().data(), bits, frameBytes_) == 0;
  if (current_.items.empty() && !streaming_) current_.start = next_;
  const int64_t bytes = repeat ? 0 : static_cast<int64_t>(frameBytes_);
  // Frames held by runs in flight make room first.
  while (!inFlight_.empty() && heldBytes_ + bytes > maxHeldBytes_) CommitOldest();
  if (!streaming_ && heldBytes_ + bytes > maxHeldBytes_) StartStream();
  if (!repeat) lastFrame_ = std::make_shared<HeldFrame>(bits, frameBytes_, heldBytes_);
  if (streaming_) {
    Stream(lastFrame_, !repeat);
  } else if (repeat && !current_.items.empty() && current_.items.back().frame == lastFrame_) {
    ++current_.items.back().count;
  } else {
    current_.items.push_back({lastFrame_, 1});
  }
  ++next_;
  while (!inFlight_.empty() && BacklogSeconds() > backlogSeconds_) CommitOldest();
  return failure_;
}

void ParallelEncoder::StartStream() {
  // The runs before it are written first: they may move the key-frame grid.
  while (!inFlight_.empty()) CommitOldest();
  if (failure_ != S_OK) return;
  Run run = std::move(current_);
  int64_t skip = currentSkip_;
  current_ = Run();
  current_.start = run.start;
  currentSkip_ = 0;
  // Off the grid: the single encoder goes on from its last key frame.
  if (phased_ && skip == 0 && run.start > 0 && run.start - lastKey_ < keyInterval_) {
    skip = run.start - sinceKey_.start;
    sinceKey_.items.insert(sinceKey_.items.end(), run.items.begin(), run.items.end());
    run = std::move(sinceKey_);
  }
  // The streamed frames' key frames are the single encoder's own: nothing before them is encoded again.
  sinceKey_ = Run();
  streaming_ = true;
  streamed_ = run.start + skip;
  streamer_.Begin(skip);
  for (const RunItem& item : run.items)
    for (int64_t k = 0; k < item.count && failure_ == S_OK; ++k) Stream(item.frame, k == 0);
}

void ParallelEncoder::Stream(const std::shared_ptr<HeldFrame>& frame, bool changed) {
  if (failure_ != S_OK) return;
  std::vector<PacketRef>& packets = streamPackets_;
  packets.clear();
  if (const int error = streamer_.Next(frame, changed, packets); error != 0) {
    failure_ = HresultFromAvError(error);
    if (encoderFailed_) encoderFailed_(error);
    return;
  }
  int64_t key = -1;
  if (HandOn(packets, streamed_, key) && key >= 0) lastKey_ = key;
  streamed_ += static_cast<int64_t>(packets.size());
}

bool ParallelEncoder::HandOn(const std::vector<PacketRef>& packets, int64_t index, int64_t& key) {
  for (const PacketRef& packet : packets) {
    if (packet->flags & AV_PKT_FLAG_KEY) key = index;
    if (const HRESULT hr = sink_(*packet, index++); hr != S_OK) {
      failure_ = hr;
      return false;
    }
  }
  return true;
}

HRESULT ParallelEncoder::Finish() {
  if (streaming_) {
    streamer_.End();
    streaming_ = false;
  }
  // A commit that moves the key-frame grid leaves a run being filled again.
  while (!current_.items.empty() || !inFlight_.empty()) {
    if (!current_.items.empty())
      SubmitCurrent();
    else
      CommitOldest();
  }
  return failure_;
}

void ParallelEncoder::SubmitCurrent() {
  Submit(std::move(current_), currentSkip_);
  current_ = Run();
  currentSkip_ = 0;
}

void ParallelEncoder::Submit(Run run, int64_t skip) {
  auto job = std::make_shared<Job>();
  job->run = std::move(run);
  job->skip = skip;
  job->work = EncodeCount(job->run);
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
  const Run& run = job.run;
  const int64_t first = run.start + job.skip;  // the first frame this job writes
  // The single encoder put no key frame where this run starts: it made one of
  // its own earlier, off the grid. The runs cut on the old grid start again.
  if (phased_ && job.skip == 0 && run.start > 0 && run.start - lastKey_ < keyInterval_) {
    Recut(job);
    return;
  }
  if (job.error != 0) {
    failure_ = HresultFromAvError(job.error);
    if (encoderFailed_) encoderFailed_(job.error);
    return;
  }
  int64_t key = -1;
  if (!HandOn(job.packets, first, key) || !phased_) return;
  if (key >= 0) {
    lastKey_ = key;
    sinceKey_ = run.From(key);
  } else {
    const Run written = run.From(first);
    sinceKey_.items.insert(sinceKey_.items.end(), written.items.begin(), written.items.end());
  }
}

void ParallelEncoder::Recut(const Job& invalid) {
  // Every frame from the last key frame written on, in order.
  Run all = sinceKey_;
  auto append = [&](const Run& run) { all.items.insert(all.items.end(), run.items.begin(), run.items.end()); };
  append(invalid.run);
  {
    std::lock_guard lock(mutex_);
    for (const std::shared_ptr<Job>& job : inFlight_) job->cancelled = true;
  }
  for (const std::shared_ptr<Job>& job : inFlight_) append(job->run.From(job->run.start + job->skip));
  append(current_);
  inFlight_.clear();
  // Runs on the grid from that key frame; the first writes from the invalid run on.
  const int64_t written = invalid.run.start;
  int64_t from = all.start;
  for (;;) {
    const int64_t to = std::min(from + keyInterval_, next_);
    Run part = all.Part(from, to);
    const int64_t skip = std::max<int64_t>(0, written - from);
    if (to == next_) {
      current_ = std::move(part);
      currentSkip_ = skip;
      break;
    }
    Submit(std::move(part), skip);
    from = to;
  }
}
