#include "main_window.h"

#include <QAbstractScrollArea>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStackedLayout>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace tarnwell {

namespace {
// Room for every screen at its smallest: the widest is Selection (896 pixels),
// the tallest Text & Picture (520). The e2e tests open every screen and check
// that it fits.
constexpr QSize kMinimumSize(900, 540);
// The first run's size, where the display has room for it.
constexpr QSize kFirstSize(1040, 720);

const char kScreenProperty[] = "tarnwellScreen";
const char kBesideProperty[] = "tarnwellBeside";
const QString kGeometryKey = QStringLiteral("MainWindow/geometry");
} // namespace

MainWindow::MainWindow()
{
    // The name of the grey backdrop that stood behind the screens before.
    setObjectName(QStringLiteral("Form13"));
    setWindowTitle(QStringLiteral("Tarnwell"));
    QPalette grey = palette();
    grey.setColor(QPalette::Window, QColor(0xE0, 0xE0, 0xE0));
    setPalette(grey);
    setAutoFillBackground(true);
    setMinimumSize(kMinimumSize);

    m_slots = new QStackedLayout(this);
    m_empty = new QWidget(this);
    m_slots->addWidget(m_empty);

    if (!restoreGeometry(QSettings().value(kGeometryKey).toByteArray()))
        placeFirstTime();
}

MainWindow::~MainWindow()
{
    releaseScreens();
}

void MainWindow::placeFirstTime()
{
    QRect room(QPoint(0, 0), kFirstSize);
    if (const QScreen *display = QGuiApplication::primaryScreen())
        room = display->availableGeometry();
    // Room for the window manager's frame too; move() places the frame, so
    // the title bar stays on the display even when the window only just fits.
    const QSize size = kFirstSize.boundedTo(room.size() * 0.9).expandedTo(kMinimumSize);
    resize(size);
    move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, room).topLeft());
}

void MainWindow::keepGeometry() const
{
    QSettings().setValue(kGeometryKey, saveGeometry());
}

void showBesideTheScreens(QWidget *screen)
{
    screen->setProperty(kBesideProperty, true);
}

void MainWindow::adopt(QWidget *screen)
{
    screen->setProperty(kScreenProperty, true);
    if (screen->property(kBesideProperty).toBool()) {
        // A dialog of the window's, over it and never in a place of its own,
        // beside the screen it helps with.
        screen->hide();
        screen->setParent(this, Qt::Dialog);
        screen->installEventFilter(this);
        return;
    }
    auto *slot = new QWidget(this);
    auto *layout = new QVBoxLayout(slot);
    layout->setContentsMargins(0, 0, 0, 0);
    screen->setParent(slot);
    layout->addWidget(screen);
    // Closed until the screen itself is shown: a child shows with its parent
    // unless hidden explicitly.
    screen->hide();
    m_slots->addWidget(slot);
    screen->installEventFilter(this);
    connect(screen, &QWidget::windowTitleChanged, this, [this, screen] {
        if (screen == currentScreen())
            showTitle();
    });
}

void MainWindow::releaseScreens()
{
    for (QObject *child : children()) {
        const QList<QWidget *> screens =
            child->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        for (QWidget *screen : screens) {
            screen->removeEventFilter(this);
            disconnect(screen, nullptr, this, nullptr);
        }
    }
    m_open.clear();
}

QWidget *MainWindow::currentScreen() const
{
    return m_open.empty() ? nullptr : m_open.back();
}

MainWindow *MainWindow::of(const QWidget *screen)
{
    if (!screen->property(kScreenProperty).toBool())
        return nullptr;
    return qobject_cast<MainWindow *>(screen->window());
}

void MainWindow::bringForward(QWidget *screen)
{
    if (!screen->isHidden() && screen != currentScreen())
        opened(screen);
    if (!isVisible())
        show();
    raise();
    activateWindow();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (auto *beside = static_cast<QWidget *>(watched); beside->isWindow()) {
        // Centred on the window when it first shows; later where the user left it.
        if (event->type() == QEvent::Show && !beside->property("tarnwellPlaced").toBool()) {
            beside->setProperty("tarnwellPlaced", true);
            const QRect room = screen() ? screen()->availableGeometry() : QRect();
            const QSize frame = beside->frameGeometry().size() - beside->size();
            if (room.isValid())
                beside->resize(beside->size().boundedTo(room.size() - frame));
            QRect placed = beside->frameGeometry();
            placed.moveCenter(frameGeometry().center());
            if (room.isValid()) {
                placed.moveRight(qMin(placed.right(), room.right()));
                placed.moveBottom(qMin(placed.bottom(), room.bottom()));
                placed.moveLeft(qMax(placed.left(), room.left()));
                placed.moveTop(qMax(placed.top(), room.top()));
            }
            beside->move(placed.topLeft());
        }
        return false;
    }
    // Only a screen's own show() and hide(); its slot coming into view or
    // going out of it shows and hides it without changing whether it is open.
    if (event->type() == QEvent::ShowToParent)
        opened(static_cast<QWidget *>(watched));
    else if (event->type() == QEvent::HideToParent)
        closed(static_cast<QWidget *>(watched));
    else if (event->type() == QEvent::Destroy)
        gone(static_cast<QWidget *>(watched));
    return false;
}

void MainWindow::opened(QWidget *screen)
{
    m_open.erase(std::remove(m_open.begin(), m_open.end(), screen), m_open.end());
    m_open.push_back(screen);
    showCurrent();
}

void MainWindow::closed(QWidget *screen)
{
    const auto at = std::find(m_open.begin(), m_open.end(), screen);
    if (at == m_open.end())
        return;
    const bool wasCurrent = screen == currentScreen();
    m_open.erase(at);
    if (wasCurrent)
        showCurrent();
}

void MainWindow::gone(QWidget *screen)
{
    // Half destroyed already: the window changes slots once it has gone.
    const bool wasCurrent = screen == currentScreen();
    m_open.erase(std::remove(m_open.begin(), m_open.end(), screen), m_open.end());
    if (wasCurrent)
        QMetaObject::invokeMethod(this, &MainWindow::showCurrent, Qt::QueuedConnection);
    screen->parentWidget()->deleteLater();
}

void MainWindow::showCurrent()
{
    QWidget *screen = currentScreen();
    QWidget *slot = screen ? screen->parentWidget() : m_empty;
    if (screen)
        fitIntoSlot(screen);
    if (m_slots->currentWidget() != slot)
        m_slots->setCurrentWidget(slot);
    showTitle();
    if (!screen)
        return;
    // The keyboard goes where it was on this screen, or to its first
    // control, as it went when each screen was a window of its own.
    if (QWidget *focus = focusWidget(); focus && screen->isAncestorOf(focus) && focus->isVisible())
        return;
    if (QWidget *last = screen->focusWidget(); last && last->isVisible() && last->isEnabled()) {
        last->setFocus(Qt::ActiveWindowFocusReason);
        return;
    }
    for (QWidget *next = screen->nextInFocusChain(); next != screen;
         next = next->nextInFocusChain()) {
        if (!screen->isAncestorOf(next))
            continue;
        if ((next->focusPolicy() & Qt::TabFocus) && !next->focusProxy() && next->isVisible() &&
            next->isEnabled()) {
            next->setFocus(Qt::ActiveWindowFocusReason);
            return;
        }
    }
}

void MainWindow::fitIntoSlot(QWidget *screen)
{
    // A screen with a page, a text or a list to show grows with the window;
    // one of buttons and words keeps its own size in the middle of it
    // instead of spreading them over the window.
    const QList<QAbstractScrollArea *> areas = screen->findChildren<QAbstractScrollArea *>();
    const bool grows = std::any_of(areas.cbegin(), areas.cend(), [screen](const QWidget *area) {
        return area->isVisibleTo(screen) &&
               (area->sizePolicy().verticalPolicy() & QSizePolicy::ExpandFlag) &&
               area->maximumHeight() == QWIDGETSIZE_MAX;
    });
    screen->parentWidget()->layout()->setAlignment(screen,
                                                   grows ? Qt::Alignment() : Qt::AlignCenter);
}

void MainWindow::showTitle()
{
    const QWidget *screen = currentScreen();
    const QString caption = screen ? screen->windowTitle() : QString();
    const QString program = QStringLiteral("Tarnwell");
    setWindowTitle(caption.isEmpty() || caption == program
                       ? program
                       : program + QStringLiteral(" \u2013 ") + caption);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The screen in view decides: QUIT, a question, or going back.
    event->ignore();
    if (QWidget *screen = currentScreen())
        screen->close();
}

} // namespace tarnwell
