#pragma once

#include "advice_screen.h"

namespace tarnwell {

// What the program makes, which files it needs, and how to name files.
class StartAdviceScreen final : public AdviceScreen
{
    Q_OBJECT

public:
    explicit StartAdviceScreen(Workspace &workspace, QWidget *parent = nullptr);

protected:
    // The close box is "Back".
    void closeEvent(QCloseEvent *event) override;

private:
    void back();
};

} // namespace tarnwell
