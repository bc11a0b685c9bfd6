#pragma once
// The services every window shares: the pause between frames, the
// operator's input held while it runs, and the messenger. The shipped
// program owns them; the tests lend their own.

#include "link/pause.h"
#include "ui/held_input.h"
#include "ui/messenger.h"

#include <memory>

namespace stepdrive {

struct Services {
    std::unique_ptr<Pause> ownPause;
    std::unique_ptr<HeldInput> heldInput;
    std::unique_ptr<Messenger> ownMessages;
    Pause* pause;
    Messenger* messages;
};

// The blocking pause with the input held, and message boxes unless
// `messages` (not owned) is given.
Services shippedServices(Messenger* messages);

} // namespace stepdrive
