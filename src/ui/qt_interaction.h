#pragma once

#include "interaction.h"

#include <memory>

class QColorDialog;
class QFileDialog;
class QMessageBox;

namespace tarnwell {

// The dialogs the user sees. The factory functions build each dialog ready to
// show, so that its title, icon and options can be checked without showing it.
class QtInteraction final : public Interaction
{
public:
    void showMessage(QWidget *parent, const QString &text, Icon icon) override;
    bool askYesNo(QWidget *parent, const QString &text) override;
    bool askYesNoCritical(QWidget *parent, const QString &text) override;
    SaveChoice askToSave(QWidget *parent, const QString &text) override;
    void showDetailedMessage(QWidget *parent, const QString &text, const QString &details,
                             Icon icon) override;
    bool offerAction(QWidget *parent, const QString &text, const QString &action) override;
    QString chooseFileToOpen(QWidget *parent, const QString &presetName,
                             const QString &startFolder = {}) override;
    QString chooseFileToSave(QWidget *parent, const QString &title, const QString &startFolder,
                             const QString &filter) override;
    std::optional<qint32> chooseColour(QWidget *parent, qint32 current) override;

    static std::unique_ptr<QMessageBox> makeMessageBox(QWidget *parent, const QString &text,
                                                       Icon icon, bool question);
    static std::unique_ptr<QFileDialog> makeOpenDialog(QWidget *parent, const QString &presetName,
                                                       const QString &startFolder = {});
    static std::unique_ptr<QFileDialog> makeSaveDialog(QWidget *parent, const QString &title,
                                                       const QString &startFolder,
                                                       const QString &filter);
    static std::unique_ptr<QColorDialog> makeColourDialog(QWidget *parent, qint32 current);
};

// The title of every message box.
QString programTitle();

} // namespace tarnwell
