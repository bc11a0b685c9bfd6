#pragma once
// The version every program of the project prints: the project's, from the
// build.

namespace stepdrive {
const char* programVersion();
} // namespace stepdrive
