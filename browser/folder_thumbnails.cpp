#include "browser/folder_thumbnails.h"

#include <utility>

namespace zv {

FolderThumbnails::FolderThumbnails(ThumbCacheStore& cache, size_t budgetBytes)
    : cache_(cache), store_(budgetBytes, cache.folder()) {
  store_.SetBox(box_);
}

FolderThumbnails::~FolderThumbnails() { workers_.reset(); }

void FolderThumbnails::StartWorkers(HWND target, UINT message) {
  workers_ = std::make_unique<ThumbWorkers>(target, message);
  workers_->Start(box_, {});
  if (pauses_ > 0) workers_->Pause();
}

void FolderThumbnails::SetBox(ThumbBox box) {
  if (box == box_) return;
  box_ = box;
  store_.SetBox(box);
  ForgetAll();
}

void FolderThumbnails::OpenFile(const std::string& folder, ThumbCacheFile file) {
  store_.Clear();  // nothing may point into the file it had
  file_ = std::move(file);
  fileFolder_ = folder;
  fileBox_ = box_;
}

void FolderThumbnails::CloseFile() {
  store_.Clear();
  file_ = ThumbCacheFile();
  fileFolder_.clear();
  indexed_ = false;
}

KnownFile FolderThumbnails::Preload(const std::string& folder) {
  ForgetAll();
  // Closed first: the file is held without sharing, and it may be the one to open.
  CloseFile();
  if (folder.empty()) return {};
  OpenFile(folder, cache_.LoadIfIndexed(folder, box_));
  if (!file_.IsUsable()) return {};
  const ThumbCacheFile* file = &file_;
  return [file](const std::string& name, uint32_t fileSize, const FileTime& lastWrite) {
    return file->Find(ThumbKey{name, fileSize, lastWrite}) != nullptr;
  };
}

void FolderThumbnails::Open(const std::string& folder) {
  ForgetAll();
  folder_ = folder;
  if (fileFolder_ == folder && fileBox_ == box_ && !folder.empty()) {
    if (!indexed_) cache_.PutFirst(folder);  // opened by Preload, which left the index alone
  } else {
    CloseFile();
    OpenFile(folder, cache_.Load(folder, box_));
  }
  indexed_ = true;
  store_.SetCacheFile(&file_);
}

const ThumbCacheEntry* FolderThumbnails::FindCached(const ThumbKey& key) const { return file_.Find(key); }

bool FolderThumbnails::CachedAt(size_t index, const ThumbCacheEntry* entry, size_t count) const {
  const std::vector<ThumbCacheEntry>& stored = file_.contents().entries;
  return file_.IsUsable() && stored.size() == count && index < count && entry == &stored[index];
}

void FolderThumbnails::PutCached(uint64_t cellId, const ThumbCacheEntry& entry) { store_.PutCached(cellId, entry); }

void FolderThumbnails::Make(std::vector<ThumbRequest> requests) {
  requested_ = requests.size();
  if (!requests.empty()) clean_ = false;
  if (workers_) workers_->Start(box_, std::move(requests));
}

void FolderThumbnails::MakeOne(ThumbRequest request) {
  ++requested_;
  clean_ = false;
  if (workers_) workers_->Add(std::move(request));
}

void FolderThumbnails::Prefer(const std::vector<uint64_t>& cellIds) {
  if (workers_) workers_->Prefer(cellIds);
}

std::optional<FolderThumbnails::Made> FolderThumbnails::TakeMade() {
  std::optional<ThumbResult> result = workers_ ? workers_->TakeResult() : std::nullopt;
  if (!result) return std::nullopt;
  if (result->ok) {
    store_.Put(result->cellId, std::move(result->thumbnail.pixels));
    clean_ = false;
  }
  return Made{result->cellId, result->ok};
}

std::shared_ptr<const PixelImage> FolderThumbnails::Pixels(uint64_t cellId) { return store_.Get(cellId); }

void FolderThumbnails::Forget(uint64_t cellId) {
  store_.Forget(cellId);
  clean_ = false;
}

void FolderThumbnails::ForgetAll() {
  if (workers_) workers_->Start(box_, {});
  store_.Clear();
  store_.SetCacheFile(&file_);
  clean_ = false;
  requested_ = 0;
}

void FolderThumbnails::Leave(size_t cellCount, const CellAt& cellAt) {
  if (workers_) workers_->Cancel();  // no more of its pictures while it is saved
  if (cellCount > 0 && !clean_ && !folder_.empty()) Save(cellCount, cellAt);
  if (workers_) workers_->CancelAndWait();
  ForgetAll();
  CloseFile();
  folder_.clear();
}

// The save reads dropped thumbnails back from the open cache file, which it
// closes just before its new file takes the old one's name.
void FolderThumbnails::Save(size_t cellCount, const CellAt& cellAt) {
  clean_ = cache_.Save(
      folder_, box_, cellCount,
      [&](size_t index, ThumbKey* key, PixelImage* pixels) {
        uint64_t cellId = 0;
        if (!cellAt(index, &cellId, key)) return false;
        const std::shared_ptr<const PixelImage> thumb = store_.Get(cellId);
        if (thumb == nullptr) return false;
        *pixels = *thumb;
        return true;
      },
      &file_);
}

void FolderThumbnails::Pause() {
  if (pauses_++ == 0 && workers_) workers_->Pause();
}

void FolderThumbnails::Resume() {
  if (pauses_ > 0 && --pauses_ == 0 && workers_) workers_->Resume();
}

}  // namespace zv
