#pragma once
// Thumbnails made off the user-interface thread: a small pool of worker
// threads takes the requests of the current batch in order (the cells in
// view first, see Prefer), makes each with imagelib::MakeThumbnail and keeps
// the result for the window that asked, which is told by one posted message
// and takes them with TakeResults. Work of a batch that was replaced is
// dropped, also when it was being made at the time (a generation counter).
// The workers touch no window except through PostMessage.
#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/browser/thumb_cache_format.h"
#include "imagelib/thumbnail.h"

namespace zv {

struct ThumbRequest {
  uint64_t cellId;
  std::string path;
  int type;  // ImageTypeFromPath
};

struct ThumbResult {
  uint64_t cellId = 0;
  bool ok = false;  // false: the file gave no thumbnail (damaged, unreadable, gone)
  imagelib::Thumbnail thumbnail;
};

class ThumbWorkers {
 public:
  // Posts `message` (wParam 0, lParam 0) to `target` when results wait; at
  // most one such message is outstanding until TakeResults is called.
  // threads 0: one per core, at least two.
  ThumbWorkers(HWND target, UINT message, int threads = 0);
  // Drops queued work and joins the threads (a running decode is finished and dropped).
  ~ThumbWorkers();
  ThumbWorkers(const ThumbWorkers&) = delete;
  ThumbWorkers& operator=(const ThumbWorkers&) = delete;

  // A new batch: drops all queued requests and every result of earlier
  // batches not yet taken (also those still being made); then queues these
  // for `box`.
  void Start(ThumbBox box, std::vector<ThumbRequest> requests);
  void Add(ThumbRequest request);  // appended to the current batch
  // These cells go first, in this order (the cells in view); others keep
  // their order after them. Unknown ids are ignored.
  void Prefer(const std::vector<uint64_t>& cellIds);
  void Cancel();  // like Start with nothing
  // Cancel, then wait until no worker is decoding any more, so that no
  // picture is held open (before a folder's files are deleted or replaced).
  void CancelAndWait();
  // User-interface thread; only results of the current batch.
  std::vector<ThumbResult> TakeResults();
  // Requests of the current batch queued or being made.
  size_t Outstanding() const;

 private:
  void Work();
  void StartLocked(ThumbBox box, std::vector<ThumbRequest> requests);

  const HWND target_;
  const UINT message_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  // Guarded by mutex_:
  uint64_t generation_ = 0;  // the current batch
  ThumbBox box_;
  std::deque<ThumbRequest> queue_;
  size_t making_ = 0;  // requests of the current batch being made now
  size_t running_ = 0;  // decodes running now, of any batch
  std::condition_variable idle_;  // running_ went to 0
  std::vector<ThumbResult> results_;
  bool posted_ = false;
  bool stopping_ = false;

  std::vector<std::thread> threads_;
};

}  // namespace zv
