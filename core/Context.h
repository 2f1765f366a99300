#pragma once

#include "core/Controls.h"
#include "core/Peers.h"
#include "core/Prompter.h"
#include "core/State.h"

// What every controller works with.
struct Context
{
    State& state;
    Prompter& prompter;
    Controls& ui;
    Peers& peers;
};
