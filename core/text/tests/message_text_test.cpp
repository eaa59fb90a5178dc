#include "core/text/message_text.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

TEST(FillMessageText, FillsExpectedConversionsInOrder) {
  EXPECT_EQ(FillMessageText("%sを入力して下さい。", {"名前"}), "名前を入力して下さい。");
  EXPECT_EQ(FillMessageText("%sは、%d以上、%d以下を入力して下さい。", {"月", 1, 12}),
            "月は、1以上、12以下を入力して下さい。");
  EXPECT_EQ(FillMessageText("100%% %d", {-5}), "100% -5");
}

TEST(FillMessageText, PrintsEverythingElseLiterally) {
  EXPECT_EQ(FillMessageText("%s%s%n", {"x"}), "x%s%n") << "extra conversions stay as text";
  EXPECT_EQ(FillMessageText("%d items", {"label"}), "%d items") << "a number slot never reads a text argument";
  EXPECT_EQ(FillMessageText("%s", {7}), "%s") << "a text slot never reads a number argument";
  EXPECT_EQ(FillMessageText("%5s %p %x trailing %", {"a"}), "%5s %p %x trailing %");
  EXPECT_EQ(FillMessageText("no conversions", {"a", 1}), "no conversions");
  EXPECT_EQ(FillMessageText("", {}), "");
}

}  // namespace
}  // namespace zv
