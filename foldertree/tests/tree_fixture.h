#pragma once
// What the folder tree's Wine tests share: scratch folders on the real file
// system (below the Desktop, Documents or C:\), an owner window that records
// the folder-selected notifications, an allocator that counts frees, and a
// fixture with a tree on the real shell namespace.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foldertree/folder_tree_wnd.h"
#include "win/window.h"

namespace zv::test {

// The program's ANSI text of a UTF-8 literal.
std::string Ansi(const char* utf8);
std::string SpecialPath(int csidl);
void PumpMessages();

// A fresh folder below `base`, removed with everything in it at the end.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& base);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }
  const std::string& name() const { return name_; }
  // Makes `relative` (and the folders on its way) below the scratch folder; returns its path.
  std::string Make(const std::string& relative) const;

 private:
  std::string path_;
  std::string name_;
};

// Removes a folder and everything in it (as a user would outside the program).
void RemoveTree(const std::string& path);

// The owner of a tree under test: a top-level window that records what it is told.
class TreeOwner : public win::Window {
 public:
  bool CreateOwner();
  void Forget();
  // One entry per folder-selected notification; nullopt for a null path.
  std::vector<std::optional<std::string>> notices;
  std::vector<NMHDR> headers;
  std::vector<WPARAM> wParams;

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The shell's allocator, counting what it frees.
class CountingMalloc : public IMalloc {
 public:
  CountingMalloc();
  int frees = 0;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }  // lives on the test's stack
  void* STDMETHODCALLTYPE Alloc(SIZE_T size) override { return real_->Alloc(size); }
  void* STDMETHODCALLTYPE Realloc(void* p, SIZE_T size) override { return real_->Realloc(p, size); }
  void STDMETHODCALLTYPE Free(void* p) override;
  SIZE_T STDMETHODCALLTYPE GetSize(void* p) override { return real_->GetSize(p); }
  int STDMETHODCALLTYPE DidAlloc(void* p) override { return real_->DidAlloc(p); }
  void STDMETHODCALLTYPE HeapMinimize() override { real_->HeapMinimize(); }

 private:
  ComPtr<IMalloc> real_;
  ULONG refs_ = 1;
};

class FolderTreeTest : public ::testing::Test {
 protected:
  // One owner for all tests: destroying a top-level window costs Wine two seconds.
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;
  // Makes the tree window (builds at its first size message).
  void OpenTree(IMalloc* allocator = nullptr, const char* initialPath = nullptr);

  HWND tree() const { return window_->GetTreeCtrl(); }
  HTREEITEM Root() const;
  HTREEITEM Selected() const;
  std::vector<HTREEITEM> Children(HTREEITEM item) const;
  std::string Text(HTREEITEM item) const;
  LPCITEMIDLIST Data(HTREEITEM item) const;
  // The child of `item` with exactly this text, or null.
  HTREEITEM ChildNamed(HTREEITEM item, const std::string& text) const;
  // The child of the root whose identifier is the first of the special folder's list.
  HTREEITEM RootChildOf(int csidl) const;
  std::string SelectedPath() const;
  // Expands through the control, as a click on the button does.
  void ExpandByUser(HTREEITEM item);
  bool IsPlaceholder(HTREEITEM item) const;
  // Every item of the tree, the root included.
  std::vector<HTREEITEM> AllItems() const;

  static inline std::unique_ptr<TreeOwner> sharedOwner_;
  TreeOwner& owner_ = *sharedOwner_;
  std::unique_ptr<FolderTreeWnd> window_;
};

}  // namespace zv::test
