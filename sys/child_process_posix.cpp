#include "sys/child_process.h"

#include <QProcess>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace stepdrive::sys {

void endWithThisProgram(QProcess& process) {
    const pid_t parent = getpid();
    process.setChildProcessModifier([parent] {
        // In the child, between fork and exec: ended when the parent goes,
        // and at once when it went before this was said.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(1);
    });
}

} // namespace stepdrive::sys
