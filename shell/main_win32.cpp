// Tempoline.exe: the entry of the Windows program.
#include <windows.h>

#include "shell/program_win32.h"
#include "text/wide.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return shell::RunProgram(text::WideToGbk(GetCommandLineW())); }
