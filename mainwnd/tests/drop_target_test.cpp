// The frame's drop target: where files may land, with which effect, and
// what is refused.
#include <windows.h>

#include <gtest/gtest.h>
#include <ole2.h>

#include "app/app_services.h"
#include "mainwnd/tests/frame_fakes.h"
#include "tests/wine/wine_test_support.h"

namespace zv {
namespace {

// Data that offers exactly one clipboard format.
class OneFormatData : public IDataObject {
 public:
  explicit OneFormatData(CLIPFORMAT format) : format_(format) {}
  virtual ~OneFormatData() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override {
    return f->cfFormat == format_ && (f->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

 private:
  CLIPFORMAT format_;
};

POINTL CentreOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class DropTargetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OleInitialize(nullptr);
    test::DeleteProgramSettings();
    frame_ = std::make_unique<CMainFrame>(test::FakeParts(record_));
    ASSERT_TRUE(frame_->CreateFrame());
    ShowWindow(frame_->hwnd(), SW_SHOW);
    test::Pump();
  }
  void TearDown() override {
    frame_.reset();
    test::DeleteProgramSettings();
    OleUninitialize();
  }
  DWORD Enter(IDataObject& data, POINTL at, DWORD keys) {
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(frame_->dropTarget()->DragEnter(&data, keys, at, &effect), S_OK);
    return effect;
  }
  DWORD Over(POINTL at, DWORD keys) {
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(frame_->dropTarget()->DragOver(keys, at, &effect), S_OK);
    return effect;
  }
  POINTL List() { return CentreOf(static_cast<CFileListPane*>(frame_->GetPane(0))->DropWindow()); }
  POINTL Tree() { return CentreOf(frame_->FolderTreeBar()->GetTreeCtrl()); }

  AppServices services_;
  test::FrameRecord record_;
  std::unique_ptr<CMainFrame> frame_;
  OneFormatData files_{CF_HDROP};
  OneFormatData text_{CF_TEXT};
};

TEST_F(DropTargetTest, FileListAndTreeTakeFilesToolbarAndCaptionDoNot) {
  EXPECT_EQ(Enter(files_, List(), MK_LBUTTON), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(Over(List(), MK_LBUTTON | MK_SHIFT), static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_EQ(Over(Tree(), MK_LBUTTON), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(Over(Tree(), MK_LBUTTON | MK_SHIFT), static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_EQ(Over(CentreOf(frame_->toolbar()), MK_LBUTTON), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(Over(CentreOf(frame_->statusBar()), MK_LBUTTON), static_cast<DWORD>(DROPEFFECT_NONE));
  RECT window{};
  GetWindowRect(frame_->hwnd(), &window);
  POINTL caption{(window.left + window.right) / 2, window.top + GetSystemMetrics(SM_CYCAPTION) / 2 + 1};
  EXPECT_EQ(Over(caption, MK_LBUTTON), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(frame_->dropTarget()->DragLeave(), S_OK);
  EXPECT_EQ(record_.treeDragLeaves, 1) << "leaving ends the tree's feedback";
}

TEST_F(DropTargetTest, RefusesOtherDataAndAListWithoutFolder) {
  EXPECT_EQ(Enter(text_, List(), MK_LBUTTON), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(Over(Tree(), MK_LBUTTON | MK_SHIFT), static_cast<DWORD>(DROPEFFECT_NONE));
  DWORD effect = DROPEFFECT_COPY;
  frame_->dropTarget()->Drop(&text_, MK_LBUTTON, List(), &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_TRUE(record_.drops.empty());

  record_.currentFolder.clear();
  EXPECT_EQ(Enter(files_, List(), MK_LBUTTON), static_cast<DWORD>(DROPEFFECT_NONE));
  record_.treeFolder.clear();  // the tree refuses the point under the cursor
  EXPECT_EQ(Over(Tree(), MK_LBUTTON), static_cast<DWORD>(DROPEFFECT_NONE));
}

TEST_F(DropTargetTest, DropHandsTheFilesToTheListWithEffectAndFolder) {
  Enter(files_, List(), MK_LBUTTON);
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(frame_->dropTarget()->Drop(&files_, MK_SHIFT, List(), &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  frame_->dropTarget()->Drop(&files_, 0, Tree(), &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  frame_->dropTarget()->Drop(&files_, 0, CentreOf(frame_->toolbar()), &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  ASSERT_EQ(record_.drops.size(), 2u);
  EXPECT_EQ(record_.drops[0], std::make_pair(static_cast<DWORD>(DROPEFFECT_MOVE), std::string("C:\\pictures")));
  EXPECT_EQ(record_.drops[1], std::make_pair(static_cast<DWORD>(DROPEFFECT_COPY), std::string("C:\\tree-folder")));
  EXPECT_EQ(record_.treeDragLeaves, 3) << "every drop, accepted or not, ends the tree's feedback";

  // Another program that offers a copy only gets a copy, Shift or not.
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(frame_->dropTarget()->DragEnter(&files_, MK_SHIFT, List(), &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  frame_->dropTarget()->Drop(&files_, MK_SHIFT, List(), &effect);
  EXPECT_EQ(record_.drops.back().first, static_cast<DWORD>(DROPEFFECT_COPY));
  // The list's own drag offers a copy only too, but Shift on a tree folder moves its files.
  record_.ownDrag = &files_;
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(frame_->dropTarget()->DragEnter(&files_, MK_LBUTTON | MK_SHIFT, Tree(), &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE)) << "the cursor shows a move";
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(frame_->dropTarget()->Drop(&files_, MK_SHIFT, Tree(), &effect), S_OK);
  EXPECT_EQ(record_.drops.back(), std::make_pair(static_cast<DWORD>(DROPEFFECT_MOVE), std::string("C:\\tree-folder")));
  effect = DROPEFFECT_COPY;
  frame_->dropTarget()->Drop(&files_, 0, Tree(), &effect);
  EXPECT_EQ(record_.drops.back().first, static_cast<DWORD>(DROPEFFECT_COPY)) << "without Shift it copies";
  record_.ownDrag = nullptr;
  // A move the list did not finish reports no effect, so the source keeps its files.
  record_.dropResult = S_FALSE;
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(frame_->dropTarget()->Drop(&files_, MK_SHIFT, List(), &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
}

}  // namespace
}  // namespace zv
