#pragma once

#include <QJsonObject>
#include <QObject>
#include <QStringList>

class QWebEnginePage;

namespace tarnwell {

// Chromium's own tools for one page, driven through their channel by us
// alone: they lay the page out as a phone's browser does, and stop a script
// that never ends. Their program never starts (the page guard keeps its
// scripts out), so nothing else is asked of the page.
class PageTools final : public QObject
{
public:
    explicit PageTools(QWebEnginePage *page);

    // As a phone held upright lays a page out: a page without a viewport
    // line 980 pixels wide and shrunk to fit, one with width=device-width at
    // the phone's width. Off, as the view's own width. The page loads again
    // once the tools have changed from one to the other.
    void layOutAsPhone(bool phone, int height);
    // Ends the script that runs now.
    void stopScript();

    static constexpr int kPhoneWidth = 390; // CSS pixels of a common phone held upright

private:
    void send(const QString &method, const QJsonObject &parameters = {});
    void flush();

    QWebEnginePage *m_page;
    QWebEnginePage *m_tools = nullptr;
    int m_relayOutAfter = 0; // the page loads again once this is answered
    bool m_ready = false;
    QStringList m_waiting;
    int m_lastId = 0;
    bool m_phone = false;
    int m_height = 0;
};

} // namespace tarnwell
