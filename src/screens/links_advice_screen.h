#pragma once

#include "advice_screen.h"

namespace tarnwell {

// About MouseOver buttons and naming links. Made afresh each time it is
// opened; closing it destroys it.
class LinksAdviceScreen final : public AdviceScreen
{
    Q_OBJECT

public:
    explicit LinksAdviceScreen(Workspace &workspace, QWidget *parent = nullptr);

    // A new screen of its own, in front of the others.
    static LinksAdviceScreen *open(Workspace &workspace);
};

} // namespace tarnwell
