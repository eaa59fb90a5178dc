// The file list view's picture state: opening the current record in the
// picture view, moving through the folder there, zooming, turning and
// mirroring, and going back to the list.
#include "browser/file_list_view.h"

#include "res/resource.h"

namespace zv {

namespace {

constexpr OrientationCommand kOrientationCommands[] = {
    OrientationCommand::kRotate90Right, OrientationCommand::kRotate90Left, OrientationCommand::kReflectHorizontal,
    OrientationCommand::kReflectVertical};
static_assert(ID_IMAGE_ROTATELEFT == ID_IMAGE_ROTATERIGHT + 1 && ID_IMAGE_REFLECTH == ID_IMAGE_ROTATERIGHT + 2 &&
              ID_IMAGE_REFLECTV == ID_IMAGE_ROTATERIGHT + 3);

// The zoom codes of the picture view in the order of the commands 32873-32876.
constexpr int kZoomCodes[] = {1, 0, 2, 3};
static_assert(ID_VIEW_INWINDOW == ID_VIEW_REALSIZE + 1 && ID_VIEW_ZOOMOUT == ID_VIEW_REALSIZE + 3);

}  // namespace

// The current record becomes the only selected one and fills the view.
void CFileListView::OpenCurrent() {
  FileListItems& items = model_.items();
  const FileListItem* item = items.At(items.current());
  if (item == nullptr || pictureView_.hwnd() == nullptr) return;
  win::WaitCursor wait;
  const int current = items.current();
  items.SelectAll(false);
  items.Select(static_cast<size_t>(current), true);
  items.SetCurrent(current);
  if (FileListPresenter* shown = Visible()) shown->ShowSelection();
  list_.Show(false);
  grid_.Show(false);
  pictureView_.Show(true);
  pictureShown_ = true;
  // Shown before the picture is made, so that it is fitted into the view's real size.
  ShowInPicture(current);
  UpdateStatus();
  SetFocus(pictureView_.hwnd());
}

// A picture read ahead is shown from its pixels; the one left behind is
// kept, since it is now a neighbour, and the new neighbours are read ahead.
void CFileListView::ShowInPicture(int index) {
  const FileListItems& items = model_.items();
  const std::string path = items.At(index)->path;
  std::optional<KeptPicture> ready = readAhead_.Take(path);
  KeptPicture left = pictureView_.TakePicture();
  if (ready)
    pictureView_.ShowKept(std::move(*ready), 0);
  else
    pictureView_.ShowPicture(path.c_str(), 0);
  if (left.path != path) readAhead_.Keep(std::move(left));
  const int count = static_cast<int>(items.size());
  std::vector<std::string> neighbours;
  for (const int next : {(index + 1) % count, (index + count - 1) % count})
    if (next != index && (neighbours.empty() || items.At(next)->path != neighbours.front()))
      neighbours.push_back(items.At(next)->path);
  readAhead_.Want(neighbours);
}


// Also before a folder is listed or its files change: the pictures kept
// and read ahead are dropped, and no decode holds a file open any more.
void CFileListView::ReturnToList() {
  readAhead_.CancelAndWait();
  if (pictureShown_) {
    pictureView_.Show(false);
    pictureView_.TakePicture();
    pictureShown_ = false;
  }
  if (viewMode_ == kListMode)
    list_.Show(true);
  else
    grid_.Show(true);
}

void CFileListView::OnShowPicture(int) { OpenCurrent(); }

void CFileListView::OnReturnToList(int) {
  ReturnToList();
  if (FileListPresenter* shown = Visible(); shown != nullptr && shown->window() != nullptr)
    SetFocus(shown->window());
}

// Next after the last record is the first, previous before the first the last.
void CFileListView::OnPrevNextPicture(int id) {
  FileListItems& items = model_.items();
  if (items.empty()) return;
  win::WaitCursor wait;
  const int count = static_cast<int>(items.size());
  const int old = items.current();
  int next = 0;
  if (id == ID_VIEW_NEXTPICTURE)
    next = old + 1 < count && old >= 0 ? old + 1 : 0;
  else
    next = old > 0 && old < count ? old - 1 : count - 1;
  ShowInPicture(next);
  if (old >= 0) items.Select(static_cast<size_t>(old), false);
  items.Select(static_cast<size_t>(next), true);
  items.SetCurrent(next);
  if (FileListPresenter* shown = Visible()) shown->ShowSelection();
  UpdateStatus();
}

void CFileListView::OnZoom(int id) {
  win::WaitCursor wait;
  pictureView_.ZoomCommand(kZoomCodes[id - ID_VIEW_REALSIZE]);
  UpdateStatus();
}

// The file is not touched: the view turns the pixels it already holds.
void CFileListView::OnTurnOrMirror(int id) {
  win::WaitCursor wait;
  const OrientationCommand command = kOrientationCommands[id - ID_IMAGE_ROTATERIGHT];
  pictureView_.Reorient(NextOrientation(pictureView_.GetOrientation(), command));
  UpdateStatus();
}

void CFileListView::OnUpdateShowPicture(win::CommandUpdate& update) {
  update.Enable(!pictureShown_ && model_.items().SelectedCount() > 0);
}

void CFileListView::OnUpdatePictureCommands(win::CommandUpdate& update) { update.Enable(pictureShown_); }

}  // namespace zv
