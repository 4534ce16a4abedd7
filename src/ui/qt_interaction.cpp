#include "qt_interaction.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace tarnwell {

namespace {
// Shows a dialog until it is answered, then hands the keyboard back to the
// screen it belongs to: not every window manager does, and a keyboard user
// would be left with no window to type into.
int answered(QDialog &dialog, QWidget *parent)
{
    const int answer = dialog.exec();
    if (parent && parent->isVisible())
        parent->window()->activateWindow();
    return answer;
}
} // namespace

QString programTitle()
{
    return QStringLiteral("Tarnwell");
}

std::unique_ptr<QMessageBox> QtInteraction::makeMessageBox(QWidget *parent, const QString &text,
                                                           Icon icon, bool question)
{
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(programTitle());
    // Some messages break their lines with a lone CR, which a label ignores.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box->setText(shown);
    box->setTextFormat(Qt::PlainText);
    switch (icon) {
    case Icon::None:
        box->setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Information:
        box->setIcon(QMessageBox::Information);
        break;
    case Icon::Warning:
        box->setIcon(QMessageBox::Warning);
        break;
    case Icon::Critical:
        box->setIcon(QMessageBox::Critical);
        break;
    }
    if (question) {
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton(QMessageBox::Yes);
    } else {
        box->setStandardButtons(QMessageBox::Ok);
    }
    return box;
}

std::unique_ptr<QFileDialog> QtInteraction::makeOpenDialog(QWidget *parent,
                                                           const QString &presetName,
                                                           const QString &startFolder)
{
    auto dialog = std::make_unique<QFileDialog>(parent, QString(), startFolder);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    // A wildcard preset is the "show everything" of the old dialogs, not a name.
    if (!presetName.contains(QLatin1Char('*')))
        dialog->selectFile(presetName);
    return dialog;
}

std::unique_ptr<QFileDialog> QtInteraction::makeSaveDialog(QWidget *parent, const QString &title,
                                                           const QString &startFolder,
                                                           const QString &filter)
{
    auto dialog = std::make_unique<QFileDialog>(parent, title, startFolder);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(filter);
    // The program asks its own overwrite question.
    dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
    return dialog;
}

std::unique_ptr<QColorDialog> QtInteraction::makeColourDialog(QWidget *parent, qint32 current)
{
    auto dialog = std::make_unique<QColorDialog>(colourFromNumber(current), parent);
    dialog->setWindowTitle(QStringLiteral("Select a Colour"));
    return dialog;
}

void QtInteraction::showMessage(QWidget *parent, const QString &text, Icon icon)
{
    answered(*makeMessageBox(parent, text, icon, false), parent);
}

bool QtInteraction::askYesNo(QWidget *parent, const QString &text)
{
    return answered(*makeMessageBox(parent, text, Icon::None, true), parent) == QMessageBox::Yes;
}

bool QtInteraction::askYesNoCritical(QWidget *parent, const QString &text)
{
    auto box = makeMessageBox(parent, text, Icon::Critical, true);
    box->setDefaultButton(QMessageBox::No);
    return answered(*box, parent) == QMessageBox::Yes;
}

Interaction::SaveChoice QtInteraction::askToSave(QWidget *parent, const QString &text)
{
    auto box = makeMessageBox(parent, text, Icon::Warning, false);
    box->setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    // The desktop's own word for Discard varies; this one says what it does.
    box->button(QMessageBox::Discard)->setText(QStringLiteral("Don't Save"));
    box->setDefaultButton(QMessageBox::Save);
    box->setEscapeButton(QMessageBox::Cancel);
    switch (answered(*box, parent)) {
    case QMessageBox::Save:
        return SaveChoice::Save;
    case QMessageBox::Discard:
        return SaveChoice::DontSave;
    default:
        return SaveChoice::Cancel;
    }
}

void QtInteraction::showDetailedMessage(QWidget *parent, const QString &text,
                                        const QString &details, Icon icon)
{
    auto box = makeMessageBox(parent, text, icon, false);
    if (!details.isEmpty())
        box->setDetailedText(details);
    answered(*box, parent);
}

bool QtInteraction::offerAction(QWidget *parent, const QString &text, const QString &action)
{
    auto box = makeMessageBox(parent, text, Icon::Information, false);
    box->setStandardButtons(QMessageBox::Close);
    QPushButton *act = box->addButton(action, QMessageBox::AcceptRole);
    box->setDefaultButton(act);
    answered(*box, parent);
    return box->clickedButton() == act;
}

QString QtInteraction::chooseFileToOpen(QWidget *parent, const QString &presetName,
                                        const QString &startFolder)
{
    auto dialog = makeOpenDialog(parent, presetName, startFolder);
    if (answered(*dialog, parent) != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    return QDir::toNativeSeparators(dialog->selectedFiles().constFirst());
}

QString QtInteraction::chooseFileToSave(QWidget *parent, const QString &title,
                                        const QString &startFolder, const QString &filter)
{
    auto dialog = makeSaveDialog(parent, title, startFolder, filter);
    if (answered(*dialog, parent) != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    return QDir::toNativeSeparators(dialog->selectedFiles().constFirst());
}

std::optional<qint32> QtInteraction::chooseColour(QWidget *parent, qint32 current)
{
    auto dialog = makeColourDialog(parent, current);
    if (answered(*dialog, parent) != QDialog::Accepted)
        return std::nullopt;
    return numberFromColour(dialog->selectedColor());
}

} // namespace tarnwell
