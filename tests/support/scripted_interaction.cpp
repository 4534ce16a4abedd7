#include "scripted_interaction.h"

namespace tarnwell::test {

void ScriptedInteraction::showMessage(QWidget *, const QString &text, Icon icon)
{
    messages.append({text, icon});
}

bool ScriptedInteraction::askYesNo(QWidget *, const QString &text)
{
    questions.append(text);
    if (yesNoAnswers.isEmpty()) {
        unexpected.append(QStringLiteral("question: ") + text);
        return false;
    }
    return yesNoAnswers.takeFirst();
}

QString ScriptedInteraction::chooseFileToOpen(QWidget *, const QString &presetName)
{
    openPresets.append(presetName);
    if (openAnswers.isEmpty()) {
        unexpected.append(QStringLiteral("open dialog"));
        return {};
    }
    return openAnswers.takeFirst();
}

QString ScriptedInteraction::chooseFileToSave(QWidget *, const QString &title,
                                              const QString &startFolder, const QString &filter)
{
    saveRequests.append({title, startFolder, filter});
    if (saveAnswers.isEmpty()) {
        unexpected.append(QStringLiteral("save dialog"));
        return {};
    }
    return saveAnswers.takeFirst();
}

std::optional<qint32> ScriptedInteraction::chooseColour(QWidget *, qint32 current)
{
    colourStarts.append(current);
    if (colourAnswers.isEmpty()) {
        unexpected.append(QStringLiteral("colour dialog"));
        return std::nullopt;
    }
    return colourAnswers.takeFirst();
}

} // namespace tarnwell::test
