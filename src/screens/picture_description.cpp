#include "picture_description.h"

#include "ui/controls.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace tarnwell {

PictureDescription::PictureDescription(QWidget *screen, int pictures, Kind kind)
{
    auto *grid = new QGridLayout;
    for (int i = 0; i < pictures; ++i) {
        const QByteArray number = i == 0 ? QByteArray() : QByteArray::number(i + 1);
        const QString caption =
            kind == Kind::Links
                ? QStringLiteral("Words for link %1, said for its picture").arg(i + 1)
            : i == 0 ? QStringLiteral("Describe the picture for someone who cannot see it")
                     : QStringLiteral("Describe the second picture in the same way");
        auto *label = wrappedLabel(screen, ("AltLabel" + number).constData(), caption);
        auto *field = named(new QLineEdit(screen), ("AltText" + number).constData());
        label->setBuddy(field);
        grid->addWidget(label, i, 0);
        grid->addWidget(field, i, 1);
        m_labels.append(label);
        m_fields.append(field);
    }
    m_layout = grid;
    if (kind == Kind::Links)
        return;
    m_decorative =
        named(new QCheckBox(QStringLiteral("Only decoration: nothing to describe"), screen),
              "Decorative");
    grid->addWidget(m_decorative, pictures, 0, 1, 2);
}

void PictureDescription::show(bool modern, int count)
{
    for (int i = 0; i < m_fields.size(); ++i) {
        m_labels.at(i)->setVisible(modern && i < count);
        m_fields.at(i)->setVisible(modern && i < count);
    }
    if (m_decorative)
        m_decorative->setVisible(modern);
}

void PictureDescription::clear()
{
    for (QLineEdit *field : m_fields)
        field->clear();
    if (m_decorative)
        m_decorative->setChecked(false);
}

bool PictureDescription::complete(int count) const
{
    if (m_decorative && m_decorative->isChecked())
        return true;
    for (int i = 0; i < count && i < m_fields.size(); ++i) {
        if (m_fields.at(i)->text().trimmed().isEmpty())
            return false;
    }
    return true;
}

QString PictureDescription::alt(int picture) const
{
    if ((m_decorative && m_decorative->isChecked()) || picture >= m_fields.size())
        return {};
    return m_fields.at(picture)->text().trimmed();
}

} // namespace tarnwell
