#pragma once
// Message texts come from the user-editable String.ini and carry printf-like
// conversions ("%sを入力して下さい。"). They are never handed to printf: only
// the conversions a message expects are filled in, in order, and everything
// else (extra "%s", "%n", widths) is printed literally.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace zv {

struct MessageArg {
  // Implicit on purpose, so that callers write FillMessageText(f, {label, 1, 12}).
  MessageArg(std::string_view value) : isText(true), text(value) {}
  MessageArg(const char* value) : isText(true), text(value) {}
  MessageArg(const std::string& value) : isText(true), text(value) {}
  MessageArg(int64_t value) : isText(false), number(value) {}
  MessageArg(int value) : isText(false), number(value) {}
  MessageArg(unsigned value) : isText(false), number(value) {}

  bool isText;
  std::string_view text;
  int64_t number = 0;
};

// Replaces "%s" (text argument) and "%d" (number argument) with the next
// argument when its kind matches, and "%%" with "%". A conversion that does
// not match the next argument, or comes after the last one, stays as written.
std::string FillMessageText(std::string_view format, std::initializer_list<MessageArg> args);

}  // namespace zv
