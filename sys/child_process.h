#pragma once
// A program started by this one that must not outlive it, even when this
// one is killed: the system ends it then.

class QProcess;

namespace stepdrive::sys {

// Called before `process` starts.
void endWithThisProgram(QProcess& process);

} // namespace stepdrive::sys
