#include "sys/console.h"

#include <cstdlib>
#include <io.h>
#include <windows.h>

namespace stepdrive::sys {

namespace {
void (*interruptHandler)() = nullptr;

// Ctrl-C, Ctrl-Break and the console closing are each an interrupt.
BOOL WINAPI onControl(DWORD event) {
    if (!interruptHandler ||
        (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT))
        return FALSE;
    interruptHandler();
    return TRUE;
}
} // namespace

void onInterrupt(void (*handler)()) {
    interruptHandler = handler;
    SetConsoleCtrlHandler(onControl, TRUE);
}

// A write to a pipe nobody reads fails with an error here anyway.
void failWritesToClosedPipes() {}

bool isTerminal(std::FILE* stream) {
    return _isatty(_fileno(stream)) != 0;
}

bool writeError(const char* text, std::size_t size) {
    return _write(2, text, static_cast<unsigned>(size)) == static_cast<int>(size);
}

void endNow(int status) {
    _exit(status);
}

// After two lines' threads have ended, the runtime's exit can wait for ever
// on the thread-storage lock of MinGW's threads library (seen under Wine
// with a COM port and a network port): the program ends without it.
int programEnd(int status) {
    std::fflush(nullptr);
    _exit(status);
}

} // namespace stepdrive::sys
