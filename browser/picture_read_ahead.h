#pragma once
// The pictures next to the one shown, decoded ahead on a worker thread, so
// that moving to the next or the previous picture needs no decode. At most
// the wanted pictures (the two neighbours) are kept, as the picture view
// keeps them (DecodeForView). A picture whose file changed since it was
// decoded is not handed out.
//
// A decode whose picture is no longer wanted stops at its next strip, so
// that moving on or leaving the folder never waits for a whole decode.
// All calls come from the user-interface thread; the worker touches no window.
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "browser/picture_source.h"

namespace zv {

class PictureReadAhead {
 public:
  PictureReadAhead();
  // Drops the queue and joins the worker (a running decode stops at its next strip).
  ~PictureReadAhead();
  PictureReadAhead(const PictureReadAhead&) = delete;
  PictureReadAhead& operator=(const PictureReadAhead&) = delete;

  // The pictures to have ready, decoded in this order. Kept pictures of
  // other paths are dropped at once, and a running decode of one stops.
  void Want(const std::vector<std::string>& paths);
  // A picture that was shown and may be wanted soon (the one left by moving
  // on), so that going back needs no decode; dropped by the next Want
  // unless wanted there.
  void Keep(KeptPicture picture);
  // The picture of `path` when it is ready, waiting for it while it is being
  // decoded; nothing when it is not (the caller decodes it itself) or its
  // file changed since.
  std::optional<KeptPicture> Take(const std::string& path);
  // Drops everything and waits until no decode runs, so that no picture of
  // the folder is held open (before its files change or the folder is left).
  void CancelAndWait();

  std::vector<std::string> KeptPaths() const;  // of the pictures ready now
  int decodeCount() const;  // decodes the worker began

 private:
  void Work();
  bool WantedLocked(const std::string& path) const;
  // The running decode is of no use any more: it stops at its next strip.
  void DropRunningLocked();

  mutable std::mutex mutex_;
  std::condition_variable wake_;  // work queued, or stopping
  std::condition_variable done_;  // a decode ended
  // Guarded by mutex_:
  std::vector<std::string> wanted_;
  std::deque<std::string> queue_;
  std::vector<KeptPicture> kept_;
  std::string decoding_;  // the path being decoded now, empty when none
  bool stopping_ = false;
  int decodes_ = 0;
  std::atomic<bool> dropRunning_ = false;  // set under mutex_, read by the running decode
  std::thread worker_;
};

}  // namespace zv
