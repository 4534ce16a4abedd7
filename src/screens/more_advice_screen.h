#pragma once

#include "advice_screen.h"

namespace tarnwell {

// The second page of editing advice: saving, backgrounds, indents, widths.
class MoreAdviceScreen final : public AdviceScreen
{
    Q_OBJECT

public:
    explicit MoreAdviceScreen(Workspace &workspace, QWidget *parent = nullptr);

protected:
    // The close box is "Back".
    void closeEvent(QCloseEvent *event) override;

private:
    void back();
};

} // namespace tarnwell
