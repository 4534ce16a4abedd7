#include "live_page.h"

#include "document/followed_text.h"
#include "document/page_body.h"
#include "document/page_elements.h"
#include "document/page_file.h"
#include "document/session.h"
#include "preview/browser_loader.h"
#include "preview/live_view.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace tarnwell {

namespace {

// How long the page waits after a change before it is shown: long enough
// that typing does not run the page at every key, short enough to follow.
constexpr int kPauseMs = 50;
// Longer pages are not shown as they are typed: the browser would take
// longer to draw them than the user takes to type.
constexpr qsizetype kLongestShown = 20 * 1024 * 1024;

// The element to bring into view for a change at that position: the
// innermost one that holds it, else the first one after it.
int changedElement(const std::vector<ElementSpan> &elements, qsizetype at)
{
    const int holder = elementAt(elements, at);
    if (holder >= 0)
        return holder;
    for (size_t i = 0; i < elements.size(); ++i) {
        if (elements[i].start >= at)
            return int(i);
    }
    return -1;
}

} // namespace

struct LivePage::Job
{
    int serial = -1;
    QList<QString> pieces;
    PageEncoding encoding = PageEncoding::Windows1252;
};

struct LivePage::Parsed
{
    int serial = 0;
    std::vector<ElementSpan> elements;
    int changed = -1; // the element that changed since the version before
};

// Makes the page's bytes, and reads where its elements stand once the view
// has shown it (reading a long page while the viewer lays it out would slow
// both), on a thread of its own. Only the newest version waiting of each job
// is worked on, the bytes first. Old readings are freed here too: a long
// page's are many small pieces of memory.
class LivePage::Worker final
{
public:
    explicit Worker(LivePage &owner) : m_owner(owner), m_thread([this] { run(); }) {}

    ~Worker()
    {
        {
            const std::lock_guard<std::mutex> guard(m_mutex);
            m_stop = true;
        }
        m_ready.notify_one();
        m_thread.join();
    }

    Worker(const Worker &) = delete;
    Worker &operator=(const Worker &) = delete;

    void make(Job job) { post(m_make, std::move(job)); }
    void read(Job job) { post(m_read, std::move(job)); }

    void dispose(std::shared_ptr<const Parsed> parsed)
    {
        {
            const std::lock_guard<std::mutex> guard(m_mutex);
            m_done.push_back(std::move(parsed));
        }
        m_ready.notify_one();
    }

private:
    void post(std::optional<Job> &slot, Job job)
    {
        {
            const std::lock_guard<std::mutex> guard(m_mutex);
            slot = std::move(job);
        }
        m_ready.notify_one();
    }

    void run()
    {
        for (;;) {
            std::optional<Job> make, read;
            std::vector<std::shared_ptr<const Parsed>> done;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_ready.wait(lock, [this] { return m_stop || m_make || m_read || !m_done.empty(); });
                if (m_stop)
                    return;
                done.swap(m_done);
                if (m_make)
                    make.swap(m_make);
                else
                    read.swap(m_read);
            }
            done.clear();
            if (make)
                makeBytes(*make);
            else if (read)
                readElements(*read);
        }
    }

    void makeBytes(const Job &job)
    {
        QByteArray bytes = previewBytes(withLineEnds(joinedText(job.pieces)), job.encoding);
        QMetaObject::invokeMethod(
            &m_owner,
            [owner = &m_owner, serial = job.serial, bytes = std::move(bytes)] {
                owner->made(serial, bytes);
            },
            Qt::QueuedConnection);
    }

    void readElements(const Job &job)
    {
        const QString text = joinedText(job.pieces);
        auto result = std::make_shared<Parsed>();
        result->serial = job.serial;
        result->elements = pageElements(text);
        result->changed = changedElement(result->elements, firstDifference(m_before, text));
        m_before = text;
        QMetaObject::invokeMethod(
            &m_owner,
            [owner = &m_owner, result = std::shared_ptr<const Parsed>(std::move(result))] {
                owner->parsed(result);
            },
            Qt::QueuedConnection);
    }

    LivePage &m_owner;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::optional<Job> m_make, m_read;
    std::vector<std::shared_ptr<const Parsed>> m_done;
    bool m_stop = false;
    QString m_before; // the text whose elements were read last
    std::thread m_thread;
};

LivePage::LivePage(Session &session, QPlainTextEdit *code, QWidget *parent)
    : QObject(parent), m_session(session), m_code(code), m_madeJob(std::make_unique<Job>())
{
    QString whyNot;
    m_view = createLiveView(&whyNot);
    if (m_view) {
        m_widget = m_view->widget();
        m_widget->setParent(parent);
        m_view->shown = [this](int serial) { shown(serial); };
        m_view->clicked = [this](int element, const QString &tag) { clicked(element, tag); };
        m_view->loaded = [this](int serial) { shownWhole(serial); };
    } else {
        auto *label = new QLabel(QStringLiteral("Your page cannot be shown here: ") + whyNot,
                                 parent);
        label->setObjectName(QStringLiteral("LivePage"));
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignCenter);
        m_widget = label;
    }
    m_worker = std::make_unique<Worker>(*this);
    m_pause.setSingleShot(true);
    m_pause.setInterval(kPauseMs);
    connect(&m_pause, &QTimer::timeout, this, &LivePage::update);
    connect(&session.followedText(), &FollowedText::changed, this, &LivePage::changed);
    connect(&session, &Session::foldersChanged, this, [this] {
        // The page's pictures come from its folder.
        if (m_session.previewFilePath() != m_path)
            changed();
    });
    connect(code, &QPlainTextEdit::cursorPositionChanged, this, &LivePage::cursorMoved);
}

LivePage::~LivePage()
{
    // No answer of the worker's may come to a view that is gone.
    m_worker.reset();
    delete m_widget.data();
}

void LivePage::setOn(bool on)
{
    m_on = on;
    m_widget->setVisible(on);
    if (on)
        changed();
}

void LivePage::setPhone(bool phone)
{
    if (m_view)
        m_view->setPhone(phone);
}

void LivePage::changed()
{
    ++m_serial;
    if (m_on && m_view)
        m_pause.start();
}

void LivePage::update()
{
    if (!m_on)
        return;
    const FollowedText &text = m_session.followedText();
    if (text.length() > kLongestShown) {
        m_view->showNotice(QStringLiteral(
            "Your page is too long to be shown here as you type. Press PREVIEW to see it."));
        return;
    }
    if (m_session.sessionFolder().isEmpty()) {
        m_view->showNotice(QStringLiteral("Your page shows here once its folder is chosen."));
        return;
    }
    *m_madeJob = {m_serial, text.pieces(), m_session.pageEncoding()};
    m_worker->make(*m_madeJob);
}

void LivePage::shownWhole(int serial)
{
    // Where the elements stand is read for the version that shows.
    if (serial == m_madeJob->serial && !m_madeJob->pieces.isEmpty()) {
        m_worker->read(*m_madeJob);
        m_madeJob->pieces.clear();
    }
    emit loaded(serial);
}

void LivePage::made(int serial, const QByteArray &bytes)
{
    if (serial < m_madeLast)
        return;
    m_madeLast = serial;
    m_view->showNotice(QString());
    // Where PREVIEW writes the page, so that its addresses lead to the same files.
    m_path = m_session.previewFilePath();
    m_view->showPage(bytes, m_path, serial);
}

void LivePage::parsed(const std::shared_ptr<const Parsed> &result)
{
    if (m_parsed)
        m_worker->dispose(std::move(m_parsed));
    m_parsed = result;
    shown(m_shown);
    selectClicked();
}

void LivePage::shown(int serial)
{
    m_shown = serial;
    if (!m_parsed || m_parsed->serial != serial)
        return;
    // A change out of view is brought into view, once.
    if (m_revealed != serial && m_parsed->changed >= 0)
        m_view->reveal(m_parsed->changed);
    m_revealed = serial;
    cursorMoved();
}

bool LivePage::current() const
{
    return m_parsed && m_parsed->serial == m_serial && m_shown == m_serial;
}

void LivePage::clicked(int element, const QString &tag)
{
    // Where the elements stand may be still being read: the click waits for it.
    m_click = {element, tag, m_shown};
    selectClicked();
}

void LivePage::selectClicked()
{
    if (m_click.serial < 0)
        return;
    if (m_click.serial != m_serial) {
        m_click.serial = -1; // the page has changed since: the click is no longer what it was
        return;
    }
    if (!current())
        return;
    const int chosen = elementForClick(m_parsed->elements, m_click.element, m_click.tag);
    m_click.serial = -1;
    if (chosen < 0)
        return;
    const ElementSpan &span = m_parsed->elements[size_t(chosen)];
    // The cursor at the start, so that the element's beginning shows.
    QTextCursor cursor(m_code->document());
    cursor.setPosition(int(span.end));
    cursor.setPosition(int(span.start), QTextCursor::KeepAnchor);
    m_code->setTextCursor(cursor);
    m_code->ensureCursorVisible();
}

void LivePage::cursorMoved()
{
    if (!current() || !m_view)
        return;
    m_view->outline(elementAt(m_parsed->elements, m_code->textCursor().position()));
}

} // namespace tarnwell
