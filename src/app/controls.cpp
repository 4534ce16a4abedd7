#include "controls.h"

#include "document/page_body.h"
#include "interaction.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace tarnwell {

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    return named(new QPushButton(caption, parent), name);
}

QRadioButton *makeOption(QWidget *parent, const char *name, const QString &caption)
{
    return named(new QRadioButton(caption, parent), name);
}

QString typedText(const QPlainTextEdit *edit)
{
    return documentText(*edit->document());
}

void setTextColour(QWidget *field, qint32 colourNumber)
{
    QPalette palette = field->palette();
    palette.setColor(QPalette::Text, colourFromNumber(colourNumber));
    field->setPalette(palette);
}

} // namespace tarnwell
