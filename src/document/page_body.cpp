#include "page_body.h"

#include "html/text.h"

#include <QTextCursor>
#include <QTextDocument>

namespace tarnwell {

PageBody::PageBody() : m_document(std::make_unique<QTextDocument>()) {}

PageBody::~PageBody() = default;

void PageBody::append(const QString &fragment)
{
    if (fragment.isEmpty())
        return;
    QTextCursor cursor(m_document.get());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(fragment);
}

void PageBody::replace(const QString &text)
{
    m_document->setPlainText(text);
}

void PageBody::clear()
{
    m_document->clear();
}

QString PageBody::text() const
{
    return documentText(*m_document);
}

bool PageBody::isEmpty() const
{
    return m_document->isEmpty();
}

QString documentText(const QTextDocument &document)
{
    return withLineEnds(document.toRawText());
}

QString withLineEnds(const QString &text)
{
    // Blocks are separated by U+2029; a soft line break typed with Shift+Enter
    // is U+2028. Both are line breaks to the user.
    if (!text.contains(QChar::ParagraphSeparator) && !text.contains(QChar::LineSeparator))
        return text;
    QString out;
    out.reserve(text.size() + text.size() / 16);
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            out += QStringView(text).sliced(start, i - start);
            out += CRLF;
            start = i + 1;
        }
    }
    out += QStringView(text).sliced(start);
    return out;
}

} // namespace tarnwell
