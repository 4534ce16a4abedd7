#pragma once

#include <QWidget>

namespace tarnwell {

class Workspace;

// A plain light grey window behind all the others, for the life of the program.
class BackdropScreen final : public QWidget
{
    Q_OBJECT

public:
    explicit BackdropScreen(Workspace &workspace, QWidget *parent = nullptr);

protected:
    void closeEvent(QCloseEvent *event) override;
};

} // namespace tarnwell
