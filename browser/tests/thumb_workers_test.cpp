#include "browser/thumb_workers.h"

#include <gtest/gtest.h>

#include <algorithm>
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

TEST(ThumbWorkers, ANewBatchOrCancelDropsTheOldOnesResults) {
  Target target;
  ThumbWorkers workers(target.hwnd(), kThumbsReady, 1);
  std::vector<ThumbRequest> old;
  for (uint64_t id = 100; id < 110; ++id) old.push_back(Request(id, "stroke_1600x1200.png"));
  workers.Start(kBox, old);
  Sleep(30);  // the worker is busy with the first of them
  std::vector<ThumbRequest> next;
  for (uint64_t id = 1; id <= 5; ++id) next.push_back(Request(id, "png_rgb24.png"));
  workers.Start(kBox, next);
  EXPECT_LE(workers.Outstanding(), 5u) << "the old batch is not counted";
  std::vector<uint64_t> ids = Ids(Collect(workers, target));
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(ids, (std::vector<uint64_t>{1, 2, 3, 4, 5})) << "nothing of the old batch, all of the new";

  workers.Start(kBox, old);
  Sleep(30);
  workers.Cancel();
  EXPECT_EQ(workers.Outstanding(), 0u) << "the running decode belongs to a dropped batch";
  Sleep(300);  // let the running decode end
  target.TakeMessages();
  EXPECT_TRUE(workers.TakeResults().empty()) << "its result is dropped";

  // After CancelAndWait no picture is held open: a folder's files can go.
  test::ScratchFolder scratch;
  std::vector<ThumbRequest> copies;
  for (uint64_t id = 1; id <= 3; ++id) {
    const std::string path = scratch.File(std::to_string(id) + ".png");
    ASSERT_TRUE(CopyFileA(ZooPath("stroke_1600x1200.png").c_str(), path.c_str(), FALSE));
    copies.push_back({id, path, 0});
  }
  workers.Start(kBox, copies);
  Sleep(30);
  workers.CancelAndWait();
  for (const ThumbRequest& r : copies) EXPECT_TRUE(DeleteFileA(r.path.c_str())) << r.path;
}

TEST(ThumbWorkers, PreferredCellsComeFirstInTheirOrder) {
  Target target;
  ThumbWorkers workers(target.hwnd(), kThumbsReady, 1);
  std::vector<ThumbRequest> requests = {Request(1, "stroke_1600x1200.png")};
  for (uint64_t id = 2; id <= 12; ++id) requests.push_back(Request(id, "png_rgb24.png"));
  workers.Start(kBox, requests);
  workers.Prefer({9, 999, 4, 11, 4});
  std::vector<uint64_t> ids = Ids(Collect(workers, target));
  // The worker may have taken cell 1 before Prefer came; it then comes first.
  if (!ids.empty() && ids.front() == 1) ids.erase(ids.begin());
  std::vector<uint64_t> expected = {9, 4, 11};
  for (uint64_t id = 1; id <= 12; ++id)
    if (id != 9 && id != 4 && id != 11 && (id != 1 || ids.size() == 12)) expected.push_back(id);
  EXPECT_EQ(ids, expected);
}

TEST(ThumbWorkers, DestroyingWithQueuedWorkReturnsPromptly) {
  Target target;
  std::vector<ThumbRequest> many;
  for (uint64_t id = 0; id < 1000; ++id) many.push_back(Request(id, "stroke_1600x1200.png"));
  const auto start = std::chrono::steady_clock::now();
  {
    ThumbWorkers workers(target.hwnd(), kThumbsReady, 2);
    workers.Start(kBox, many);
    Sleep(50);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // All of them would take 1000 times one thumbnail of 1600 x 1200 (over
  // 10 s on two cores); dropping them leaves at most the running two.
  EXPECT_LT(seconds, 3.0);
}

}  // namespace
}  // namespace zv
