#include "core/browser/sort_rules.h"

#include <algorithm>
#include <numeric>

#include "core/imagelib/probe_rules.h"

namespace zv {

namespace {

template <class T>
int Order(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

unsigned char LowerAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c; }

int64_t PixelCount(const FileListItem& item) { return static_cast<int64_t>(item.width) * item.height; }

// The difference of a and b for the key, as a sign, ascending.
int KeyOrder(int key, const FileListItem& a, const FileListItem& b, LeadBytePredicate isLead) {
  switch (key) {
    case 1: return Order(ImageTypeFromPath(a.name), ImageTypeFromPath(b.name));
    case 2: return Order(FileTimeSeconds(a.lastWrite), FileTimeSeconds(b.lastWrite));
    case 3: return Order(a.fileSize, b.fileSize);
    case 4: return Order(PixelCount(a), PixelCount(b));
    case 5: return Order(a.colors, b.colors);
    default: return CompareNames(a.name, b.name, isLead);
  }
}

}  // namespace

int NormalSortKey(int stored) { return stored >= 0 && stored < kSortKeyCount ? stored : 0; }
int NormalSortDir(int stored) { return stored == kAscending ? kAscending : kDescending; }
int FlippedSortDir(int dir) { return dir == kAscending ? kDescending : kAscending; }

int CompareNames(std::string_view a, std::string_view b, LeadBytePredicate isLead) {
  // Both sides are read character by character from the same start; while
  // the folded bytes agree, a byte opens a two-byte character in both or in
  // neither (lead bytes are no letters), so the trail bytes line up.
  size_t at = 0;
  bool trail = false;
  for (; at < a.size() && at < b.size(); ++at) {
    auto ca = static_cast<unsigned char>(a[at]);
    auto cb = static_cast<unsigned char>(b[at]);
    if (!trail) {
      ca = LowerAscii(ca);
      cb = LowerAscii(cb);
    }
    if (ca != cb) return ca < cb ? -1 : 1;
    trail = !trail && isLead(ca);
  }
  return Order(a.size(), b.size());
}

int Compare(int key, int dir, const FileListItem& a, const FileListItem& b, LeadBytePredicate isLead) {
  const int d = KeyOrder(NormalSortKey(key), a, b, isLead);
  return NormalSortDir(dir) == kAscending ? d : -d;
}

std::vector<size_t> SortPermutation(const std::vector<const FileListItem*>& items, int key, int dir,
                                    LeadBytePredicate isLead) {
  if (items.size() < 2) return {};
  std::vector<size_t> order(items.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t x, size_t y) {
    return Compare(key, dir, *items[x], *items[y], isLead) < 0;
  });
  return order;
}

}  // namespace zv
