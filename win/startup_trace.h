// Marks of the program's start, for profiling it: built only with the CMake option
// TEMPO_STARTUP_TRACE, which makes each mark note its step and the milliseconds since the process
// was created; the first time the program's queue is empty after the calendar showed (everything
// painted) the marks are written, one "milliseconds step" a line, to the file named by the
// environment variable TEMPO_STARTUP_TRACE. Without the option a mark is nothing.
#pragma once

#ifdef TEMPO_STARTUP_TRACE
namespace win {
void MarkStartup(const char* step);
// In the message loop before it waits: on the first empty queue, the mark "painted" and the file.
void MarkStartupIdle();
}  // namespace win
#define TEMPO_STARTUP_MARK(step) ::win::MarkStartup(step)
#define TEMPO_STARTUP_IDLE() ::win::MarkStartupIdle()
#else
#define TEMPO_STARTUP_MARK(step) static_cast<void>(0)
#define TEMPO_STARTUP_IDLE() static_cast<void>(0)
#endif
