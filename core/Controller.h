#pragma once

#include "core/Context.h"

// Base of the subsystem controllers: each reaches the shared state, the
// prompter, the window's controls and the other controllers through it.
class Controller
{
public:
    explicit Controller(const Context& context)
        : state(context.state), prompter(context.prompter), ui(context.ui), peers(context.peers) {}
    virtual ~Controller() = default;

    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

protected:
    State& state;
    Prompter& prompter;
    Controls& ui;
    Peers& peers;
};
