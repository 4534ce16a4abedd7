#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QTextDocument;

namespace tarnwell {

// How long one piece of a followed text is, in characters.
inline constexpr qsizetype kTextPiece = 32 * 1024;

// A copy of a text document's raw text (blocks parted by U+2029) that follows
// each change, held in pieces that an edit copies one at a time. Taking the
// text then costs next to nothing however long the page: a worker thread can
// share the pieces as they were while the user goes on typing (taking the
// whole text of a 10 MB page held the user-interface thread 8 to 20 ms).
class FollowedText final : public QObject
{
    Q_OBJECT

public:
    explicit FollowedText(QTextDocument *document, QObject *parent = nullptr);

    QList<QString> pieces() const { return m_text; }
    qsizetype length() const { return m_length; }

signals:
    // The copy has taken a change of the document.
    void changed();

private:
    void follow(int position, int removed, int added);
    void take(int position, int removed, int added);
    void takeAll();
    void settle();

    QTextDocument *m_document;
    QList<QString> m_text;
    qsizetype m_length = 0;
    bool m_followed = false;
};

// The pieces as one text, line breaks as the document holds them.
QString joinedText(const QList<QString> &pieces);

} // namespace tarnwell
