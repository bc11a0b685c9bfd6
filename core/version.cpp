#include "core/version.h"

namespace stepdrive {
std::string versionText(const char* program) {
    return std::string(program) + ' ' + STEPDRIVE_VERSION +
           "\nLicense GPL-3.0-or-later: GNU GPL version 3 or later "
           "<https://gnu.org/licenses/gpl.html>\n";
}
} // namespace stepdrive
