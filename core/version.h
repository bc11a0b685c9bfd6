#pragma once
// What every program of the project prints for --version: its name, the
// project's version from the build, and the licence line under them.

#include <string>

namespace stepdrive {
std::string versionText(const char* program);
} // namespace stepdrive
