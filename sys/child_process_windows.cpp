#include "sys/child_process.h"

#include <QProcess>
#include <windows.h>

namespace stepdrive::sys {

namespace {
// One job for all such programs; the system closes its handle when this
// program ends, however it ends, and then ends every program in it.
HANDLE endingJob() {
    static const HANDLE job = [] {
        const HANDLE made = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (made)
            SetInformationJobObject(made, JobObjectExtendedLimitInformation, &limits,
                                    sizeof limits);
        return made;
    }();
    return job;
}
} // namespace

void endWithThisProgram(QProcess& process) {
    QObject::connect(&process, &QProcess::started, &process, [&process] {
        const HANDLE job = endingJob();
        const HANDLE child = OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE,
                                         static_cast<DWORD>(process.processId()));
        if (job && child)
            AssignProcessToJobObject(job, child);
        if (child)
            CloseHandle(child);
    });
}

} // namespace stepdrive::sys
