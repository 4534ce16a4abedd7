#pragma once

#include "element_screen.h"

class QRadioButton;

namespace tarnwell {

// A horizontal rule across all, three quarters or half of the page.
class RulerScreen final : public ElementScreen
{
    Q_OBJECT

public:
    explicit RulerScreen(Workspace &workspace, QWidget *parent = nullptr);

    void open();

private:
    void addRule();

    QRadioButton *m_threeQuarters = nullptr;
    QRadioButton *m_half = nullptr;
};

} // namespace tarnwell
