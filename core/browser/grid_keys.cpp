#include "core/browser/grid_keys.h"

#include <algorithm>

namespace zv {

size_t GridKeyTarget(GridKey key, size_t focus, size_t count, int32_t columns, int32_t pageRows) {
  if (count == 0) return 0;
  const size_t last = count - 1;
  focus = std::min(focus, last);
  const auto cols = static_cast<size_t>(std::max(columns, 1));
  const size_t page = cols * static_cast<size_t>(std::max(pageRows, 1));
  const size_t column = focus % cols;
  const size_t lastRowStart = last - last % cols;
  switch (key) {
    case GridKey::kLeft: return focus > 0 ? focus - 1 : 0;
    case GridKey::kRight: return std::min(focus + 1, last);
    case GridKey::kUp: return focus >= cols ? focus - cols : focus;
    case GridKey::kDown:
      if (focus + cols <= last) return focus + cols;
      return focus < lastRowStart ? last : focus;
    case GridKey::kHome: return 0;
    case GridKey::kEnd: return last;
    case GridKey::kPageUp: return focus >= page ? focus - page : column;
    case GridKey::kPageDown:
      if (focus + page <= last) return focus + page;
      return std::min(lastRowStart + column, last);
  }
  return focus;
}

void TypeAhead::Type(char typed, uint32_t timeMs) {
  if (prefix_.empty() || timeMs - lastMs_ >= kPauseMs) prefix_.clear();
  prefix_.push_back(typed);
  lastMs_ = timeMs;
}

namespace {

char Folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWith(std::string_view name, std::string_view prefix) {
  if (name.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (Folded(name[i]) != Folded(prefix[i])) return false;
  return true;
}

}  // namespace

int FindTypedName(const std::vector<std::string_view>& names, size_t focus, std::string_view prefix) {
  if (names.empty() || prefix.empty()) return -1;
  const bool oneLetter = std::all_of(prefix.begin(), prefix.end(), [&](char c) { return c == prefix.front(); });
  // "aaa" is not a name's start but "a" three times: step on through the a's.
  const std::string_view wanted = oneLetter ? prefix.substr(0, 1) : prefix;
  const size_t start = oneLetter ? focus + 1 : focus;
  for (size_t k = 0; k < names.size(); ++k) {
    const size_t i = (start + k) % names.size();
    if (StartsWith(names[i], wanted)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace zv
