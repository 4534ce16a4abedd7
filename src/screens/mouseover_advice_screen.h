#pragma once

#include "advice_screen.h"

namespace tarnwell {

// About MouseOver pictures and preparing their two images. Made afresh each
// time it is opened; closing it destroys it.
class MouseOverAdviceScreen final : public AdviceScreen
{
    Q_OBJECT

public:
    explicit MouseOverAdviceScreen(Workspace &workspace, QWidget *parent = nullptr);

    // A new screen of its own, in front of the others.
    static MouseOverAdviceScreen *open(Workspace &workspace);
};

} // namespace tarnwell
