#pragma once
// The program's text is ANSI (the system code page) in std::string. All
// conversions to and from UTF-16 and UTF-8 are here, each naming its page.
#include <windows.h>

#include <string>
#include <string_view>

namespace zv::win {

std::wstring ToWide(std::string_view text, UINT codePage);
std::string FromWide(std::wstring_view text, UINT codePage);

// Built-in texts are UTF-8 in the sources; the program shows and stores them
// in the ANSI code page (Shift-JIS under code page 932).
std::string Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);

// IsDBCSLeadByte of the ANSI code page, in the form the portable core takes.
bool IsAnsiLeadByte(unsigned char byte);

}  // namespace zv::win
