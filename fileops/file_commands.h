#pragma once
// The file commands of the file list: they act on the listed folder and the
// selected files through the shell, and move files through the clipboard
// and drag and drop. They come after the file list in the command chain
// (visible presenter -> file list -> file commands -> frame). Only the
// commands that really do their work are handled here; the others stay
// unhandled, and so disabled, until they are built.
#include <windows.h>

#include <ole2.h>

#include <string>
#include <vector>

#include "core/app/envset.h"
#include "core/browser/file_list_item.h"
#include "fileops/file_operations.h"
#include "fileops/folder_lease.h"
#include "win/com.h"
#include "win/command.h"

namespace zv {

// What the file commands need from the file list that owns them.
class FileCommandHost {
 public:
  // The folder tree reads its folders again, and the file list lists the
  // folder that is then selected.
  virtual void RefreshFolders() = 0;
  // The selected files' full paths, in list order.
  virtual std::vector<std::string> SelectedFiles() const = 0;
  virtual size_t SelectedFileCount() const = 0;
  virtual size_t FileCount() const = 0;
  virtual void SelectAllFiles() = 0;
  // The folder the list shows (the mirror folder for the board); empty: none.
  virtual std::string ShownFolder() const = 0;
  // A single picture is shown instead of the list.
  virtual bool PictureShown() const = 0;
  // Whether the list can show the file: a readable image of a known type.
  virtual bool CanShowFile(const std::string& path) const = 0;
  // The same judged from the file's headers alone (no check over the whole
  // file): quick enough for an enable rule.
  virtual bool HeadersShowable(const std::string& path) const = 0;
  virtual FileOperationSite OperationSite() const = 0;
  // Before a shell operation: nothing of the list may hold a file open
  // until the lease ends; then the list reads its folder again (removed rows
  // and cells go, new ones come at the end).
  virtual FolderFilesLease ReleaseFolderFiles() = 0;
  // The folder tree makes `name` below its selected folder; true when made.
  virtual bool NewFolderInTree(const std::string& name) = 0;
  // The window the commands' dialogs belong to.
  virtual HWND CommandWindow() const = 0;
  // The property and save commands (a list that has no such records keeps the defaults):
  // the record of the one selected file; false unless exactly one is selected.
  virtual bool SelectedRecord(FileListItem& /*record*/) const { return false; }
  // The orientation (0-7) the picture view shows `path` in; 0 when it does not show it.
  virtual int ShownOrientation(const std::string& /*path*/) const { return 0; }
  // `oldPath` became `newPath` (renamed, converted, re-dated or rewritten): its
  // record, row and cell show the new file, or go when the list cannot show it.
  virtual void ReplaceRecord(const std::string& /*oldPath*/, const std::string& /*newPath*/) {}

 protected:
  ~FileCommandHost() = default;
};

class CFileCommands : public win::CommandTarget {
 public:
  explicit CFileCommands(FileCommandHost& host) : host_(host) {}

  bool ExecuteCommand(int id) override;
  bool UpdateCommand(win::CommandUpdate& update) override;

  // Drags the selected files out of the list or the grid. Other programs are
  // offered a copy only; our own drop target moves them with Shift held.
  void DragSelectionOut();
  // Whether `data` is the list of the drag this object is running.
  bool IsOwnDrag(IDataObject* data) const { return data != nullptr && dragData_.Get() == data; }
  // Copies (DROPEFFECT_COPY) or moves (DROPEFFECT_MOVE) dropped files into
  // `folder`: S_OK when the shell did it, S_FALSE when nothing was done or
  // the user stopped it (so the drag source never takes it for a move).
  HRESULT DropFiles(IDataObject* data, DWORD effect, const std::string& folder);
  // Before the program ends: what Copy or Cut put on the clipboard stays
  // there for other programs.
  void KeepClipboard();
  // Whether the paste would move: the clipboard still holds our own list
  // from a Cut.
  bool PasteMoves() const;

  // Handlers (the command map is in file_commands.cpp).
  void OnRefresh(int id);
  void OnCutCopy(int id);
  void OnPaste(int id);
  void OnDelete(int id);
  void OnAllFiles(int id);
  void OnUpdateSelection(win::CommandUpdate& update);
  void OnUpdatePaste(win::CommandUpdate& update);
  void OnUpdateAllFiles(win::CommandUpdate& update);
  void OnMoveOrCopyTo(int id);
  void OnUpdateMoveOrCopyTo(win::CommandUpdate& update);
  // Print, mail and open with (image_commands.cpp).
  void OnPrint(int id);
  void OnSendMail(int id);
  void OnOpenWith(int id);
  // New folder (new_folder_command.cpp).
  void OnNewFolder(int id);
  void OnUpdateNewFolder(win::CommandUpdate& update);
  // Property (property_command.cpp) and save as (save_commands.cpp); both
  // want exactly one selected file.
  void OnProperty(int id);
  void OnSaveAs(int id);
  void OnUpdateOneFile(win::CommandUpdate& update);
  // A scanned image from the scanner connection (a packed DIB in a global
  // block, which is ours to free), saved as a new file (scan_save.cpp).
  void StoreScannedImage(HGLOBAL image, const EnvSet& settings);

 private:
  // The files on the clipboard that the list can show; `headersOnly` judges
  // them by their headers alone.
  std::vector<std::string> ClipboardFiles(bool headersOnly) const;
  bool PutOnClipboard(const std::vector<std::string>& paths, bool cut);
  void DeleteFiles(const std::vector<std::string>& paths);
  // Runs the multi-file operation with the list's files released, then
  // tells the shell about `folders` and has the list read its folder again.
  FileOperationOutcome Transfer(const std::vector<std::string>& sources, const std::string& destination,
                                FileOperationMode mode);

  FileCommandHost& host_;
  // The data most recently put on the clipboard, and whether by Cut.
  win::ComPtr<IDataObject> clipboardData_;
  bool cutPending_ = false;
  // The data of the drag out of the list while it runs.
  win::ComPtr<IDataObject> dragData_;
  // The paste's state for the clipboard's contents of this sequence number
  // (menus and toolbar ask at every idle; a clipboard is probed once).
  mutable DWORD pasteCheckedSequence_ = 0;
  mutable bool pasteCheckValid_ = false;
  mutable bool pasteHasFiles_ = false;
};

}  // namespace zv
