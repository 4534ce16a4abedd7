#include "live_view_widget.h"

#include "page_guard.h"
#include "page_scheme.h"
#include "page_tools.h"

#include <QChildEvent>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QUuid>
#include <QVBoxLayout>
#include <utility>
#include <QWebEngineFullScreenRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/types.h>
#endif

namespace tarnwell {

namespace {

// How often the page is asked whether it still answers; how long it may be
// silent before its script is stopped, and before its process is ended.
constexpr int kHeartbeatMs = 1000;
constexpr qint64 kStopAfterMs = 5000;
constexpr qint64 kEndAfterMs = 20000;
// A long page keeps its process busy laying it out, answering nothing, for
// longer: each megabyte allows this much more silence.
constexpr qint64 kStopAfterPerMbMs = 1000;
constexpr qint64 kEndAfterPerMbMs = 4000;
// The narrowest the page is shown as on a computer.
constexpr int kNarrowest = 240;
// How long a page whose process was ended waits before it loads again.
constexpr int kReloadAfterEndMs = 1000;

// Runs in a world of its own beside the page's scripts, which can neither
// see nor change it. A click shows the element's code instead of following a
// link or sending a form; the outline is a box laid over the element, after
// the page's own elements, so that their order in the document stays.
const char kHelper[] = R"JS(
(function () {
  var token = '%1';
  console.log(token + ' shown');
  function elements() { return document.getElementsByTagName('*'); }
  function stop(event) { event.preventDefault(); }
  window.addEventListener('click', function (event) {
    stop(event);
    var target = event.target;
    while (target && target.nodeType !== 1)
      target = target.parentNode;
    if (!target || target === box)
      return;
    console.log(token + ' ' + Array.prototype.indexOf.call(elements(), target) + ' ' +
                target.localName);
  }, true);
  window.addEventListener('auxclick', stop, true);
  window.addEventListener('submit', stop, true);
  var box = null;
  var outlined = -1;
  function place() {
    var element = outlined >= 0 ? elements()[outlined] : null;
    var rect = element && element !== box && element.getClientRects().length ?
        element.getBoundingClientRect() : null;
    if (!rect) {
      if (box)
        box.remove();
      return;
    }
    if (!box) {
      box = document.createElement('div');
      box.setAttribute('data-tarnwell', 'outline');
    }
    box.setAttribute('data-element', String(outlined));
    box.style.cssText = 'all: initial !important; display: block !important; ' +
        'position: absolute !important; pointer-events: none !important; ' +
        'z-index: 2147483647 !important; box-sizing: border-box !important; ' +
        'border: 2px solid #d93025 !important; background: rgba(217, 48, 37, 0.08) !important; ' +
        'left: ' + (rect.left + window.scrollX - 2) + 'px !important; ' +
        'top: ' + (rect.top + window.scrollY - 2) + 'px !important; ' +
        'width: ' + (rect.width + 4) + 'px !important; ' +
        'height: ' + (rect.height + 4) + 'px !important;';
    if (box.parentNode !== document.documentElement)
      document.documentElement.appendChild(box);
  }
  window.addEventListener('load', place, true);
  window.addEventListener('resize', place);
  window.tarnwellOutline = function (index) { outlined = index; place(); };
  window.tarnwellReveal = function (index) {
    var element = elements()[index];
    if (!element || element === box || !element.getClientRects().length)
      return;
    var rect = element.getBoundingClientRect();
    if (rect.bottom < 0 || rect.top > window.innerHeight || rect.right < 0 ||
        rect.left > window.innerWidth)
      element.scrollIntoView({block: 'nearest', inline: 'nearest'});
  };
})();
)JS";

} // namespace

// The live page: its scripts open nothing, and it goes nowhere but where it
// is sent, so that running it again at every change is harmless.
class LivePageContent final : public QWebEnginePage
{
public:
    LivePageContent(QWebEngineProfile *profile, QObject *parent)
        : QWebEnginePage(profile, parent), m_token(QUuid::createUuid().toString(QUuid::Id128))
    {}

    QString token() const { return m_token; }
    QUrl allowed;
    std::function<void(int, const QString &)> onClick;
    std::function<void()> onShown;

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override
    {
        // Frames within the page show what they show, under the guard.
        if (!isMainFrame)
            return true;
        return (type == NavigationTypeTyped || type == NavigationTypeReload) &&
               url.adjusted(QUrl::RemoveFragment) == allowed;
    }

    QWebEnginePage *createWindow(WebWindowType) override { return nullptr; }
    void javaScriptAlert(const QUrl &, const QString &) override {}
    // Leaving the page, as at every change, is always all right.
    bool javaScriptConfirm(const QUrl &, const QString &) override { return true; }
    bool javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *) override
    {
        return false;
    }
    QStringList chooseFiles(FileSelectionMode, const QStringList &, const QStringList &) override
    {
        return {};
    }

    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &message, int,
                                  const QString &) override
    {
        // Only our helper knows the token.
        const QStringList words = message.split(QLatin1Char(' '));
        if (words.size() == 2 && words[0] == m_token && words[1] == QLatin1String("shown") &&
            onShown) {
            onShown(); // a new version replaces the old one
            return;
        }
        bool number = false;
        const int element = words.value(1).toInt(&number);
        if (words.size() == 3 && words[0] == m_token && number && onClick)
            onClick(element, words[2]);
    }

private:
    QString m_token;
};

LiveViewWidget::LiveViewWidget(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LivePagePane"));
    m_guard = new PageGuard(QString());
    m_scheme = new PageScheme;
    m_profile = guardedProfile(m_guard, m_scheme, this);
    m_page = new LivePageContent(m_profile, this);
    m_page->onClick = [this](int element, const QString &tag) {
        if (clicked)
            clicked(element, tag);
    };
    m_page->onShown = [this] {
        if (shown)
            shown(m_asked);
    };
    QWebEngineScript helper;
    helper.setName(QStringLiteral("tarnwell-live"));
    helper.setInjectionPoint(QWebEngineScript::DocumentCreation);
    helper.setWorldId(QWebEngineScript::ApplicationWorld);
    helper.setRunsOnSubFrames(false);
    helper.setSourceCode(QString::fromLatin1(kHelper).arg(m_page->token()));
    m_page->scripts().insert(helper);
    // Printing would hold the page until the printing is answered: at a
    // script's end, after a script that had to be stopped, for good.
    QWebEngineScript noPrinting;
    noPrinting.setName(QStringLiteral("tarnwell-no-printing"));
    noPrinting.setInjectionPoint(QWebEngineScript::DocumentCreation);
    noPrinting.setWorldId(QWebEngineScript::MainWorld);
    noPrinting.setRunsOnSubFrames(true);
    noPrinting.setSourceCode(QStringLiteral("window.print = function () {};"));
    m_page->scripts().insert(noPrinting);
    // Nothing may ask for anything: no camera, no place, no full screen.
    connect(m_page, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl &origin, QWebEnginePage::Feature feature) {
                m_page->setFeaturePermission(origin, feature,
                                             QWebEnginePage::PermissionDeniedByUser);
            });
    connect(m_page, &QWebEnginePage::fullScreenRequested, this,
            [](QWebEngineFullScreenRequest request) { request.reject(); });

    m_view = new QWebEngineView(this);
    m_view->setObjectName(QStringLiteral("LivePage"));
    m_view->setPage(m_page);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    // Seen, not typed into: Tab goes from the code to the buttons.
    m_view->setFocusPolicy(Qt::ClickFocus);
    m_view->installEventFilter(this);
    m_view->setAccessibleName(QStringLiteral("Your page as a browser shows it"));
    m_tools = new PageTools(m_page);

    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("LiveNotice"));
    m_notice->setWordWrap(true);
    m_notice->setAlignment(Qt::AlignCenter);
    m_notice->setMargin(12);
    m_notice->hide();
    m_stopped = new QLabel(
        QStringLiteral("Your page's script does not finish, so Tarnwell stopped it. The page "
                       "may show only in part."),
        this);
    m_stopped->setObjectName(QStringLiteral("LiveStopped"));
    m_stopped->setWordWrap(true);
    m_stopped->setStyleSheet(QStringLiteral("background: #fff4ce; padding: 4px;"));
    m_stopped->hide();

    connect(m_view, &QWebEngineView::loadStarted, this, [this] {
        // Answers that were on their way are lost with the page.
        answered();
        m_stopped->hide();
        placeView();
    });
    connect(m_view, &QWebEngineView::loadFinished, this, &LiveViewWidget::pageLoaded);
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this, [this] {
        // Ended twice for the same text: loading it a third time would only
        // end the same way. The next change tries again.
        if (m_endedTwice)
            return;
        QTimer::singleShot(kReloadAfterEndMs, this, [this] {
            m_page->triggerAction(QWebEnginePage::Reload);
            m_heartbeat.start();
        });
    });
    m_heartbeat.setInterval(kHeartbeatMs);
    connect(&m_heartbeat, &QTimer::timeout, this, &LiveViewWidget::beat);
    setPhone(false);
}

LiveViewWidget::~LiveViewWidget()
{
    // The page must go before its profile.
    delete m_view;
    delete m_page;
}

void LiveViewWidget::showPage(const QByteArray &bytes, const QString &path, int serial)
{
    m_asked = serial;
    m_loading = true;
    m_pageMb = bytes.size() / (1024 * 1024);
    m_endedTwice = false;
    const QUrl before = m_scheme->pageAddress();
    // Pictures the viewer keeps are fetched again only when one has changed:
    // fetched every time, they would flicker at every key.
    const bool refetch = m_scheme->filesChanged();
    m_scheme->setPage(bytes, path);
    m_guard->setFolder(QFileInfo(path).absolutePath());
    const QUrl address = m_scheme->pageAddress();
    m_page->allowed = address;
    // The same address again keeps the place the user scrolled to.
    if (address == before && m_view->url() == address)
        m_page->triggerAction(refetch ? QWebEnginePage::ReloadAndBypassCache
                                      : QWebEnginePage::Reload);
    else
        m_view->setUrl(address);
    m_heartbeat.start();
}

void LiveViewWidget::pageLoaded()
{
    m_loading = false;
    if (m_outlined >= 0)
        runInPage(QStringLiteral("tarnwellOutline(%1)").arg(m_outlined));
    if (m_toReveal >= 0)
        reveal(std::exchange(m_toReveal, -1));
    if (loaded)
        loaded(m_asked);
}

void LiveViewWidget::showNotice(const QString &text)
{
    m_notice->setText(text);
    m_notice->setVisible(!text.isEmpty());
    m_view->setVisible(text.isEmpty());
    if (!text.isEmpty())
        m_heartbeat.stop();
    placeView();
}

void LiveViewWidget::setPhone(bool phone)
{
    m_phone = phone;
    // A phone's width at the least; a computer's page fits a narrower pane.
    setMinimumWidth(phone ? PageTools::kPhoneWidth : kNarrowest);
    placeView();
}

void LiveViewWidget::outline(int element)
{
    m_outlined = element;
    runInPage(QStringLiteral("tarnwellOutline(%1)").arg(element));
}

void LiveViewWidget::reveal(int element)
{
    // Only a page laid out whole knows where the element stands.
    if (m_loading)
        m_toReveal = element;
    else
        runInPage(QStringLiteral("tarnwellReveal(%1)").arg(element));
}

void LiveViewWidget::runInPage(const QString &script)
{
    m_page->runJavaScript(QStringLiteral("if (window.tarnwellOutline) ") + script,
                          QWebEngineScript::ApplicationWorld);
}

void LiveViewWidget::beat()
{
    // A picture changed in the folder shows without waiting for the page to change.
    if (m_scheme->filesChanged())
        m_page->triggerAction(QWebEnginePage::ReloadAndBypassCache);
    if (!m_pinging) {
        // Whether the page's scripts let it answer; an answer may be lost
        // with a script that is stopped, so each beat asks again.
        m_pinging = true;
        if (!m_unanswered.isValid())
            m_unanswered.start();
        QPointer<LiveViewWidget> self(this);
        m_page->runJavaScript(QStringLiteral("0"), QWebEngineScript::ApplicationWorld,
                              [self](const QVariant &) {
                                  if (self)
                                      self->answered();
                              });
    }
    // A busy machine may keep a page from answering for a while: only a long
    // silence is a script that does not finish.
    const qint64 silent = m_unanswered.elapsed();
    if (silent > kStopAfterMs + m_pageMb * kStopAfterPerMbMs && !m_stopAsked) {
        m_stopAsked = true;
        m_pinging = false;
        m_tools->stopScript();
        m_stopped->show();
        placeView();
    } else if (silent > kEndAfterMs + m_pageMb * kEndAfterPerMbMs) {
        // A script that began before the tools could reach the page cannot be
        // stopped by them: its whole process ends, and the page loads again
        // in a new one.
        m_heartbeat.stop();
        m_endedTwice = m_endedSerial == m_asked;
        m_endedSerial = m_asked;
#ifdef Q_OS_UNIX
        if (const qint64 process = m_page->renderProcessPid(); process > 0)
            ::kill(pid_t(process), SIGKILL);
#endif
    }
}

void LiveViewWidget::answered()
{
    m_pinging = false;
    m_stopAsked = false;
    m_unanswered.invalidate();
}

void LiveViewWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeView();
}

bool LiveViewWidget::eventFilter(QObject *watched, QEvent *event)
{
    // The part that draws the page comes and goes with the page's process and
    // would take Tab focus of its own.
    if (watched == m_view && event->type() == QEvent::ChildPolished) {
        if (auto *child = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child()))
            child->setFocusPolicy(Qt::ClickFocus);
    }
    return QWidget::eventFilter(watched, event);
}

void LiveViewWidget::placeView()
{
    // As on a phone, the page is laid out in a column of a phone's width in
    // the middle of the pane, over the pane's whole height.
    QRect area = rect();
    if (m_stopped->isVisible()) {
        const int height = m_stopped->heightForWidth(area.width());
        m_stopped->setGeometry(area.left(), area.top(), area.width(), height);
        area.setTop(area.top() + height);
    }
    m_notice->setGeometry(area);
    if (m_phone) {
        const int width = qMin(int(PageTools::kPhoneWidth), area.width());
        area = QRect(area.left() + (area.width() - width) / 2, area.top(), width, area.height());
    }
    m_view->setGeometry(area);
    m_tools->layOutAsPhone(m_phone, area.height());
}

} // namespace tarnwell

extern "C" Q_DECL_EXPORT tarnwell::LiveView *tarnwell_create_live_view()
{
    tarnwell::PageScheme::registerScheme();
    return new tarnwell::LiveViewWidget;
}
