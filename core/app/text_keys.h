#pragma once
// Keys and values of the UI text table (String.ini).
#include <cstddef>
#include <string>
#include <string_view>

namespace zv {

inline constexpr size_t kTextKeyLength = 20;
// A looked-up text holds at most this many bytes; longer values are cut.
inline constexpr size_t kTextValueMax = 1023;

// The key as stored in the file: padded with '_' to 20 characters, or its
// first 20 characters ("TaskTrayExit" -> "TaskTrayExit________").
std::string StoredTextKey(std::string_view key);

}  // namespace zv
