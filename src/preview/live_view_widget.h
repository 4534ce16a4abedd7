#pragma once

#include "live_view.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

class QLabel;
class QWebEngineProfile;
class QWebEngineView;

namespace tarnwell {

class LivePageContent;
class PageGuard;
class PageScheme;
class PageTools;

class LiveViewWidget final : public QWidget, public LiveView
{
    Q_OBJECT

public:
    explicit LiveViewWidget(QWidget *parent = nullptr);
    ~LiveViewWidget() override;

    QWidget *widget() override { return this; }
    void showPage(const QByteArray &bytes, const QString &path, int serial) override;
    void showNotice(const QString &text) override;
    void setPhone(bool phone) override;
    void outline(int element) override;
    void reveal(int element) override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void pageLoaded();
    void beat();
    void answered();
    void placeView();
    void runInPage(const QString &script);

    PageGuard *m_guard = nullptr;
    QWebEngineProfile *m_profile = nullptr;
    LivePageContent *m_page = nullptr;
    PageTools *m_tools = nullptr;
    PageScheme *m_scheme = nullptr;
    QWebEngineView *m_view = nullptr;
    QLabel *m_notice = nullptr;
    QLabel *m_stopped = nullptr;
    int m_asked = -1; // the serial asked for last
    qint64 m_pageMb = 0; // the size of the page asked for last
    int m_endedSerial = -1; // the serial whose process was last ended
    bool m_endedTwice = false;
    bool m_phone = false;
    int m_outlined = -1;
    bool m_loading = false;
    int m_toReveal = -1; // once the page has loaded
    // Whether the page's scripts still let it answer.
    QTimer m_heartbeat;
    bool m_pinging = false;
    QElapsedTimer m_unanswered; // since the first question not answered
    bool m_stopAsked = false;
};

} // namespace tarnwell
