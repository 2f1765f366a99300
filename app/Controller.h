#pragma once

#include "app/Controls.h"
#include "app/State.h"
#include "dialogs/Prompter.h"

// What every subsystem controller works with: the shared state, the main
// window's controls and the one way to show messages.
class Controller
{
public:
    Controller(State& state, Prompter& prompter, Controls& controls)
        : state(state), prompter(prompter), ui(controls) {}
    virtual ~Controller() = default;

    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

protected:
    State& state;
    Prompter& prompter;
    Controls& ui;
};
