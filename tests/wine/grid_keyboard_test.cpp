// The thumbnail grid of the real program, used from the keyboard only and
// read as a screen reader reads it: ZViewer.exe runs in its own process,
// this test sends it real key input (SendInput to the foreground window) and
// reads the grid through AccessibleObjectFromWindow, as a screen reader in
// another process does. Every step waits for what it can observe, with a
// generous limit.
#include <windows.h>

#include <gtest/gtest.h>
#include <oleacc.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/registry_profile.h"
#include "app/single_instance.h"
#include "core/mainwnd/command_table.h"
#include "res/resource.h"
#include "tests/wine/window_shot.h"
#include "tests/wine/wine_test_support.h"
#include "win/com.h"
#include "win/registry.h"

namespace zv {
namespace {

constexpr DWORD kLimitMs = 90000;  // a loaded machine; a step normally takes well under a second
const char* const kNames[] = {"apple.bmp", "banana.bmp", "cherry.bmp", "date.bmp", "elder.bmp"};

// Polls `holds` (pumping this thread's messages, for the win events) until it
// is true or the limit passes.
bool WaitUntil(const std::function<bool()>& holds, DWORD limitMs = kLimitMs) {
  const DWORD start = GetTickCount();
  while (!holds()) {
    if (GetTickCount() - start > limitMs) return false;
    test::PumpFor(20);
  }
  return true;
}

INPUT KeyInput(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

// Presses `key` with the modifiers held down, as a user types it.
void Press(WORD key, std::initializer_list<WORD> modifiers = {}) {
  std::vector<INPUT> inputs;
  for (WORD modifier : modifiers) inputs.push_back(KeyInput(modifier, false));
  inputs.push_back(KeyInput(key, false));
  inputs.push_back(KeyInput(key, true));
  for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it) inputs.push_back(KeyInput(*it, true));
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{sizeof info};
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

std::wstring Text(HRESULT (STDMETHODCALLTYPE IAccessible::*read)(VARIANT, BSTR*), IAccessible* object, long id) {
  BSTR text = nullptr;
  if ((object->*read)(test::AccessibleChild(id), &text) != S_OK || text == nullptr) return {};
  std::wstring result(text, SysStringLen(text));
  SysFreeString(text);
  return result;
}

long State(IAccessible* object, long id) {
  VARIANT state;
  VariantInit(&state);
  return object->get_accState(test::AccessibleChild(id), &state) == S_OK && state.vt == VT_I4 ? state.lVal : -1;
}

// The win events of every process, as (event, window class, child).
struct HeardEvent {
  DWORD event;
  std::string windowClass;
  HWND window;
  long child;
};
std::vector<HeardEvent> g_events;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
  if (object != OBJID_CLIENT || window == nullptr) return;
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  g_events.push_back({event, name, window, child});
}

// The start has ended: the tree took the focus after the grid got its cells
// (it selects the start folder, which lists it, then takes the focus).
bool StartEnded() {
  bool filled = false;
  for (const HeardEvent& heard : g_events) {
    if (heard.event == EVENT_OBJECT_REORDER && heard.windowClass == "ZVThumbnailGrid") filled = true;
    if (filled && heard.event == EVENT_OBJECT_FOCUS && heard.windowClass == "SysTreeView32") return true;
  }
  return false;
}

class GridKeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_events.clear();
    hook_ = SetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_FOCUS, nullptr, OnWinEvent, 0, 0,
                            WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    ASSERT_NE(hook_, nullptr);
    for (const char* name : kNames) test::WriteGreyBmp(folder_.File(name), 64, 48);
    // A known folder, sorted by name; not a first start (no setup dialog).
    const auto settings = win::CreateKey(HKEY_CURRENT_USER, ProfileKeyPath() + "\\AppSettings");
    win::WriteString(settings.get(), "m_tagEnvSet.chaLstFld", folder_.path());
    win::WriteDword(settings.get(), "m_tagEnvSet.intSotMod", 0);
    win::WriteDword(settings.get(), "m_tagEnvSet.intSotDir", static_cast<DWORD>(-1));
    win::WriteDword(settings.get(), "m_tagEnvSet.dwdLstMod", 0);
    win::WriteDword(settings.get(), "m_tagEnvSet.dwdExcCnt", 1);
    SetEnvironmentVariableA("ZV_STEP_TRACE", (program_.folder() + "\\step-trace.txt").c_str());
    process_ = program_.Launch("");
    SetEnvironmentVariableA("ZV_STEP_TRACE", nullptr);
    frame_ = test::WaitForWindow([&] { return test::TopWindowOf(process_.dwProcessId, kBrowserCopyName); }, kLimitMs);
    ASSERT_NE(frame_, nullptr);
    SetWindowPos(frame_, HWND_TOP, 0, 0, 1000, 700, SWP_SHOWWINDOW);
    grid_ = test::WaitForWindow([&] { return test::FindChildById(frame_, IDW_THUMB_GRID); }, kLimitMs);
    ASSERT_NE(grid_, nullptr);
    ASSERT_TRUE(SUCCEEDED(AccessibleObjectFromWindow(grid_, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                                     reinterpret_cast<void**>(reader_.GetAddressOf()))));
    ASSERT_TRUE(WaitUntil([&] { return ChildCount() == 5; })) << "the folder's five pictures in the grid";
  }
  void TearDown() override {
    if (hook_ != nullptr) UnhookWinEvent(hook_);
    reader_.Reset();
    if (frame_ != nullptr && IsWindow(frame_)) PostMessageA(frame_, WM_CLOSE, 0, 0);
    test::WaitForExit(process_, kLimitMs);
    test::DeleteProgramSettings();
  }

  // The program's step trace (win/step_trace.h).
  std::string Trace() const { return test::ReadFileBytes(program_.folder() + "\\step-trace.txt"); }
  long ChildCount() {
    long count = -1;
    return reader_ && reader_->get_accChildCount(&count) == S_OK ? count : -1;
  }
  // "10100": which cells the grid says are selected.
  std::string Selection() {
    std::string flags;
    for (long id = 1; id <= ChildCount(); ++id) flags += (State(reader_.Get(), id) & STATE_SYSTEM_SELECTED) != 0 ? '1' : '0';
    return flags;
  }
  ::testing::AssertionResult SelectionBecomes(const std::string& flags) {
    if (WaitUntil([&] { return Selection() == flags; })) return ::testing::AssertionSuccess();
    char focusClass[64] = "";
    const HWND focus = FocusOf(frame_);
    GetClassNameA(focus, focusClass, sizeof focusClass);
    return ::testing::AssertionFailure() << "the selection is " << Selection() << ", the focus on " << focusClass
                                         << " id " << GetDlgCtrlID(focus);
  }
  // The grid has the keyboard focus: F6 moves it there from the folder
  // tree, which takes the focus as the last step of the start, when it
  // selects the start folder (after the grid is filled).
  void FocusGrid() {
    ASSERT_TRUE(WaitUntil(StartEnded)) << "the start ends in the folder tree";
    // The tree's catching up with the listed folder (after the first paint) is over.
    ASSERT_TRUE(WaitUntil([&] { return Trace().find("start: the tree caught up") != std::string::npos; }));
    ASSERT_TRUE(WaitUntil([&] {
      if (FocusOf(frame_) == grid_) return true;
      if (GetForegroundWindow() != frame_) {
        SetForegroundWindow(frame_);
        return false;
      }
      const HWND before = FocusOf(frame_);
      Press(VK_F6);
      WaitUntil([&] { return FocusOf(frame_) != before; }, 5000);
      return FocusOf(frame_) == grid_;
    })) << "F6 brings the focus to the grid";
  }

  HWINEVENTHOOK hook_ = nullptr;
  test::TempFolder folder_;
  test::ProgramCopy program_;
  PROCESS_INFORMATION process_{};
  HWND frame_ = nullptr;
  HWND grid_ = nullptr;
  win::OleSession ole_;
  win::ComPtr<IAccessible> reader_;
};

// The start lists its folder before the frame shows; the tree catches up
// with it afterwards without listing it again. The program's step trace tells.
TEST_F(GridKeyboardTest, StartListsItsFolderOnceAndTheTreeCatchesUp) {
  ASSERT_TRUE(WaitUntil([&] { return Trace().find("start: the tree caught up") != std::string::npos; })) << Trace();
  const std::string trace = Trace();
  size_t listings = 0;
  for (size_t at = trace.find("folder: listed"); at != std::string::npos; at = trace.find("folder: listed", at + 1))
    ++listings;
  EXPECT_EQ(listings, 1u) << trace;
}

TEST_F(GridKeyboardTest, MoveExtendOpenGoBackAndDeleteWithKeysOnly) {
  FocusGrid();
  Press(VK_RIGHT);
  ASSERT_TRUE(SelectionBecomes("01000")) << "right from the first cell selects the second";
  Press(VK_RIGHT, {VK_SHIFT});
  Press(VK_RIGHT, {VK_SHIFT});
  ASSERT_TRUE(SelectionBecomes("01110")) << "Shift extends from the anchor";
  Press(VK_RIGHT, {VK_CONTROL});
  Press(VK_SPACE, {VK_CONTROL});
  ASSERT_TRUE(SelectionBecomes("01111")) << "Ctrl moves the focus only; Ctrl+Space adds the focused cell";
  test::SaveWindowShot(frame_, "grid_keyboard_focus");  // when ZV_SHOT_DIR is set
  Press(VK_HOME);
  ASSERT_TRUE(SelectionBecomes("10000"));
  Press('C');
  ASSERT_TRUE(SelectionBecomes("00100")) << "typing c jumps to cherry";
  EXPECT_NE(State(reader_.Get(), 3) & STATE_SYSTEM_FOCUSED, 0);

  // Enter opens the picture; Escape goes back to the grid with it selected.
  const HWND view = test::FindChildById(frame_, IDW_PICTURE_VIEW);
  ASSERT_NE(view, nullptr);
  Press(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(view) && !IsWindowVisible(grid_); }));
  win::ComPtr<IAccessible> picture;
  ASSERT_TRUE(SUCCEEDED(AccessibleObjectFromWindow(view, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                                   reinterpret_cast<void**>(picture.GetAddressOf()))));
  EXPECT_TRUE(WaitUntil([&] { return Text(&IAccessible::get_accName, picture.Get(), CHILDID_SELF) == L"cherry.bmp"; }))
      << "the picture view names the shown file";
  EXPECT_EQ(Text(&IAccessible::get_accValue, picture.Get(), CHILDID_SELF), L"100 %") << "a small picture at real size";
  Press(VK_RIGHT);
  EXPECT_TRUE(WaitUntil([&] { return Text(&IAccessible::get_accName, picture.Get(), CHILDID_SELF) == L"date.bmp"; }))
      << "Right is still the next picture there";
  Press(VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(grid_) && !IsWindowVisible(view); }));
  ASSERT_TRUE(SelectionBecomes("00010"));
  ASSERT_EQ(FocusOf(frame_), grid_) << "the grid has the focus again";

  // The menu key opens the context menu at the focused cell; its Delete
  // item is reached with the arrows and the shell's question answered with Enter.
  Press(VK_END);
  ASSERT_TRUE(SelectionBecomes("00001"));
  Press(VK_APPS);
  ASSERT_TRUE(WaitUntil([&] { return test::TopWindowOf(process_.dwProcessId, nullptr, "#32768") != nullptr; }))
      << "the context menu";
  int downs = 0;
  for (const MenuEntry& entry : ContextMenuLayout()) {
    if (entry.kind != MenuEntry::Item) continue;
    ++downs;
    if (entry.id == ID_EDIT_DELETE) break;
  }
  for (int i = 0; i < downs; ++i) Press(VK_DOWN);
  Press(VK_RETURN);
  const HWND question =
      test::WaitForWindow([&] { return test::TopWindowOf(process_.dwProcessId, nullptr, "#32770"); }, kLimitMs);
  ASSERT_NE(question, nullptr) << "the shell asks before it deletes";
  SetForegroundWindow(question);
  WaitUntil([&] { return GetForegroundWindow() == question; });
  Press(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return ChildCount() == 4; })) << "the deleted picture left the grid";
  EXPECT_EQ(GetFileAttributesA(folder_.File("elder.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesA(folder_.File("date.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesA(test::TrashFile("elder.bmp").c_str()), INVALID_FILE_ATTRIBUTES) << "in the recycle bin";
  test::EmptyTrashOf("elder.bmp");
}

// A screen reader's view: one list item per picture, named after its file,
// described by the cell's captions, with its states and place on the screen;
// a focus move is announced; and an object kept after the program ended
// fails cleanly.
TEST_F(GridKeyboardTest, AScreenReaderInAnotherProcessReadsTheCells) {
  VARIANT role;
  VariantInit(&role);
  ASSERT_EQ(reader_->get_accRole(test::AccessibleChild(CHILDID_SELF), &role), S_OK);
  EXPECT_EQ(role.lVal, ROLE_SYSTEM_LIST);
  EXPECT_FALSE(Text(&IAccessible::get_accName, reader_.Get(), CHILDID_SELF).empty()) << "the grid is named after its folder";
  // The panes that draw no text of their own are named after their bars.
  const HWND previewBar = test::FindChildById(frame_, ID_VIEW_PREVIEW);
  for (HWND pane : {test::FindChildById(frame_, IDW_FOLDER_TREE), test::FindChildById(previewBar, IDW_PREVIEW)}) {
    ASSERT_NE(pane, nullptr);
    win::ComPtr<IAccessible> named;
    ASSERT_TRUE(SUCCEEDED(AccessibleObjectFromWindow(pane, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                                     reinterpret_cast<void**>(named.GetAddressOf()))));
    EXPECT_FALSE(Text(&IAccessible::get_accName, named.Get(), CHILDID_SELF).empty());
  }
  for (long id = 1; id <= 5; ++id) {
    SCOPED_TRACE(id);
    EXPECT_EQ(Text(&IAccessible::get_accName, reader_.Get(), id), std::wstring(kNames[id - 1], kNames[id - 1] + strlen(kNames[id - 1])));
    ASSERT_EQ(reader_->get_accRole(test::AccessibleChild(id), &role), S_OK);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_LISTITEM);
    EXPECT_NE(Text(&IAccessible::get_accDescription, reader_.Get(), id).find(L"64 * "), std::wstring::npos)
        << "the picture size is among the captions";
    EXPECT_EQ(Text(&IAccessible::get_accDefaultAction, reader_.Get(), id), L"open");
    EXPECT_EQ(State(reader_.Get(), id) & (STATE_SYSTEM_SELECTED | STATE_SYSTEM_OFFSCREEN), 0);
  }
  VARIANT bad = test::AccessibleChild(6);
  BSTR name = nullptr;
  EXPECT_EQ(reader_->get_accName(bad, &name), E_INVALIDARG);

  // Cell 2 lies right of cell 1, on the grid, in screen coordinates.
  long x1, y1, w1, h1, x2, y2, w2, h2;
  ASSERT_EQ(reader_->accLocation(&x1, &y1, &w1, &h1, test::AccessibleChild(1)), S_OK);
  ASSERT_EQ(reader_->accLocation(&x2, &y2, &w2, &h2, test::AccessibleChild(2)), S_OK);
  POINT origin{0, 0};
  ClientToScreen(grid_, &origin);
  EXPECT_EQ(x1, origin.x) << "the first cell at the grid's top left";
  EXPECT_EQ(y1, origin.y);
  EXPECT_EQ(x2, x1 + w1);
  EXPECT_EQ(y2, y1);
  EXPECT_GT(w1, 0);
  VARIANT hit;
  ASSERT_EQ(reader_->accHitTest(x2 + w2 / 2, y2 + h2 / 2, &hit), S_OK);
  EXPECT_EQ(hit.lVal, 2) << "the middle of cell 2 is cell 2";

  FocusGrid();
  const size_t before = g_events.size();
  Press(VK_RIGHT);
  Press(VK_RIGHT);
  auto focusHeard = [&](long child) {
    for (size_t i = before; i < g_events.size(); ++i)
      if (g_events[i].event == EVENT_OBJECT_FOCUS && g_events[i].window == grid_ && g_events[i].child == child)
        return true;
    return false;
  };
  EXPECT_TRUE(WaitUntil([&] { return focusHeard(2) && focusHeard(3); }))
      << "each move of the focus is announced with its cell";
  EXPECT_TRUE(SelectionBecomes("00100"));
  EXPECT_EQ(State(reader_.Get(), 3) & (STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED),
            STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED);

  // The program ends while the reader still holds the grid's object.
  PostMessageA(frame_, WM_CLOSE, 0, 0);
  ASSERT_TRUE(test::WaitForExit(process_, kLimitMs));
  long count = 0;
  EXPECT_TRUE(FAILED(reader_->get_accChildCount(&count))) << "a call on the ended grid fails, it does not crash";
}

}  // namespace
}  // namespace zv
