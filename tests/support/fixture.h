#pragma once

#include "app/workspace.h"
#include "document/session.h"
#include "scripted_interaction.h"

#include <memory>

namespace tarnwell::test {

// A running program with scripted dialogs, made afresh for each test.
struct Program
{
    Session session;
    ScriptedInteraction dialogs;
    int quitRequests = 0;
    Workspace workspace{session, dialogs, [this] { ++quitRequests; }};

    Program() { workspace.startUp(); }
};

} // namespace tarnwell::test
