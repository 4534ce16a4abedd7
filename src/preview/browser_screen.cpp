#include "browser_screen.h"

#include "page_guard.h"
#include "page_scheme.h"
#include "page_tools.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace tarnwell {

namespace {

const QUrl kSearchPage(QStringLiteral("https://duckduckgo.com/"));

// How long a load asked for may take to be reported as begun. Some never are
// (a jump within the page, a javascript: address), so the wait cannot be open-ended.
constexpr qint64 kLoadReportMs = 2000;

QAction *addButton(QToolBar *toolBar, const QString &word, const char *themeIcon,
                   QStyle::StandardPixmap fallback)
{
    const QIcon icon = QIcon::fromTheme(QLatin1String(themeIcon),
                                        toolBar->style()->standardIcon(fallback, nullptr, toolBar));
    QAction *action = toolBar->addAction(icon, word);
    action->setObjectName(word);
    action->setToolTip(word);
    return action;
}

// Keeps a button enabled exactly when the page could do the same thing itself.
void followPageAction(QAction *button, QWebEnginePage *page, QWebEnginePage::WebAction which)
{
    QAction *pageAction = page->action(which);
    button->setEnabled(pageAction->isEnabled());
    QObject::connect(pageAction, &QAction::changed, button,
                     [button, pageAction] { button->setEnabled(pageAction->isEnabled()); });
}

// Where "As on a phone" is kept between previews and between runs, among the
// program's own settings.
const QString kPhoneKey = QStringLiteral("preview/asOnAPhone");

bool isWebSite(const QUrl &address)
{
    const QString scheme = address.scheme().toLower();
    return scheme == QLatin1String("https") || scheme == QLatin1String("http");
}

// The desktop's own browser; false when there is none to be had.
bool openOnDesktop(const QUrl &address)
{
    if (QDesktopServices::openUrl(address))
        return true;
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Platforms without desktop services of their own (a framebuffer, a
    // remote or headless session) still have the desktop's opener.
    return QProcess::startDetached(QStringLiteral("xdg-open"),
                                   {address.toString(QUrl::FullyEncoded)});
#else
    return false;
#endif
}

// A link of the page being made that leads to a web site opens in the
// desktop's own browser, where the user's bookmarks and logins are; the
// preview stays on the page. Pages from the web, reached with Search or a
// typed address, follow their links here as any browser does.
class PreviewPage final : public QWebEnginePage
{
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    bool acceptNavigationRequest(const QUrl &address, NavigationType type,
                                 bool isMainFrame) override
    {
        if (type == NavigationTypeLinkClicked && isMainFrame && isWebSite(address) &&
            url().scheme() == QLatin1String(PageScheme::kName) && openOnDesktop(address))
            return false;
        return QWebEnginePage::acceptNavigationRequest(address, type, isMainFrame);
    }
};

} // namespace

BrowserScreen::BrowserScreen(const QUrl &startingAddress, QWidget *parent)
    : QWidget(parent, Qt::Window), m_startingAddress(startingAddress)
{
    setObjectName(QStringLiteral("Form27"));
    setWindowTitle(QStringLiteral("Browser"));
    // Every preview gets a fresh screen, so a closed one has no further use.
    setAttribute(Qt::WA_DeleteOnClose);

    // The page previewed may come from anywhere: it shows the files of its
    // own folder and reads no other file of the computer.
    const QString folder = startingAddress.isLocalFile()
                               ? QFileInfo(startingAddress.toLocalFile()).absolutePath()
                               : QString();
    auto *files = new PageScheme;
    files->setFolder(folder);
    m_profile = guardedProfile(new PageGuard(folder), files, this);

    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("tbToolBar"));

    auto *strip = new QWidget(this);
    strip->setObjectName(QStringLiteral("picAddress"));
    auto *label = new QLabel(QStringLiteral("&Address:"), strip);
    label->setObjectName(QStringLiteral("lblAddress"));
    m_address = new QComboBox(strip);
    m_address->setObjectName(QStringLiteral("cboAddress"));
    m_address->setEditable(true);
    // Only the starting address is ever listed; typed ones are just visited.
    m_address->setInsertPolicy(QComboBox::NoInsert);
    m_address->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_address->setMinimumContentsLength(10);
    m_address->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    label->setBuddy(m_address);
    auto *stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(4, 2, 4, 2);
    stripLayout->addWidget(label);
    stripLayout->addWidget(m_address, 1);
    m_phoneWidth = new QCheckBox(QStringLiteral("As on a phone"), strip);
    m_phoneWidth->setObjectName(QStringLiteral("PhoneWidth"));
    m_phoneWidth->setChecked(QSettings().value(kPhoneKey, false).toBool());
    stripLayout->addWidget(m_phoneWidth);

    m_viewer = new QWebEngineView(this);
    m_viewer->setObjectName(QStringLiteral("brwWebBrowser"));
    m_viewer->setPage(new PreviewPage(m_profile, m_viewer));
    m_viewer->setMinimumSize(50, 50);
    m_tools = new PageTools(m_viewer->page());
    m_viewer->installEventFilter(this);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("timTimer"));
    m_timer->setInterval(5);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(strip);
    // As on a phone, the page is laid out in a column of a phone's width,
    // in the middle of the window.
    auto *middle = new QHBoxLayout;
    middle->setSpacing(0);
    middle->addStretch(0);
    middle->addWidget(m_viewer, 1);
    middle->addStretch(0);
    layout->addLayout(middle, 1);

    makeToolBar();

    connect(m_timer, &QTimer::timeout, this, &BrowserScreen::tick);
    connect(m_viewer, &QWebEngineView::loadStarted, this, [this] {
        m_loading = true;
        m_expectingLoad = false;
    });
    connect(m_viewer, &QWebEngineView::loadFinished, this, [this] {
        m_loading = false;
        m_expectingLoad = false;
    });
    connect(m_viewer, &QWebEngineView::titleChanged, this,
            [this] { setWindowTitle(locationName()); });
    connect(m_phoneWidth, &QCheckBox::toggled, this, [this](bool phone) {
        QSettings().setValue(kPhoneKey, phone);
        showWidth();
    });
    connect(m_address, &QComboBox::activated, this, &BrowserScreen::goToTypedAddress);
    connect(m_address->lineEdit(), &QLineEdit::returnPressed, this,
            &BrowserScreen::goToTypedAddress);

    setMinimumSize(240, 160);
    resize(800, 600);
    showWidth();
}

BrowserScreen::~BrowserScreen()
{
    // The page must go before its profile.
    delete m_viewer;
}

void BrowserScreen::showWidth()
{
    // As a phone lays the page out, in a column of a phone's width.
    if (m_phoneWidth->isChecked()) {
        m_viewer->setFixedWidth(PageTools::kPhoneWidth);
    } else {
        m_viewer->setMinimumWidth(50);
        m_viewer->setMaximumWidth(QWIDGETSIZE_MAX);
    }
    m_tools->layOutAsPhone(m_phoneWidth->isChecked(), m_viewer->height());
}

bool BrowserScreen::eventFilter(QObject *watched, QEvent *event)
{
    // The phone is as tall as the viewer.
    if (watched == m_viewer && event->type() == QEvent::Resize)
        m_tools->layOutAsPhone(m_phoneWidth->isChecked(), m_viewer->height());
    return QWidget::eventFilter(watched, event);
}

void BrowserScreen::makeToolBar()
{
    QWebEnginePage *page = m_viewer->page();

    QAction *back =
        addButton(m_toolBar, QStringLiteral("Back"), "go-previous", QStyle::SP_ArrowBack);
    followPageAction(back, page, QWebEnginePage::Back);
    connect(back, &QAction::triggered, this, [this] {
        m_timer->start();
        if (m_viewer->history()->canGoBack()) {
            expectLoad();
            m_viewer->back();
        }
    });

    QAction *forward =
        addButton(m_toolBar, QStringLiteral("Forward"), "go-next", QStyle::SP_ArrowForward);
    followPageAction(forward, page, QWebEnginePage::Forward);
    connect(forward, &QAction::triggered, this, [this] {
        m_timer->start();
        if (m_viewer->history()->canGoForward()) {
            expectLoad();
            m_viewer->forward();
        }
    });

    QAction *stopButton =
        addButton(m_toolBar, QStringLiteral("Stop"), "process-stop", QStyle::SP_BrowserStop);
    followPageAction(stopButton, page, QWebEnginePage::Stop);
    connect(stopButton, &QAction::triggered, this, &BrowserScreen::stop);

    QAction *refresh =
        addButton(m_toolBar, QStringLiteral("Refresh"), "view-refresh", QStyle::SP_BrowserReload);
    followPageAction(refresh, page, QWebEnginePage::Reload);
    connect(refresh, &QAction::triggered, this, [this] {
        m_timer->start();
        if (!m_viewer->url().isEmpty()) {
            expectLoad();
            // The page and its pictures as they are now, not as first shown.
            if (m_viewer->url() == PageScheme::fromFile(m_startingAddress))
                emit startingPageWanted();
            m_viewer->page()->triggerAction(QWebEnginePage::ReloadAndBypassCache);
        }
    });

    QAction *home = addButton(m_toolBar, QStringLiteral("Home"), "go-home", QStyle::SP_DirHomeIcon);
    connect(home, &QAction::triggered, this, [this] {
        emit startingPageWanted();
        navigate(m_startingAddress);
    });

    QAction *search = addButton(m_toolBar, QStringLiteral("Search"), "edit-find",
                                QStyle::SP_FileDialogContentsView);
    connect(search, &QAction::triggered, this, [this] { navigate(kSearchPage); });
}

void BrowserScreen::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_shownBefore) {
        m_shownBefore = true;
        firstShown();
    }
}

void BrowserScreen::firstShown()
{
    const QString text = m_startingAddress.toString();
    m_address->addItem(text);
    m_address->setEditText(text);
    navigate(m_startingAddress);
}

void BrowserScreen::navigate(const QUrl &address)
{
    m_timer->start();
    if (!address.isValid() || address.isEmpty())
        return;
    expectLoad();
    m_viewer->setUrl(PageScheme::fromFile(address));
}

// The viewer reports a load only a moment after it is asked for one; the
// caption should say "Working..." from the start.
void BrowserScreen::expectLoad()
{
    m_expectingLoad = true;
    m_expectedSince.start();
}

bool BrowserScreen::busy() const
{
    return m_loading || (m_expectingLoad && !m_expectedSince.hasExpired(kLoadReportMs));
}

void BrowserScreen::goToTypedAddress()
{
    navigate(QUrl::fromUserInput(m_address->currentText()));
}

void BrowserScreen::tick()
{
    if (busy()) {
        setWindowTitle(QStringLiteral("Working..."));
        return;
    }
    m_timer->stop();
    setWindowTitle(locationName());
}

void BrowserScreen::stop()
{
    m_timer->stop();
    m_loading = false;
    m_expectingLoad = false;
    m_viewer->stop();
    setWindowTitle(locationName());
}

QString BrowserScreen::locationName() const
{
    const QString title = m_viewer->title();
    return title.isEmpty() ? m_viewer->url().toString() : title;
}

} // namespace tarnwell

extern "C" Q_DECL_EXPORT QWidget *tarnwell_create_browser_screen(const QUrl &startingAddress)
{
    tarnwell::PageScheme::registerScheme();
    return new tarnwell::BrowserScreen(startingAddress);
}
