#pragma once

#include <QColor>
#include <QString>
#include <optional>

class QWidget;

namespace tarnwell {

// Every question, message and file or colour choice goes through here, so
// that tests can answer them without showing anything.
class Interaction
{
public:
    enum class Icon { None, Information, Warning, Critical };

    virtual ~Interaction() = default;

    // A message with an OK button.
    virtual void showMessage(QWidget *parent, const QString &text, Icon icon) = 0;

    // A question with Yes and No buttons and no icon; true for Yes.
    virtual bool askYesNo(QWidget *parent, const QString &text) = 0;

    // A question before something that lowers the user's guard, with Yes and
    // No, a critical icon, and No the default; true for Yes.
    virtual bool askYesNoCritical(QWidget *parent, const QString &text)
    {
        return askYesNo(parent, text);
    }

    enum class SaveChoice { Save, DontSave, Cancel };
    // A question about changes not yet saved, with Save, Don't Save and
    // Cancel and a warning icon; Escape is Cancel.
    virtual SaveChoice askToSave(QWidget *parent, const QString &text) = 0;

    // A message whose details (a server's own words) show under a button.
    virtual void showDetailedMessage(QWidget *parent, const QString &text, const QString &details,
                                     Icon icon)
    {
        showMessage(parent, text + QStringLiteral("\n\n") + details, icon);
    }

    // A message with a button that does something, and Close; true when the
    // user pressed that button.
    virtual bool offerAction(QWidget *parent, const QString &text, const QString &action)
    {
        Q_UNUSED(action);
        showMessage(parent, text, Icon::Information);
        return false;
    }

    // The full path of a file to open, or empty when the user cancels. With no
    // start folder the dialog opens where the user last was.
    virtual QString chooseFileToOpen(QWidget *parent, const QString &presetName,
                                     const QString &startFolder = {}) = 0;

    // The full path to save to, or empty when the user cancels. The program
    // asks its own question about overwriting.
    virtual QString chooseFileToSave(QWidget *parent, const QString &title,
                                     const QString &startFolder, const QString &filter) = 0;

    // A colour number (red in the low byte), or nothing when the user cancels.
    virtual std::optional<qint32> chooseColour(QWidget *parent, qint32 current) = 0;
};

inline QColor colourFromNumber(qint32 n)
{
    return QColor(n & 0xFF, (n >> 8) & 0xFF, (n >> 16) & 0xFF);
}

inline qint32 numberFromColour(const QColor &colour)
{
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

} // namespace tarnwell
