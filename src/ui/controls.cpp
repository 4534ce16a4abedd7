#include "controls.h"

#include "document/page_body.h"
#include "interaction.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
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

namespace {
void collectInLayoutOrder(QLayout *layout, QList<QWidget *> &widgets);

void collectWidget(QWidget *widget, QList<QWidget *> &widgets)
{
    // A widget that hands its focus to a part of it (a web view) is one
    // stop or none, whatever its insides hold at this moment.
    if (widget->focusProxy()) {
        if (widget->focusPolicy() & Qt::TabFocus)
            widgets << widget;
        return;
    }
    if (auto *splitter = qobject_cast<QSplitter *>(widget)) {
        for (int index = 0; index < splitter->count(); ++index)
            collectWidget(splitter->widget(index), widgets);
    } else if (widget->layout())
        collectInLayoutOrder(widget->layout(), widgets);
    else if (widget->focusPolicy() & Qt::TabFocus)
        widgets << widget;
}

void collectItem(QLayoutItem *item, QList<QWidget *> &widgets)
{
    if (QWidget *widget = item->widget())
        collectWidget(widget, widgets);
    else if (QLayout *inner = item->layout())
        collectInLayoutOrder(inner, widgets);
}

void collectInLayoutOrder(QLayout *layout, QList<QWidget *> &widgets)
{
    if (auto *grid = qobject_cast<QGridLayout *>(layout)) {
        // Row by row, each row left to right.
        for (int row = 0; row < grid->rowCount(); ++row) {
            for (int column = 0; column < grid->columnCount(); ++column) {
                QLayoutItem *item = grid->itemAtPosition(row, column);
                int index = item ? grid->indexOf(item) : -1;
                int top = 0, left = 0, rows = 0, columns = 0;
                if (index >= 0)
                    grid->getItemPosition(index, &top, &left, &rows, &columns);
                // A spanning item is taken once, at its top left cell.
                if (item && top == row && left == column)
                    collectItem(item, widgets);
            }
        }
        return;
    }
    for (int index = 0; index < layout->count(); ++index)
        collectItem(layout->itemAt(index), widgets);
}
} // namespace

void tabInLayoutOrder(QWidget *screen)
{
    QList<QWidget *> widgets;
    if (screen->layout())
        collectInLayoutOrder(screen->layout(), widgets);
    for (qsizetype k = 1; k < widgets.size(); ++k)
        QWidget::setTabOrder(widgets.at(k - 1), widgets.at(k));
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
