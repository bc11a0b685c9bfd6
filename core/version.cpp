#include "core/version.h"

namespace stepdrive {
const char* programVersion() {
    return STEPDRIVE_VERSION;
}
} // namespace stepdrive
