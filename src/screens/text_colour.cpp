#include "text_colour.h"

#include "html/colour.h"
#include "ui/controls.h"
#include "ui/interaction.h"

namespace tarnwell {

bool TextColour::choose(Interaction &ui, QWidget *parent, QWidget *field)
{
    const std::optional<qint32> chosen = ui.chooseColour(parent, m_number);
    if (!chosen)
        return false;
    set(*chosen);
    setTextColour(field, m_number);
    return true;
}

void TextColour::set(qint32 number)
{
    m_number = number;
    m_digits = hexColourOf(number);
}

} // namespace tarnwell
