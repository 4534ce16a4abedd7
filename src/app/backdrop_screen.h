#pragma once

#include <QWidget>

namespace tarnwell {

// A plain light grey window behind all the others, for the life of the program.
class BackdropScreen final : public QWidget
{
    Q_OBJECT

public:
    explicit BackdropScreen(QWidget *parent = nullptr);

protected:
    void closeEvent(QCloseEvent *event) override;
};

} // namespace tarnwell
