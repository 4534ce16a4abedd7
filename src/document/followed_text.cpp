#include "followed_text.h"

#include <QTextCursor>
#include <QTextDocument>

namespace tarnwell {

namespace {

// Replaces a stretch of a text held in pieces. Only the pieces it touches
// are rebuilt, cut into even pieces of at most kTextPiece characters.
void replaceInPieces(QList<QString> &pieces, qsizetype position, qsizetype removed,
                     QStringView added)
{
    qsizetype first = 0, firstAt = 0;
    while (first < pieces.size() && firstAt + pieces[first].size() < position)
        firstAt += pieces[first++].size();
    qsizetype last = first, lastAt = firstAt;
    while (last < pieces.size() - 1 && lastAt + pieces[last].size() < position + removed)
        lastAt += pieces[last++].size();
    QString middle;
    if (first < pieces.size()) {
        middle.append(QStringView(pieces[first]).left(position - firstAt));
        middle.append(added);
        middle.append(QStringView(pieces[last]).mid(position + removed - lastAt));
        pieces.remove(first, last - first + 1);
    } else {
        middle = added.toString();
    }
    const qsizetype count = (middle.size() + kTextPiece - 1) / kTextPiece;
    for (qsizetype k = 0; k < count; ++k) {
        const qsizetype from = middle.size() * k / count;
        pieces.insert(first + k, middle.mid(from, middle.size() * (k + 1) / count - from));
    }
}

} // namespace

FollowedText::FollowedText(QTextDocument *document, QObject *parent)
    : QObject(parent), m_document(document)
{
    takeAll();
    connect(document, &QTextDocument::contentsChange, this, &FollowedText::follow);
    connect(document, &QTextDocument::contentsChanged, this, &FollowedText::settle);
}

void FollowedText::follow(int position, int removed, int added)
{
    // The counts may take in the document's closing separator, which the
    // text leaves out. Only a document with a layout reports every change.
    const int length = m_document->characterCount() - 1;
    removed = qMin(removed, int(m_length) - position);
    added = qMin(added, length - position);
    m_followed =
        position >= 0 && removed >= 0 && added >= 0 && m_length - removed + added == length;
    if (!m_followed)
        return;
    take(position, removed, added);
    m_length = length;
}

void FollowedText::take(int position, int removed, int added)
{
    // A piece at a time, so that not even a long page loaded at once is ever
    // copied whole.
    QTextCursor cursor(m_document);
    for (int at = position;; at += kTextPiece) {
        const int end = qMin(at + int(kTextPiece), position + added);
        cursor.setPosition(at);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        replaceInPieces(m_text, at, at == position ? removed : 0, cursor.selectedText());
        if (end == position + added)
            return;
    }
}

void FollowedText::takeAll()
{
    m_text.clear();
    m_length = 0;
    const int length = m_document->characterCount() - 1;
    take(0, 0, length);
    m_length = length;
}

void FollowedText::settle()
{
    if (!m_followed || m_length != m_document->characterCount() - 1)
        takeAll();
    m_followed = false;
    emit changed();
}

QString joinedText(const QList<QString> &pieces)
{
    qsizetype length = 0;
    for (const QString &piece : pieces)
        length += piece.size();
    QString text;
    text.reserve(length);
    for (const QString &piece : pieces)
        text += piece;
    return text;
}

} // namespace tarnwell
