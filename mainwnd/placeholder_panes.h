#pragma once
// The panes the frame shows while the file list view and the folder tree are
// not part of the program yet. The list pane holds the command map of every
// command that belongs to the file list view: the handlers of commands whose
// subsystem has not landed do nothing, and, with no folder listed, everything
// that needs files is disabled. Help, information, sort, setup and refresh
// are always enabled.
#include <string>

#include "mainwnd/panes.h"

namespace zv {

class CEmptyFileList : public CFileListPane {
 public:
  bool CreatePane(HWND parent, int childId) override;
  void SetFolder(const char*) override {}
  HWND DropWindow() const override { return hwnd(); }
  std::string CurrentFolder() const override { return {}; }
  HRESULT DropFiles(IDataObject*, DWORD, const std::string&) override { return S_OK; }
  void StoreScannedImage(void*) override {}
  bool ExecuteCommand(int id) override;
  bool UpdateCommand(win::CommandUpdate& update) override;

  void OnNothing(int id);
  void OnHelp(int id);
  void OnInformation(int id);
  void OnUpdateNeedsFiles(win::CommandUpdate& update);
};

class CEmptyFolderTreeBar : public CFolderTreePane {
 public:
  HWND GetTreeCtrl() const override { return nullptr; }
  bool DragOver(POINT, std::string&) override { return false; }
  void DragLeave() override {}
  void SelectPath(const std::string&) override {}
  void Refresh() override {}
};

}  // namespace zv
