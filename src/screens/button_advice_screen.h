#pragma once

#include "advice_screen.h"

namespace tarnwell {

// Before picture-button links: have the button files ready, with short names.
class ButtonAdviceScreen final : public AdviceScreen
{
    Q_OBJECT

public:
    explicit ButtonAdviceScreen(Workspace &workspace, QWidget *parent = nullptr);

protected:
    // The close box is "Back".
    void closeEvent(QCloseEvent *event) override;

private:
    void proceed();
    void back();
};

} // namespace tarnwell
