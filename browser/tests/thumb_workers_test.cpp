#include "browser/thumb_workers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <set>
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "core/imagelib/probe_rules.h"
#include "imagelib/tests/zoo.h"

namespace zv {
namespace {

using test::ZooPath;

constexpr UINT kThumbsReady = WM_APP + 17;
constexpr ThumbBox kBox{120, 80};

// A message-only window to post to; the test's loop takes the messages.
class Target {
 public:
  Target() { hwnd_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr); }
  ~Target() { DestroyWindow(hwnd_); }
  HWND hwnd() const { return hwnd_; }

  // Our messages now in the queue, taken from it.
  int TakeMessages() {
    int n = 0;
    MSG msg;
    while (PeekMessageA(&msg, hwnd_, kThumbsReady, kThumbsReady, PM_REMOVE)) ++n;
    return n;
  }

 private:
  HWND hwnd_ = nullptr;
};

ThumbRequest Request(uint64_t id, const std::string& name) { return {id, ZooPath(name), ImageTypeFromPath(name)}; }

// Runs the message loop as the grid would: results are taken when the
// message comes, until nothing is outstanding (or a minute has passed).
std::vector<ThumbResult> Collect(ThumbWorkers& workers, Target& target, int* messages = nullptr) {
  std::vector<ThumbResult> all;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  for (;;) {
    const bool done = workers.Outstanding() == 0;  // then every result is waiting already
    MsgWaitForMultipleObjects(0, nullptr, FALSE, done ? 0 : 20, QS_POSTMESSAGE);
    const int n = target.TakeMessages();
    if (messages != nullptr) *messages += n;
    if (n > 0 || done)
      for (ThumbResult& r : workers.TakeResults()) all.push_back(std::move(r));
    if (done || std::chrono::steady_clock::now() > deadline) return all;
  }
}

std::vector<uint64_t> Ids(const std::vector<ThumbResult>& results) {
  std::vector<uint64_t> ids;
  for (const ThumbResult& r : results) ids.push_back(r.cellId);
  return ids;
}

void WaitUntilIdle(const ThumbWorkers& workers) {
  for (int i = 0; i < 3000 && workers.Outstanding() > 0; ++i) Sleep(20);
}

TEST(ThumbWorkers, EveryRequestGetsItsThumbnailAndOneMessageAtATime) {
  Target target;
  ThumbWorkers workers(target.hwnd(), kThumbsReady);
  const std::vector<std::string> good = {"png_rgb24.png", "jpeg_baseline.jpg", "tiff_lzw.tif", "bmp_24.bmp",
                                         "stroke_1600x1200.png", "png_palette4.png"};
  const std::vector<std::string> bad = {"tiff_jpeg.tif", "png_huge.png", "missing.jpg"};
  std::vector<ThumbRequest> requests;
  for (size_t i = 0; i < good.size(); ++i) requests.push_back(Request(10 + i, good[i]));
  for (size_t i = 0; i < bad.size(); ++i) requests.push_back(Request(50 + i, bad[i]));
  workers.Start(kBox, requests);
  // Nobody takes the results yet: however many arrive, one message says so.
  WaitUntilIdle(workers);
  ASSERT_EQ(workers.Outstanding(), 0u);
  EXPECT_EQ(target.TakeMessages(), 1);
  std::vector<ThumbResult> results = workers.TakeResults();
  ASSERT_EQ(results.size(), requests.size());
  std::map<uint64_t, const ThumbResult*> byId;
  for (const ThumbResult& r : results) byId[r.cellId] = &r;
  ASSERT_EQ(byId.size(), requests.size()) << "each request answered once";
  for (size_t i = 0; i < good.size(); ++i) {
    const ThumbResult& r = *byId[10 + i];
    ASSERT_TRUE(r.ok) << good[i];
    const auto want = imagelib::MakeThumbnail(ZooPath(good[i]).c_str(), ImageTypeFromPath(good[i]), 120, 80);
    ASSERT_TRUE(want) << good[i];
    EXPECT_EQ(r.thumbnail.pixels.width, want->pixels.width) << good[i];
    EXPECT_EQ(r.thumbnail.pixels.height, want->pixels.height) << good[i];
    EXPECT_TRUE(r.thumbnail.pixels.pixels == want->pixels.pixels) << good[i] << ": the same pixels as on this thread";
    EXPECT_EQ(r.thumbnail.info.width, want->info.width) << good[i];
  }
  EXPECT_EQ(byId[14]->thumbnail.pixels.width, 106) << "1600 x 1200 fitted into 120 x 80";
  for (size_t i = 0; i < bad.size(); ++i) {
    EXPECT_FALSE(byId[50 + i]->ok) << bad[i];
    EXPECT_TRUE(byId[50 + i]->thumbnail.pixels.pixels.empty()) << bad[i];
  }
  // After TakeResults the next result is announced again, once.
  workers.Add(Request(99, "png_grey8.png"));
  workers.Add(Request(98, "bmp_8.bmp"));
  WaitUntilIdle(workers);
  EXPECT_EQ(target.TakeMessages(), 1);
  results = workers.TakeResults();
  EXPECT_EQ(results.size(), 2u) << "Add joins the current batch";
  EXPECT_TRUE(workers.TakeResults().empty()) << "results are handed out once";
}

// Stands in for the decoder where a test must know that a decode is
// running: a held cell keeps its worker busy until its decode is cancelled
// (as a long decode stops at its next strip) or the cell is let go.
class GateMaker {
 public:
  ThumbMaker maker() {
    return [this](const ThumbRequest& r, ThumbBox box, const imagelib::DecodeCancel& cancelled) {
      return Make(r, box, cancelled);
    };
  }
  void Hold(uint64_t id) { std::lock_guard lock(mutex_); held_.insert(id); }
  void HoldAll() { std::lock_guard lock(mutex_); holdAll_ = true; }
  void LetGo(uint64_t id) { std::lock_guard lock(mutex_); held_.erase(id); }
  // Waits (a minute at most) until `count` decodes of cell `id` (0: of any cell) have begun.
  bool WaitForCalls(uint64_t id, size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::minutes(1), [&] { return CallsLocked(id) >= count; });
  }
  size_t Calls(uint64_t id) { std::lock_guard lock(mutex_); return CallsLocked(id); }
  std::vector<ThumbBox> Boxes() {
    std::lock_guard lock(mutex_);
    std::vector<ThumbBox> boxes;
    for (const auto& call : calls_) boxes.push_back(call.second);
    return boxes;
  }
  int stuck() const { return stuck_; }  // held decodes that were never cancelled nor let go

 private:
  size_t CallsLocked(uint64_t id) const {
    return static_cast<size_t>(std::count_if(calls_.begin(), calls_.end(), [&](const auto& c) { return id == 0 || c.first == id; }));
  }
  bool HeldLocked(uint64_t id) const { return holdAll_ || held_.contains(id); }
  std::optional<imagelib::Thumbnail> Make(const ThumbRequest& r, ThumbBox box, const imagelib::DecodeCancel& cancelled) {
    std::unique_lock lock(mutex_);
    calls_.emplace_back(r.cellId, box);
    changed_.notify_all();
    const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (HeldLocked(r.cellId)) {
      if (cancelled()) return std::nullopt;
      if (std::chrono::steady_clock::now() > limit) {
        ++stuck_;
        return std::nullopt;
      }
      lock.unlock();
      Sleep(1);
      lock.lock();
    }
    imagelib::Thumbnail made;
    const PixelSize size = FitIntoBox(1600, 1200, static_cast<int32_t>(box.width), static_cast<int32_t>(box.height));
    AllocatePixels(&made.pixels, size.width, size.height);
    made.info = imagelib::PictureInfo{1600, 1200, 24};
    return made;
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::pair<uint64_t, ThumbBox>> calls_;
  std::set<uint64_t> held_;
  bool holdAll_ = false;
  std::atomic<int> stuck_ = 0;
};

std::vector<ThumbRequest> Requests(uint64_t first, uint64_t last) {
  std::vector<ThumbRequest> requests;
  for (uint64_t id = first; id <= last; ++id) requests.push_back({id, "cell.png", 0});
  return requests;
}

TEST(ThumbWorkers, ANewBatchOrCancelStopsTheRunningDecodeAndDropsItsResult) {
  Target target;
  GateMaker gate;
  gate.Hold(100);
  ThumbWorkers workers(target.hwnd(), kThumbsReady, 1, gate.maker());
  workers.Start(kBox, Requests(100, 109));
  ASSERT_TRUE(gate.WaitForCalls(100, 1));
  workers.Start(kBox, Requests(1, 5));
  EXPECT_EQ(workers.Outstanding(), 5u) << "the old batch is not counted";
  std::vector<uint64_t> ids = Ids(Collect(workers, target));
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(ids, (std::vector<uint64_t>{1, 2, 3, 4, 5})) << "nothing of the old batch, all of the new";

  workers.Start(kBox, Requests(100, 109));
  ASSERT_TRUE(gate.WaitForCalls(100, 2));
  workers.CancelAndWait();  // returns once the held decode saw that it is cancelled
  EXPECT_EQ(workers.Outstanding(), 0u);
  target.TakeMessages();
  EXPECT_TRUE(workers.TakeResults().empty()) << "the running decode's result is dropped";
  EXPECT_EQ(gate.stuck(), 0) << "every held decode was told to stop";

  // After CancelAndWait no picture is held open, whenever it came: a folder's files can go.
  test::ScratchFolder scratch;
  ThumbWorkers decoding(target.hwnd(), kThumbsReady, 1);
  std::vector<ThumbRequest> copies;
  for (uint64_t id = 1; id <= 3; ++id) {
    const std::string path = scratch.File(std::to_string(id) + ".png");
    ASSERT_TRUE(CopyFileA(ZooPath("stroke_1600x1200.png").c_str(), path.c_str(), FALSE));
    copies.push_back({id, path, 0});
  }
  decoding.Start(kBox, copies);
  decoding.CancelAndWait();
  for (const ThumbRequest& r : copies) EXPECT_TRUE(DeleteFileA(r.path.c_str())) << r.path;
}

TEST(ThumbWorkers, PauseKeepsTheBatchAndLaterRequestsUseItsBox) {
  Target target;
  GateMaker gate;
  gate.Hold(1);
  ThumbWorkers workers(target.hwnd(), kThumbsReady, 1, gate.maker());
  workers.Start(kBox, Requests(1, 3));
  ASSERT_TRUE(gate.WaitForCalls(1, 1));
  workers.Pause();  // returns once the running decode stopped
  EXPECT_EQ(workers.Outstanding(), 3u) << "the stopped request is queued again";
  EXPECT_TRUE(workers.TakeResults().empty());
  gate.LetGo(1);
  workers.Resume();
  std::vector<uint64_t> ids = Ids(Collect(workers, target));
  EXPECT_EQ(ids, (std::vector<uint64_t>{1, 2, 3})) << "in their order, the stopped one first";
  EXPECT_EQ(gate.Calls(1), 2u);

  // Requests after a cancel are made for the batch's box, not for an empty one.
  workers.CancelAndWait();
  workers.Add({4, "cell.png", 0});
  const std::vector<ThumbResult> after = Collect(workers, target);
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].thumbnail.pixels.width, 106) << "fitted into 120 x 80";
  for (const ThumbBox& box : gate.Boxes()) EXPECT_EQ(box, kBox);
  EXPECT_EQ(gate.stuck(), 0);
}

TEST(ThumbWorkers, PreferredCellsComeFirstInTheirOrder) {
  Target target;
  GateMaker gate;
  gate.Hold(1);
  ThumbWorkers workers(target.hwnd(), kThumbsReady, 1, gate.maker());
  workers.Start(kBox, Requests(1, 12));
  ASSERT_TRUE(gate.WaitForCalls(1, 1));  // the worker holds cell 1 while the order changes
  workers.Prefer({9, 999, 4, 11, 4});
  gate.LetGo(1);
  EXPECT_EQ(Ids(Collect(workers, target)), (std::vector<uint64_t>{1, 9, 4, 11, 2, 3, 5, 6, 7, 8, 10, 12}));
}

// Made thumbnails waiting to be taken are bounded: a worker that has just
// put one of 20 MB among them (over kMaxWaitingBytes) starts no other until
// the user-interface thread takes them, then carries on with the batch.
TEST(ThumbWorkers, NoNewThumbnailWhileTheWaitingOnesReachTheirLimit) {
  constexpr ThumbBox kLargeBox{2500, 2000};
  static_assert(size_t{kLargeBox.width} * kLargeBox.height * 4 >= ThumbWorkers::kMaxWaitingBytes);
  Target target;
  GateMaker gate;
  ThumbWorkers workers(target.hwnd(), kThumbsReady, 1, gate.maker());
  workers.Start(kLargeBox, Requests(1, 4));
  MSG msg;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (!PeekMessageA(&msg, target.hwnd(), kThumbsReady, kThumbsReady, PM_REMOVE) &&
         std::chrono::steady_clock::now() < deadline) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_POSTMESSAGE);
  }
  // The worker took its next request, if it was going to, before it let go
  // of the lock that Pause needs; Pause then waits for that one to be made.
  workers.Pause();
  EXPECT_EQ(gate.Calls(0), 1u) << "nothing more was made while the first waited";
  EXPECT_EQ(Ids(workers.TakeResults()), (std::vector<uint64_t>{1}));
  workers.Resume();
  EXPECT_EQ(Ids(Collect(workers, target)).size(), 3u) << "taking the results lets the worker go on";
}

TEST(ThumbWorkers, DestroyingStopsRunningDecodesAndDropsTheQueue) {
  Target target;
  GateMaker gate;
  gate.HoldAll();
  {
    ThumbWorkers workers(target.hwnd(), kThumbsReady, 2, gate.maker());
    workers.Start(kBox, Requests(1, 1000));
    ASSERT_TRUE(gate.WaitForCalls(0, 2));
  }
  EXPECT_EQ(gate.Calls(0), 2u) << "only the two running decodes began";
  EXPECT_EQ(gate.stuck(), 0) << "both were told to stop";
}

}  // namespace
}  // namespace zv
