#pragma once

#include <QElapsedTimer>
#include <QUrl>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QTimer;
class QToolBar;
class QWebEngineProfile;
class QWebEngineView;

namespace tarnwell {

class PageTools;

// The program's own little web browser, used to preview the page being made.
class BrowserScreen final : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QUrl startingAddress READ startingAddress CONSTANT)

public:
    explicit BrowserScreen(const QUrl &startingAddress, QWidget *parent = nullptr);
    ~BrowserScreen() override;

    QUrl startingAddress() const { return m_startingAddress; }

signals:
    // The starting page is about to be shown again: it may be written anew
    // first, to show the page as it is now.
    void startingPageWanted();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void makeToolBar();
    void firstShown();
    void tick();
    void navigate(const QUrl &address);
    void expectLoad();
    bool busy() const;
    void goToTypedAddress();
    void stop();
    void showWidth();
    QString locationName() const;

    QUrl m_startingAddress;
    QWebEngineProfile *m_profile = nullptr;
    QToolBar *m_toolBar = nullptr;
    QComboBox *m_address = nullptr;
    QCheckBox *m_phoneWidth = nullptr;
    QWebEngineView *m_viewer = nullptr;
    PageTools *m_tools = nullptr;
    QTimer *m_timer = nullptr;
    bool m_loading = false;
    bool m_expectingLoad = false;
    QElapsedTimer m_expectedSince;
    bool m_shownBefore = false;
};

} // namespace tarnwell
