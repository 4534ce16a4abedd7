#pragma once

#include "document/page_check.h"

#include <QWidget>

class QPushButton;
class QTreeWidget;

namespace tarnwell {

class Workspace;

// Lists what would go wrong with the page on the web, and mends what can be
// mended safely, one problem at a time, when the user asks.
class CheckPageScreen final : public QWidget
{
    Q_OBJECT

public:
    explicit CheckPageScreen(Workspace &workspace, QWidget *parent = nullptr);

    // Checks the page as it stands now and shows what was found.
    void open();

private:
    void check();
    void fix();
    void offerFix();

    Workspace &m_workspace;
    QTreeWidget *m_findings = nullptr;
    QPushButton *m_fix = nullptr;
    QList<PageFinding> m_found;
};

} // namespace tarnwell
