#include "controls.h"

#include "document/page_body.h"
#include "interaction.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarnwell {

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    return named(new QPushButton(caption, parent), name);
}

QRadioButton *makeOption(QWidget *parent, const char *name, const QString &caption)
{
    return named(new QRadioButton(caption, parent), name);
}

QGroupBox *optionGroup(QWidget *parent, const QString &caption,
                       std::initializer_list<QRadioButton *> options)
{
    auto *group = new QGroupBox(caption, parent);
    auto *layout = new QVBoxLayout(group);
    for (QRadioButton *option : options) {
        option->setParent(group);
        layout->addWidget(option);
    }
    return group;
}

QLabel *wrappedLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *label = named(new QLabel(text, parent), name);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel *samplePicture(QWidget *parent, const char *name, const QString &text, int width, int height)
{
    auto *picture = named(new QLabel(text, parent), name);
    picture->setFixedSize(width, height);
    picture->setAlignment(Qt::AlignCenter);
    picture->setWordWrap(true);
    picture->setFrameShape(QFrame::Box);
    picture->setStyleSheet(QStringLiteral("background-color: #dfe8f0;"));
    return picture;
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
