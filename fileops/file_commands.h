#pragma once
// The file commands of the file list: they act on the listed folder and the
// selected files through the shell. They come after the file list in the
// command chain (visible presenter -> file list -> file commands -> frame).
// Only the commands that really do their work are handled here; the others
// stay unhandled, and so disabled, until they are built.
#include <windows.h>

#include <string>
#include <vector>

#include "win/command.h"

namespace zv {

// What the file commands need from the file list that owns them.
class FileCommandHost {
 public:
  // The folder tree reads its folders again, and the file list lists the
  // folder that is then selected.
  virtual void RefreshFolders() = 0;
  // The folder the list shows (the mirror folder while a copyboard folder is
  // mirrored); empty when it shows none.
  virtual std::string ListedFolder() const = 0;
  // The folder tree makes `name` below its selected folder; true when made.
  virtual bool NewFolderInTree(const std::string& name) = 0;
  // The window the commands' dialogs belong to.
  virtual HWND CommandWindow() const = 0;

 protected:
  ~FileCommandHost() = default;
};

class CFileCommands : public win::CommandTarget {
 public:
  explicit CFileCommands(FileCommandHost& host) : host_(host) {}

  bool ExecuteCommand(int id) override;
  bool UpdateCommand(win::CommandUpdate& update) override;

  // Handlers (the command map is in file_commands.cpp).
  void OnRefresh(int id);
  // New folder (new_folder_command.cpp).
  void OnNewFolder(int id);
  void OnUpdateNewFolder(win::CommandUpdate& update);

 private:
  FileCommandHost& host_;
};

}  // namespace zv
