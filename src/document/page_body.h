#pragma once

#include <QString>
#include <memory>

class QTextDocument;

namespace tarnwell {

// The HTML text of the page being made. It lives in a text document that the
// Selection screen's field shows and edits directly, so appending touches only
// the end of the text however long the page grows. Line ends are CR LF in the
// text this class hands out; inside the document each line is a block.
class PageBody final
{
public:
    PageBody();
    ~PageBody();
    PageBody(const PageBody &) = delete;
    PageBody &operator=(const PageBody &) = delete;

    QTextDocument *document() const { return m_document.get(); }

    void append(const QString &fragment);
    void replace(const QString &text);
    void clear();

    QString text() const;
    bool isEmpty() const;

private:
    std::unique_ptr<QTextDocument> m_document;
};

// A text document's text with every line break as CR LF, characters kept as
// they are (no-break spaces stay).
QString documentText(const QTextDocument &document);
// A document's raw text with every line break as CR LF.
QString withLineEnds(const QString &text);

} // namespace tarnwell
