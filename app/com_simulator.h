#pragma once
// --simulator: COM4 is a driver simulator, stepdrive-sim from beside the
// program, on a free TCP port of this machine, for as long as the program
// runs.

#include <QProcess>
#include <QString>

namespace stepdrive {

class Messenger;

class ComSimulator {
public:
    ComSimulator() = default;
    // Ends the simulator.
    ~ComSimulator();
    ComSimulator(const ComSimulator&) = delete;
    ComSimulator& operator=(const ComSimulator&) = delete;

    // Starts stepdrive-sim from the program's `folder` (or, in the build
    // tree, from the folder of its own beside it) and makes COM4 its address
    // (STEPDRIVE_COM4) before any window reads port names; false, with the
    // reason said through `messages`, when it does not start.
    bool startAsCom4(const QString& folder, Messenger& messages);

private:
    QProcess process_;
};

} // namespace stepdrive
