#pragma once

#include "ui/interaction.h"

#include <QList>
#include <QStringList>

namespace tarnwell::test {

// Answers every dialog from a script and records what was asked. A call that
// finds no scripted answer counts as unexpected and gets the cancel answer.
class ScriptedInteraction final : public Interaction
{
public:
    struct Message
    {
        QString text;
        Icon icon;
    };
    struct SaveRequest
    {
        QString title;
        QString startFolder;
        QString filter;
    };

    void showMessage(QWidget *parent, const QString &text, Icon icon) override;
    bool askYesNo(QWidget *parent, const QString &text) override;
    QString chooseFileToOpen(QWidget *parent, const QString &presetName) override;
    QString chooseFileToSave(QWidget *parent, const QString &title, const QString &startFolder,
                             const QString &filter) override;
    std::optional<qint32> chooseColour(QWidget *parent, qint32 current) override;

    // Scripted answers, used in order.
    QList<bool> yesNoAnswers;
    QStringList openAnswers;
    QStringList saveAnswers;
    QList<std::optional<qint32>> colourAnswers;

    // What was asked.
    QList<Message> messages;
    QStringList questions;
    QStringList openPresets;
    QList<SaveRequest> saveRequests;
    QList<qint32> colourStarts;
    QStringList unexpected;
};

} // namespace tarnwell::test
