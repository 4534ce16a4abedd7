#pragma once

#include <QString>

class QWidget;

namespace tarnwell {

class Interaction;

// What a text-colour button keeps: the colour number the dialog starts from
// and the six hex digits the page gets.
class TextColour final
{
public:
    explicit TextColour(qint32 number) { set(number); }

    // Shows the colour dialog; a chosen colour is kept and field shows its
    // text in it. Cancelling keeps the colour as it was.
    bool choose(Interaction &ui, QWidget *parent, QWidget *field);

    void set(qint32 number);

    qint32 number() const { return m_number; }
    QString digits() const { return m_digits; }
    QString html() const { return QLatin1Char('#') + m_digits; }

private:
    qint32 m_number = 0;
    QString m_digits;
};

} // namespace tarnwell
