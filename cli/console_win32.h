// The Windows edges of tempo.exe: its arguments and its output in UTF-8, whatever the code page.
#pragma once

#include <string>
#include <vector>

namespace cli {

// The arguments of the process in UTF-8, converted from the UTF-16 command line that Windows
// keeps, so that 结婚 or 北京 reach the commands whatever the code page (on a Chinese Windows the
// narrow arguments would be GBK, elsewhere "??").
std::vector<std::string> Utf8Arguments(int argc, wchar_t** argv);

// Standard output and standard error write UTF-8: to a console as UTF-16 (WriteConsoleW), which
// shows Chinese on any code page and leaves the console's code page as it was; to a pipe or a file
// as the UTF-8 bytes themselves.
void UseUnicodeConsole();

}  // namespace cli
