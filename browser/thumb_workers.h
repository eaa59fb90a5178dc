#pragma once
// Thumbnails made off the user-interface thread: a small pool of worker
// threads takes the requests of the current batch in order (the cells in
// view first, see Prefer), makes each with imagelib::MakeThumbnail and keeps
// the result for the window that asked, which is told by one posted message
// and takes them with TakeResults, or one by one with TakeResult. Work of a batch that was replaced is
// dropped, also when it was being made at the time (a generation counter):
// a running decode of it stops at its next strip. The workers touch no
// window except through PostMessage.
#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
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

// How a worker makes one thumbnail (imagelib::MakeThumbnail by default);
// `cancelled` turns true when its result is no longer wanted.
using ThumbMaker = std::function<std::optional<imagelib::Thumbnail>(const ThumbRequest& request, ThumbBox box,
                                                                    const imagelib::DecodeCancel& cancelled)>;

// For tests only: called on the worker thread with the picture's path when
// its decode has ended (the file is closed again) and before its thumbnail
// is handed over. The program never sets it.
using AfterDecodeHook = void (*)(const std::string& path);
void SetAfterDecodeHook(AfterDecodeHook hook);

class ThumbWorkers {
 public:
  // Made thumbnails wait for TakeResults in the process heap, where they do
  // not count against the pixel store's budget; while their pixels reach
  // this many bytes, no worker starts another (a busy user-interface thread
  // held thousands of them, and the heap kept the memory after they went).
  // 16 MiB is about 100 of the largest box's, a third of a second of both
  // cores' work: 8 MiB held the workers back whenever the thread was busy
  // for 0.2 s, and a cold fill in the largest box took 30 % longer.
  static constexpr size_t kMaxWaitingBytes = size_t{16} << 20;

  // Posts `message` (wParam 0, lParam 0) to `target` when results wait; at
  // most one such message is outstanding until the results are all taken.
  // threads 0: one per core, at least two.
  ThumbWorkers(HWND target, UINT message, int threads = 0, ThumbMaker maker = {});
  // Drops queued work and joins the threads (a running decode stops at its next strip).
  ~ThumbWorkers();
  ThumbWorkers(const ThumbWorkers&) = delete;
  ThumbWorkers& operator=(const ThumbWorkers&) = delete;

  // A new batch: drops all queued requests and every result of earlier
  // batches not yet taken (also those still being made); then queues these
  // for `box`, the box of every later request too.
  void Start(ThumbBox box, std::vector<ThumbRequest> requests);
  void Add(ThumbRequest request);  // appended to the current batch, for its box
  // These cells go first, in this order (the cells in view); others keep
  // their order after them. Unknown ids are ignored.
  void Prefer(const std::vector<uint64_t>& cellIds);
  void Cancel();  // a new batch of nothing, for the same box
  // Cancel, then wait until no worker is decoding any more, so that no
  // picture is held open (before a folder's files are deleted or replaced).
  void CancelAndWait();
  // Stops reading files and keeps the batch: running decodes stop at their
  // next strip and their requests go back to the front of the queue; returns
  // once none runs. Results already made stay to be taken. Start and Cancel
  // keep the pause; Resume ends it.
  void Pause();
  void Resume();
  // User-interface thread; only results of the current batch. Workers held
  // back by kMaxWaitingBytes carry on.
  std::vector<ThumbResult> TakeResults();
  // The oldest result waiting, or none. A window that stops taking while
  // results are left comes back for them itself: the next message is posted
  // only once a call found the results all taken.
  std::optional<ThumbResult> TakeResult();
  // Requests of the current batch queued or being made.
  size_t Outstanding() const;
  // Results made and not taken yet.
  size_t Waiting() const;
  // Outstanding and Waiting at once.
  size_t NotTaken() const;

 private:
  void Work();
  void StartLocked(ThumbBox box, std::vector<ThumbRequest> requests);

  const HWND target_;
  const UINT message_;
  const ThumbMaker maker_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  // Written under mutex_, read also by running decodes to know they may stop:
  std::atomic<uint64_t> generation_ = 0;  // the current batch
  std::atomic<bool> paused_ = false;
  // Guarded by mutex_:
  ThumbBox box_;
  std::deque<ThumbRequest> queue_;
  size_t making_ = 0;  // requests of the current batch being made now
  size_t running_ = 0;  // decodes running now, of any batch
  std::condition_variable idle_;  // running_ went to 0
  std::deque<ThumbResult> results_;
  size_t waitingBytes_ = 0;  // pixel bytes of results_
  bool posted_ = false;
  bool stopping_ = false;

  std::vector<std::thread> threads_;
};

}  // namespace zv
