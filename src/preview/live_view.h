#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QWidget;

namespace tarnwell {

// The page as a browser draws it, beside its code, made by the preview module:
// a view that shows each new version of the page where the last one was,
// without writing it anywhere. Its scripts open nothing (no message, window
// or printing), a click never follows a link, and a script that never ends is
// stopped and said so.
class LiveView
{
public:
    virtual ~LiveView() = default;

    virtual QWidget *widget() = 0;

    // Shows the page's bytes as its file at that path would hold them; the
    // files of its folder show beside it. The serial names this version and
    // is told back once it shows.
    virtual void showPage(const QByteArray &bytes, const QString &path, int serial) = 0;
    // Shows a few words instead of the page; empty, the page again.
    virtual void showNotice(const QString &text) = 0;
    // As a phone lays the page out, or at the view's own width.
    virtual void setPhone(bool phone) = 0;
    // Outlines the element at that index in document order; -1, none.
    virtual void outline(int element) = 0;
    // Scrolls the element into view, when it is out of view.
    virtual void reveal(int element) = 0;

    // A version of the page replaces the one before.
    std::function<void(int serial)> shown;
    // A version has loaded, pictures and all.
    std::function<void(int serial)> loaded;
    // The user clicked the element at that index in document order, whose
    // tag (its local name) is given, in the version last told as shown.
    std::function<void(int element, const QString &tag)> clicked;
};

} // namespace tarnwell
