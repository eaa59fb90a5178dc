#include "core/text/message_text.h"

namespace zv {

std::string FillMessageText(std::string_view format, std::initializer_list<MessageArg> args) {
  std::string out;
  out.reserve(format.size() + 32);
  const MessageArg* next = args.begin();
  for (size_t at = 0; at < format.size(); ++at) {
    char c = format[at];
    if (c != '%' || at + 1 >= format.size()) {
      out += c;
      continue;
    }
    char conv = format[at + 1];
    if (conv == '%') {
      out += '%';
      ++at;
    } else if (next != args.end() && conv == 's' && next->isText) {
      out += next->text;
      ++next;
      ++at;
    } else if (next != args.end() && conv == 'd' && !next->isText) {
      out += std::to_string(next->number);
      ++next;
      ++at;
    } else {
      out += c;  // not ours to expand: keep the '%' and go on with the next byte
    }
  }
  return out;
}

}  // namespace zv
