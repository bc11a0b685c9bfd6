#pragma once
// The console a command-line program runs in: its interrupts (Ctrl-C,
// SIGINT, SIGTERM), whether a stream is a terminal, and what a handler of
// an interrupt may do.

#include <cstddef>
#include <cstdio>

namespace stepdrive::sys {

// `handler` runs on each interrupt, as a signal handler: it may use only
// lock-free atomics, writeError and endNow.
void onInterrupt(void (*handler)());
// A write to a pipe nobody reads fails with an error instead of ending the
// program.
void failWritesToClosedPipes();
bool isTerminal(std::FILE* stream);
// Writes to standard error, even from an interrupt's handler; false when it
// could not.
bool writeError(const char* text, std::size_t size);
// Ends the program at once, with `status`.
[[noreturn]] void endNow(int status);
// The end of a command-line program whose work is done and whose output is
// written: the status for main to return, or, where the C runtime's exit is
// not safe after its threads, the end of the program here.
int programEnd(int status);

} // namespace stepdrive::sys
