#pragma once
// A file command's hold on the shown folder's files. While a lease lives,
// nothing of the file list reads them (thumbnails and read-ahead stop, what
// they made so far stays); when it ends, the list reads its folder again
// (rows, cells, mirror) and carries on making thumbnails. Taken as
//   auto lease = host.ReleaseFolderFiles();
// so that no early return forgets the reread. Leases nest: only the last
// one to end rereads.
#include <functional>
#include <utility>

#include "win/diagnostics.h"

namespace zv {

class [[nodiscard]] FolderFilesLease {
 public:
  FolderFilesLease() = default;
  explicit FolderFilesLease(std::function<void()> end) : end_(std::move(end)) {}
  FolderFilesLease(FolderFilesLease&& other) noexcept : end_(std::exchange(other.end_, {})) {}
  FolderFilesLease& operator=(FolderFilesLease&& other) noexcept {
    if (this != &other) {
      End();
      end_ = std::exchange(other.end_, {});
    }
    return *this;
  }
  FolderFilesLease(const FolderFilesLease&) = delete;
  FolderFilesLease& operator=(const FolderFilesLease&) = delete;
  ~FolderFilesLease() { End(); }

  // Ends the lease now (the destructor then does nothing).
  void End() noexcept {
    std::function<void()> end = std::exchange(end_, {});
    if (!end) return;
    try {
      end();
    } catch (...) {  // out of memory while rereading: the list stays as it was
      win::LogCaughtException("rereading the folder after a file command");
    }
  }

 private:
  std::function<void()> end_;
};

}  // namespace zv
