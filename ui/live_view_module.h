#pragma once
// The live view window lives in a module of its own, loaded the first time
// it is opened, so that the program neither loads Qt Charts nor spends
// anything on it before. This is all the program and the module share.

#include "core/live_sample.h"

#include <QtPlugin>
#include <functional>

class QWidget;

namespace stepdrive {

// What the window's controls ask of the program.
struct LiveViewActions {
    std::function<void(int ms)> intervalChosen;
    std::function<void()> stopMotor; // its button, and Escape
    std::function<void()> recordPressed;
    std::function<void()> closed; // its close box
};

class LiveViewWindow {
public:
    virtual ~LiveViewWindow() = default;
    virtual QWidget* widget() = 0;
    // The interval chosen, in ms (100 at first).
    virtual int interval() const = 0;
    virtual void showSample(const LiveSample& sample) = 0;
    virtual void showState(LiveState state) = 0;
    virtual void showRecording(bool recording) = 0;
};

class LiveViewModule {
public:
    virtual ~LiveViewModule() = default;
    // A new window, hidden; the caller owns it.
    virtual LiveViewWindow* create(LiveViewActions actions) = 0;
};

} // namespace stepdrive

#define STEPDRIVE_LIVE_VIEW_IID "stepdrive.LiveViewModule/1"
Q_DECLARE_INTERFACE(stepdrive::LiveViewModule, STEPDRIVE_LIVE_VIEW_IID)
