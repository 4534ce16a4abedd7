#pragma once

#include <QString>

class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace tarnwell {

// Gives a control the name that code and tests find it by.
template <class T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption);
QRadioButton *makeOption(QWidget *parent, const char *name, const QString &caption);

// What the user typed, exactly, with each line break as CR LF.
QString typedText(const QPlainTextEdit *edit);

// Shows a field's text in a colour given as a colour number.
void setTextColour(QWidget *field, qint32 colourNumber);

} // namespace tarnwell
