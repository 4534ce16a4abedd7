#pragma once

#include <QList>
#include <QString>

class QCheckBox;
class QLabel;
class QLayout;
class QLineEdit;
class QWidget;

namespace tarnwell {

// What a modern page says of a screen's pictures to someone who cannot see
// them: a description for each (AltText, AltText2...) or, for the lot, that
// they are only decoration. Pictures that are links get the link's words
// instead, and no decoration: a link needs words.
class PictureDescription final
{
public:
    enum class Kind { Pictures, Links };
    PictureDescription(QWidget *screen, int pictures, Kind kind = Kind::Pictures);

    QLayout *layout() const { return m_layout; }
    bool forLinks() const { return !m_decorative; }

    // Shown in a modern page only; the first count fields of those there are.
    void show(bool modern, int count);
    void clear();

    // A description for each of the first count pictures, or decoration.
    bool complete(int count) const;
    // The picture's alt text: empty for decoration.
    QString alt(int picture) const;

private:
    QLayout *m_layout = nullptr;
    QList<QLabel *> m_labels;
    QList<QLineEdit *> m_fields;
    QCheckBox *m_decorative = nullptr; // none for links
};

} // namespace tarnwell
