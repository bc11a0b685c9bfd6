// The live view as a module the program loads on first use.

#include "liveview/live_view_window.h"

#include <QObject>

namespace stepdrive {

class LiveViewPlugin : public QObject, public LiveViewModule {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID STEPDRIVE_LIVE_VIEW_IID)
    Q_INTERFACES(stepdrive::LiveViewModule)
public:
    LiveViewWindow* create(LiveViewActions actions) override {
        return new LiveViewWindowWidget(std::move(actions));
    }
};

} // namespace stepdrive

#include "module.moc"
