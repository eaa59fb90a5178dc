// Planning a file operation when memory runs out at any allocation: no
// exception escapes and no half plan is handed out. The global allocation
// functions of this program fail on request.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "core/fileops/file_operation_plan.h"

namespace {
long g_allocationsLeft = -1;  // -1: no limit
}

void* operator new(std::size_t size) {
  if (g_allocationsLeft == 0) throw std::bad_alloc();
  if (g_allocationsLeft > 0) --g_allocationsLeft;
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace zv {
namespace {

TEST(FileOperationPlan, OutOfMemoryAtAnyPointPlansNothing) {
  const MirrorState mirror{true, "E:\\ZVM", "C:\\Prog\\Q7IF"};
  const std::vector<std::string> sources = {"C:\\Prog\\Q7IF\\a-rather-long-name-0001.png",
                                            "C:\\Prog\\Q7IF\\a-rather-long-name-0002.png",
                                            "C:\\Prog\\Q7IF\\a-rather-long-name-0003.png"};
  for (FileOperationMode mode : {FileOperationMode::Move, FileOperationMode::Delete}) {
    const auto whole = PlanMultiFileOperation(mirror, sources, "D:\\Pictures", mode, NoLeadBytes);
    ASSERT_TRUE(whole);
    int failures = 0;
    for (long allowed = 0;; ++allowed) {
      g_allocationsLeft = allowed;
      const auto plan = PlanMultiFileOperation(mirror, sources, "D:\\Pictures", mode, NoLeadBytes);
      const bool ranOut = g_allocationsLeft == 0;
      g_allocationsLeft = -1;
      if (!plan) {
        ASSERT_TRUE(ranOut) << "refused only for want of memory";
        ++failures;
        continue;
      }
      EXPECT_EQ(plan->from, whole->from);
      EXPECT_EQ(plan->mirrorFiles, whole->mirrorFiles);
      EXPECT_EQ(plan->written, whole->written);
      break;
    }
    EXPECT_GE(failures, 4) << "every allocation of the plan was made to fail once";
  }
  g_allocationsLeft = 0;
  const auto one = PlanOneFileOperation(mirror, sources[0], "C:\\Prog\\Q7IF\\b.png", FileOperationMode::Rename,
                                        NoLeadBytes);
  g_allocationsLeft = -1;
  EXPECT_FALSE(one);
}

}  // namespace
}  // namespace zv
