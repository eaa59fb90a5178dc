#include "browser/picture_read_ahead.h"

#include <windows.h>

#include <algorithm>
#include <new>

#include "imagelib/thumbnail.h"

namespace zv {

PictureReadAhead::PictureReadAhead() : worker_([this] { Work(); }) {}

PictureReadAhead::~PictureReadAhead() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    queue_.clear();
    DropRunningLocked();
  }
  wake_.notify_all();
  worker_.join();
}

bool PictureReadAhead::WantedLocked(const std::string& path) const {
  return std::find(wanted_.begin(), wanted_.end(), path) != wanted_.end();
}

void PictureReadAhead::DropRunningLocked() {
  if (!decoding_.empty()) dropRunning_ = true;
}

void PictureReadAhead::Want(const std::vector<std::string>& paths) {
  {
    std::lock_guard lock(mutex_);
    wanted_ = paths;
    if (WantedLocked(decoding_))
      dropRunning_ = false;  // wanted again (unless it stopped already)
    else
      DropRunningLocked();
    std::erase_if(kept_, [this](const KeptPicture& picture) { return !WantedLocked(picture.path); });
    queue_.clear();
    for (const std::string& path : wanted_) {
      const bool kept = std::any_of(kept_.begin(), kept_.end(), [&](const KeptPicture& p) { return p.path == path; });
      const bool queued = std::find(queue_.begin(), queue_.end(), path) != queue_.end();
      if (!kept && !queued && path != decoding_) queue_.push_back(path);
    }
  }
  wake_.notify_all();
}

void PictureReadAhead::Keep(KeptPicture picture) {
  if (picture.empty()) return;
  std::lock_guard lock(mutex_);
  std::erase_if(kept_, [&](const KeptPicture& p) { return p.path == picture.path; });
  kept_.push_back(std::move(picture));
}

std::optional<KeptPicture> PictureReadAhead::Take(const std::string& path) {
  std::optional<KeptPicture> taken;
  {
    std::unique_lock lock(mutex_);
    std::erase(queue_, path);
    done_.wait(lock, [&] { return decoding_ != path; });
    const auto found = std::find_if(kept_.begin(), kept_.end(), [&](const KeptPicture& p) { return p.path == path; });
    if (found == kept_.end()) return std::nullopt;
    taken = std::move(*found);
    kept_.erase(found);
  }
  const std::optional<FileStamp> now = StampOf(path);
  if (!now || !(*now == taken->stamp)) return std::nullopt;
  return taken;
}

void PictureReadAhead::CancelAndWait() {
  std::unique_lock lock(mutex_);
  wanted_.clear();
  queue_.clear();
  kept_.clear();
  DropRunningLocked();
  done_.wait(lock, [&] { return decoding_.empty(); });
}

std::vector<std::string> PictureReadAhead::KeptPaths() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> paths;
  for (const KeptPicture& picture : kept_) paths.push_back(picture.path);
  return paths;
}

int PictureReadAhead::decodeCount() const {
  std::lock_guard lock(mutex_);
  return decodes_;
}

void PictureReadAhead::Work() {
  // Reading ahead is background work: the user-interface thread goes first.
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
  imagelib::ThreadImaging imaging;
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (stopping_) return;
    decoding_ = queue_.front();
    queue_.pop_front();
    ++decodes_;
    dropRunning_ = false;
    const std::string path = decoding_;
    lock.unlock();
    DecodeOutcome outcome;
    try {
      if (imaging.ok()) outcome = DecodeForView(path, [this] { return dropRunning_.load(); });
    } catch (const std::bad_alloc&) {
      outcome = {};  // memory ran short: that neighbour is decoded when it is shown
    }
    lock.lock();
    decoding_.clear();
    try {
      if (outcome.picture && WantedLocked(path)) kept_.push_back(std::move(*outcome.picture));
    } catch (const std::bad_alloc&) {
    }
    done_.notify_all();
  }
}

}  // namespace zv
