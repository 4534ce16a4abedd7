#pragma once

#include "advice_screen.h"

namespace tarnwell {

// How to edit the page's code by hand without breaking it.
class HtmlEditingScreen final : public AdviceScreen
{
    Q_OBJECT

public:
    explicit HtmlEditingScreen(Workspace &workspace, QWidget *parent = nullptr);

protected:
    // The close box is "Back".
    void closeEvent(QCloseEvent *event) override;

private:
    void back();
    void more();
};

} // namespace tarnwell
