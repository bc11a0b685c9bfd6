#include "app/services.h"

#include "ui/message_box.h"

namespace stepdrive {

Services shippedServices(Messenger* messages) {
    Services s;
    s.ownPause = std::make_unique<BlockingPause>();
    s.heldInput = std::make_unique<HeldInput>(s.ownPause->gate());
    if (!messages)
        s.ownMessages = std::make_unique<MessageBoxMessenger>(&s.ownPause->gate());
    s.pause = s.ownPause.get();
    s.messages = messages ? messages : s.ownMessages.get();
    return s;
}

} // namespace stepdrive
