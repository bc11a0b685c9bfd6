#pragma once
// What a command that writes or verifies found: the values the driver holds
// compared with those written or in the file.

#include "cli/result.h"
#include "core/profile.h"

#include <QString>
#include <optional>
#include <vector>

class QTextStream;

namespace stepdrive::cli {

class Session;

// Compares what was written, or what the file `verified` holds, with what
// the driver holds; gives what it holds, or the differences (exit 3).
int compare(Result& result, QTextStream& err, const std::vector<Item>& wanted,
            const std::vector<Item>& held, std::optional<bool> in2Used,
            const QString& verified = {});

// Notes what a command writes (or, with `writes` false, verifies), so that
// a failure can say what reached the drive.
void expect(Session& session, std::vector<Item> wanted, bool writes,
            std::optional<bool> in2Used = std::nullopt);

// Writes a profile, reads it back and compares.
int writeAndVerify(Session& session, Result& result, QTextStream& err, const Profile& wanted);

} // namespace stepdrive::cli
