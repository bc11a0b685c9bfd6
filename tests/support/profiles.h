#pragma once
// Profiles for stepdrive-cli: a sample, and files that hold what a test
// writes for as long as the test runs.

#include <QTemporaryFile>
#include <memory>
#include <vector>

namespace stepdrive::test {

// A profile of non-default values in every section, negative positions and
// the ends of the fields among them, the IN2-use flag with it.
inline const char kNonDefaultProfile[] = R"({
  "motor": {"run_current": 25, "stop_current": 6, "run_speed": 1200, "acceleration": 40,
            "homing_speed": 700, "home_offset": -5000, "resolution": 4},
  "table": [{"position": -50000, "velocity": 1500, "acceleration": 20},
            {"position": 123456, "velocity": 2000, "acceleration": 5},
            {"position": -1, "velocity": 1, "acceleration": 0},
            {"position": 8388607, "velocity": 32767, "acceleration": 2047},
            {"position": -8388608, "velocity": -1, "acceleration": 1},
            {"position": 0, "velocity": 800, "acceleration": 10},
            {"position": 7777, "velocity": 300, "acceleration": 3}],
  "belt": {"acceleration": 11, "speed": 900, "deceleration": 12, "final_speed": 65535,
           "in2_used": true}
})";

class TempFiles {
public:
    // A new file holding `contents`; no path when it could not be made.
    QString with(const QByteArray& contents) {
        files_.push_back(std::make_unique<QTemporaryFile>());
        if (!files_.back()->open())
            return {};
        files_.back()->write(contents);
        files_.back()->flush();
        return files_.back()->fileName();
    }

private:
    std::vector<std::unique_ptr<QTemporaryFile>> files_;
};

} // namespace stepdrive::test
