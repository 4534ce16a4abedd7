#pragma once

#include "document/session.h"
#include "screens/start_screen.h"
#include "scripted_interaction.h"
#include "ui/workspace.h"

#include <memory>

namespace tarnwell::test {

// A running program with scripted dialogs, made afresh for each test.
struct Program
{
    Session session;
    ScriptedInteraction dialogs;
    int quitRequests = 0;
    Workspace workspace{session, dialogs, [this] { ++quitRequests; }};

    Program() { showStartScreens(workspace); }
};

} // namespace tarnwell::test
