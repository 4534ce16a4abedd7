#pragma once

// The addresses an HTML5 parser that shares no code with Tarnwell's page reader
// (gumbo) finds in a page, set against what that reader finds. Used by the
// page check's tests and its fuzz target only; the page reader uses no gumbo.

#include "document/page_references.h"

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <gumbo.h>
#include <vector>

namespace tarnwell::test {

struct OracleAttribute
{
    qsizetype end; // where the value's text ends in the page, after any quote
    QString name;
    QString value;
};

// Gumbo reads UTF-8; the page reader reads the text document's characters,
// which stand for line breaks with U+2028 and U+2029. The page must be valid
// UTF-16.
inline QList<OracleAttribute> gumboAddresses(const QString &page)
{
    QString text = page;
    text.replace(QChar(0x2028), u'\n').replace(QChar(0x2029), u'\n');
    const QByteArray bytes = text.toUtf8();
    std::vector<qsizetype> at; // the page's index of each byte
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A surrogate pair takes four bytes, all of them at its first half.
        const char16_t c = text[i].unicode();
        const int size = c < 0x80                    ? 1
                         : c < 0x800                 ? 2
                         : QChar::isLowSurrogate(c)  ? 0
                         : QChar::isHighSurrogate(c) ? 4
                                                     : 3;
        at.insert(at.end(), size_t(size), i);
    }
    at.push_back(page.size());

    QList<OracleAttribute> found;
    GumboOutput *output =
        gumbo_parse_with_options(&kGumboDefaultOptions, bytes.constData(), size_t(bytes.size()));
    std::vector<const GumboNode *> stack{output->root};
    while (!stack.empty()) {
        const GumboNode *node = stack.back();
        stack.pop_back();
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE)
            continue;
        const GumboElement &element = node->v.element;
        for (unsigned k = element.children.length; k-- > 0;)
            stack.push_back(static_cast<const GumboNode *>(element.children.data[k]));
        if (element.tag_namespace != GUMBO_NAMESPACE_HTML)
            continue;
        for (unsigned k = 0; k < element.attributes.length; ++k) {
            const auto *attribute = static_cast<const GumboAttribute *>(element.attributes.data[k]);
            const QString name = QString::fromUtf8(attribute->name);
            // A META's name, for the viewport line; it has no place.
            if (element.tag == GUMBO_TAG_META && name == u"name")
                found.append({-1, QStringLiteral("meta name"), QString::fromUtf8(attribute->value)});
            const GumboStringPiece &raw = attribute->original_value;
            // An empty value (an attribute without "=") has no place of its own
            // in gumbo, and names no file.
            if ((name != u"src" && name != u"href" && name != u"background") || !raw.data ||
                !*attribute->value)
                continue;
            // Where an unquoted value begins with a character reference,
            // gumbo's piece begins after it; its end is right.
            const qsizetype byte = raw.data + raw.length - bytes.constData();
            found.append({at[size_t(byte)], name, QString::fromUtf8(attribute->value)});
        }
    }
    gumbo_destroy_output(&kGumboDefaultOptions, output);
    return found;
}

// Gumbo follows an older HTML5 here: it reads control characters and
// noncharacters in the page as U+FFFD, where browsers keep them, and drops
// a NUL in an attribute's name, which browsers read as U+FFFD. Both readers
// are given the page with U+FFFD for each, each character's place kept.
inline QString asGumboReads(const QString &page)
{
    QString out;
    out.reserve(page.size());
    for (const char32_t c : page.toUcs4()) {
        const bool replaced = (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\f' && c != u'\r') ||
                              (c >= 0x7F && c <= 0x9F) || (c >= 0xFDD0 && c <= 0xFDEF) ||
                              (c & 0xFFFE) == 0xFFFE;
        if (replaced)
            out += QString(c > 0xFFFF ? 2 : 1, QChar::ReplacementCharacter);
        else
            out += QString::fromUcs4(&c, 1);
    }
    return out;
}

// Why the two disagree on a page, or empty. Every address gumbo finds must be
// found at the same place with the same decoded value. The other way round
// only where gumbo's tree building keeps every tag: it drops or merges tags
// (a second BODY's attributes, a TD outside a table, anything in a SELECT or
// a FRAMESET), and a script that holds "<!--<script" hides more from it than
// from a flat reading. In SVG and MathML the text of STYLE and the like holds
// tags, which a flat reading cannot know; such pages are not compared.
inline QString disagreement(const QString &original)
{
    const QString page = asGumboReads(original);
    const PageReferences ours = readPageReferences(page);
    for (const QStringView foreign : {u"<svg", u"<math"})
        if (page.contains(foreign, Qt::CaseInsensitive))
            return {};
    if (!page.isValidUtf16())
        return {}; // a lone surrogate is no character, and UTF-8 has none
    // Gumbo's numbers overflow: "&#x110000000;" and longer come out wrong.
    static const QRegularExpression longNumber(QStringLiteral("&#[xX]?[0-9a-fA-F]{8}"));
    if (page.contains(longNumber))
        return {};
    QList<OracleAttribute> theirs = gumboAddresses(page);
    // A viewport line as a browser knows it: the name as it stands, ASCII
    // capitals aside.
    bool viewport = false;
    for (const OracleAttribute &attribute : theirs) {
        QString name = attribute.value;
        for (QChar &c : name)
            if (c >= u'A' && c <= u'Z')
                c = QChar(c.unicode() + 32);
        viewport = viewport || (attribute.name == u"meta name" && name == u"viewport");
    }
    theirs.removeIf([](const OracleAttribute &attribute) { return attribute.end < 0; });
    if (viewport && !ours.viewport)
        return QStringLiteral("gumbo finds a viewport line");
    const auto alike = [&page](const PageReference &reference, const OracleAttribute &attribute) {
        const qsizetype end = reference.at + reference.length;
        return reference.attribute == attribute.name && reference.value == attribute.value &&
               (end == attribute.end ||
                (end + 1 == attribute.end && (page[end] == u'"' || page[end] == u'\'')));
    };
    for (const OracleAttribute &attribute : theirs) {
        bool same = false;
        for (const PageReference &reference : ours.references)
            same = same || alike(reference, attribute);
        if (!same)
            return QStringLiteral("gumbo finds %1=\"%2\" ending at %3")
                .arg(attribute.name, attribute.value)
                .arg(attribute.end);
    }
    for (const QStringView dropped : {u"<select", u"<frameset", u"<script", u"<template"})
        if (page.contains(dropped, Qt::CaseInsensitive))
            return {};
    static const QStringList mergedOrDropped =
        QStringLiteral("html head body frame frameset table td th tr tbody thead tfoot col "
                       "caption colgroup form isindex")
            .split(u' ');
    if (ours.viewport && !viewport)
        return QStringLiteral("gumbo finds no viewport line");
    for (const PageReference &reference : ours.references) {
        if (reference.attribute.startsWith(u"on") || mergedOrDropped.contains(reference.tag) ||
            reference.length == 0)
            continue;
        bool same = false;
        for (const OracleAttribute &attribute : theirs)
            same = same || alike(reference, attribute);
        if (!same)
            return QStringLiteral("gumbo does not find %1=\"%2\" at %3")
                .arg(reference.attribute, reference.value)
                .arg(reference.at);
    }
    return {};
}

} // namespace tarnwell::test
