#include "browser/picture_mode.h"

#include "core/text/ansi_path.h"
#include "res/resource.h"
#include "win/text_convert.h"
#include "win/window.h"

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

using Entry = win::CommandEntry<PictureMode>;
constexpr Entry kPictureCommands[] = {
    {ID_VIEW_SHOWPICTURE, ID_VIEW_SHOWPICTURE, &PictureMode::OnShowPicture, &PictureMode::OnUpdateShowPicture},
    {ID_VIEW_RETURNLIST, ID_VIEW_RETURNLIST, &PictureMode::OnReturnToList, &PictureMode::OnUpdatePictureCommands},
    {ID_VIEW_PREVPICTURE, ID_VIEW_NEXTPICTURE, &PictureMode::OnPrevNextPicture, &PictureMode::OnUpdatePictureCommands},
    {ID_VIEW_REALSIZE, ID_VIEW_ZOOMOUT, &PictureMode::OnZoom, &PictureMode::OnUpdatePictureCommands},
    {ID_IMAGE_ROTATERIGHT, ID_IMAGE_REFLECTV, &PictureMode::OnTurnOrMirror, &PictureMode::OnUpdatePictureCommands},
};

}  // namespace

bool PictureMode::Create(HWND parent) { return view_.CreateView(parent, IDW_PICTURE_VIEW, false); }

bool PictureMode::ExecuteCommand(int id) { return win::RunFromMap<PictureMode>(*this, kPictureCommands, id); }

bool PictureMode::UpdateCommand(win::CommandUpdate& update) {
  return win::UpdateFromMap<PictureMode>(*this, kPictureCommands, update);
}

void PictureMode::OpenCurrent() {
  const int current = items_.current();
  if (items_.At(current) == nullptr || view_.hwnd() == nullptr) return;
  win::WaitCursor wait;
  items_.SelectAll(false);
  items_.Select(static_cast<size_t>(current), true);
  items_.SetCurrent(current);
  host_.ShowModelSelection();
  host_.ShowListWindow(false);
  view_.Show(true);
  shown_ = true;
  // Shown before the picture is made, so that it is fitted into the view's real size.
  Show(current);
  host_.UpdateStatus();
  SetFocus(view_.hwnd());
}

// A picture read ahead is shown from its pixels; the one left behind is
// kept, since it is now a neighbour, and the new neighbours are read ahead.
void PictureMode::Show(int index) {
  const std::string path = items_.At(index)->path;
  std::optional<KeptPicture> ready = readAhead_.Take(path);
  KeptPicture left = view_.TakePicture();
  if (ready)
    view_.ShowKept(std::move(*ready), 0);
  else
    view_.ShowPicture(path.c_str(), 0);
  if (left.path != path) readAhead_.Keep(std::move(left));
  const int count = static_cast<int>(items_.size());
  std::vector<std::string> neighbours;
  for (const int next : {(index + 1) % count, (index + count - 1) % count})
    if (next != index && (neighbours.empty() || items_.At(next)->path != neighbours.front()))
      neighbours.push_back(items_.At(next)->path);
  readAhead_.Want(neighbours);
}

void PictureMode::ReturnToList() {
  readAhead_.CancelAndWait();
  if (shown_) {
    view_.Show(false);
    view_.TakePicture();
    shown_ = false;
  }
  host_.ShowListWindow(true);
}

int PictureMode::OrientationOf(const std::string& path) const {
  return shown_ && SamePath(view_.path(), path, win::IsAnsiLeadByte) ? view_.GetOrientation() : 0;
}

void PictureMode::OnShowPicture(int) { OpenCurrent(); }

// The file list view hands the focus on to the list or the grid.
void PictureMode::OnReturnToList(int) {
  ReturnToList();
  if (view_.hwnd() != nullptr) SetFocus(GetParent(view_.hwnd()));
}

// Next after the last record is the first, previous before the first the last.
void PictureMode::OnPrevNextPicture(int id) {
  if (items_.empty()) return;
  win::WaitCursor wait;
  const int count = static_cast<int>(items_.size());
  const int old = items_.current();
  int next = 0;
  if (id == ID_VIEW_NEXTPICTURE)
    next = old + 1 < count && old >= 0 ? old + 1 : 0;
  else
    next = old > 0 && old < count ? old - 1 : count - 1;
  Show(next);
  if (old >= 0) items_.Select(static_cast<size_t>(old), false);
  items_.Select(static_cast<size_t>(next), true);
  items_.SetCurrent(next);
  host_.ShowModelSelection();
  host_.UpdateStatus();
}

void PictureMode::OnZoom(int id) {
  win::WaitCursor wait;
  view_.ZoomCommand(kZoomCodes[id - ID_VIEW_REALSIZE]);
  host_.UpdateStatus();
}

// The file is not touched: the view turns the pixels it already holds.
void PictureMode::OnTurnOrMirror(int id) {
  win::WaitCursor wait;
  const OrientationCommand command = kOrientationCommands[id - ID_IMAGE_ROTATERIGHT];
  view_.Reorient(NextOrientation(view_.GetOrientation(), command));
  host_.UpdateStatus();
}

void PictureMode::OnUpdateShowPicture(win::CommandUpdate& update) {
  update.Enable(!shown_ && items_.SelectedCount() > 0);
}

void PictureMode::OnUpdatePictureCommands(win::CommandUpdate& update) { update.Enable(shown_); }

}  // namespace zv
