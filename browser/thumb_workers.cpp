#include "browser/thumb_workers.h"

#include <algorithm>
#include <new>
#include <unordered_map>
#include <utility>

#include "imagelib/decoder_blocks.h"

namespace zv {

namespace {

std::atomic<AfterDecodeHook> afterDecode{nullptr};

std::optional<imagelib::Thumbnail> MakeFromFile(const ThumbRequest& request, ThumbBox box,
                                                const imagelib::DecodeCancel& cancelled) {
  // A box beyond int32_t is no box a file may have; it fails like one past the pixel limit.
  const auto side = [](uint32_t v) { return static_cast<int32_t>(std::min<uint32_t>(v, 0x7FFFFFFF)); };
  return imagelib::MakeThumbnail(request.path.c_str(), request.type, side(box.width), side(box.height), cancelled);
}

size_t PixelBytes(const ThumbResult& result) { return result.thumbnail.pixels.pixels.size() * sizeof(uint32_t); }

}  // namespace

void SetAfterDecodeHook(AfterDecodeHook hook) { afterDecode = hook; }

ThumbWorkers::ThumbWorkers(HWND target, UINT message, int threads, ThumbMaker maker)
    : target_(target), message_(message), maker_(maker ? std::move(maker) : ThumbMaker(MakeFromFile)) {
  if (threads <= 0) threads = std::max(2, static_cast<int>(std::thread::hardware_concurrency()));
  threads_.reserve(static_cast<size_t>(threads));
  for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

ThumbWorkers::~ThumbWorkers() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    StartLocked(box_, {});
  }
  wake_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void ThumbWorkers::StartLocked(ThumbBox box, std::vector<ThumbRequest> requests) {
  ++generation_;
  box_ = box;
  queue_.assign(std::make_move_iterator(requests.begin()), std::make_move_iterator(requests.end()));
  making_ = 0;  // what is being made belongs to the old batch now
  results_.clear();
  waitingBytes_ = 0;
}

void ThumbWorkers::Start(ThumbBox box, std::vector<ThumbRequest> requests) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    StartLocked(box, std::move(requests));
  }
  wake_.notify_all();
}

void ThumbWorkers::Add(ThumbRequest request) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(request));
  }
  wake_.notify_one();
}

void ThumbWorkers::Prefer(const std::vector<uint64_t>& cellIds) {
  std::unordered_map<uint64_t, size_t> rank;
  for (size_t i = 0; i < cellIds.size(); ++i) rank.emplace(cellIds[i], i);  // the first mention counts
  const size_t last = cellIds.size();
  std::lock_guard<std::mutex> lock(mutex_);
  std::stable_sort(queue_.begin(), queue_.end(), [&](const ThumbRequest& a, const ThumbRequest& b) {
    const auto ra = rank.find(a.cellId), rb = rank.find(b.cellId);
    return (ra == rank.end() ? last : ra->second) < (rb == rank.end() ? last : rb->second);
  });
}

void ThumbWorkers::Cancel() {
  std::lock_guard<std::mutex> lock(mutex_);
  StartLocked(box_, {});
}

void ThumbWorkers::CancelAndWait() {
  std::unique_lock<std::mutex> lock(mutex_);
  StartLocked(box_, {});
  idle_.wait(lock, [this] { return running_ == 0; });
}

void ThumbWorkers::Pause() {
  std::unique_lock<std::mutex> lock(mutex_);
  paused_ = true;
  idle_.wait(lock, [this] { return running_ == 0; });
}

void ThumbWorkers::Resume() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    paused_ = false;
  }
  wake_.notify_all();
}

std::vector<ThumbResult> ThumbWorkers::TakeResults() {
  std::vector<ThumbResult> taken;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    posted_ = false;
    waitingBytes_ = 0;
    taken.assign(std::make_move_iterator(results_.begin()), std::make_move_iterator(results_.end()));
    results_.clear();
  }
  wake_.notify_all();
  return taken;
}

std::optional<ThumbResult> ThumbWorkers::TakeResult() {
  std::optional<ThumbResult> taken;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (results_.empty()) {
      posted_ = false;
      return std::nullopt;
    }
    taken = std::move(results_.front());
    results_.pop_front();
    if (results_.empty()) posted_ = false;
    waitingBytes_ -= std::min(waitingBytes_, PixelBytes(*taken));
  }
  wake_.notify_all();  // a worker held back by kMaxWaitingBytes may go on
  return taken;
}

size_t ThumbWorkers::Outstanding() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return queue_.size() + making_;
}

size_t ThumbWorkers::Waiting() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return results_.size();
}

size_t ThumbWorkers::NotTaken() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return queue_.size() + making_ + results_.size();
}

void ThumbWorkers::Work() {
  // Thumbnails are background work: the user-interface thread goes first.
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
  imagelib::ThreadImaging imaging;
  imagelib::KeptDecoderBlocks keptBlocks;  // the decoders' picture buffers stay mapped between files
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    if (queue_.empty() && running_ == 0 && !stopping_) {
      lock.unlock();
      imagelib::ReleaseKeptDecoderBlocks();  // nothing left to make: the memory goes back
      lock.lock();
    }
    wake_.wait(lock, [this] { return stopping_ || (!paused_ && !queue_.empty() && waitingBytes_ < kMaxWaitingBytes); });
    if (stopping_) return;
    ThumbRequest request = std::move(queue_.front());
    queue_.pop_front();
    const uint64_t generation = generation_;
    const ThumbBox box = box_;
    ++making_;
    ++running_;
    lock.unlock();

    ThumbResult result;
    result.cellId = request.cellId;
    if (imaging.ok()) {
      const auto cancelled = [this, generation] { return paused_ || generation_ != generation; };
      try {
        if (std::optional<imagelib::Thumbnail> made = maker_(request, box, cancelled)) {
          result.ok = true;
          result.thumbnail = std::move(*made);
        }
      } catch (const std::bad_alloc&) {
        result.ok = false;  // out of memory: this cell stays without a thumbnail
      }
    }

    if (AfterDecodeHook hook = afterDecode.load()) hook(request.path);

    lock.lock();
    if (--running_ == 0) idle_.notify_all();
    if (generation != generation_) continue;  // its batch was replaced: dropped
    --making_;
    if (!result.ok && paused_) {
      queue_.push_front(std::move(request));  // stopped by the pause: made after Resume
      continue;
    }
    const size_t bytes = PixelBytes(result);
    try {
      results_.push_back(std::move(result));
    } catch (const std::bad_alloc&) {
      continue;  // out of memory: this cell stays without a thumbnail
    }
    waitingBytes_ += bytes;
    if (!posted_) posted_ = PostMessageA(target_, message_, 0, 0) != FALSE;
  }
}

}  // namespace zv
