#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>
#include <vector>

class QPlainTextEdit;
class QWidget;

namespace tarnwell {

class LiveView;
class Session;
struct ElementSpan;

// The page as a browser draws it, beside its code: it follows every change
// of the page a moment after it, a click on a part of it selects that part's
// code, and the element that the cursor is in is outlined. Typing never waits
// for it: a worker thread makes the page's bytes and finds where each element
// stands in the text, and only the newest text is shown.
class LivePage final : public QObject
{
    Q_OBJECT

public:
    LivePage(Session &session, QPlainTextEdit *code, QWidget *parent);
    ~LivePage() override;

    // The view, or a few words why there is none.
    QWidget *widget() const { return m_widget; }

    // Off, the page is neither written nor shown.
    void setOn(bool on);
    void setPhone(bool phone);

signals:
    // The page as it was when that version was taken has loaded in the view.
    void loaded(int version);

private:
    class Worker;
    struct Job;
    struct Parsed;

    void changed();
    void update();
    void made(int serial, const QByteArray &bytes);
    void shownWhole(int serial);
    void parsed(const std::shared_ptr<const Parsed> &result);
    void shown(int serial);
    void clicked(int element, const QString &tag);
    void selectClicked();
    void cursorMoved();
    bool current() const;

    Session &m_session;
    QPlainTextEdit *m_code;
    QPointer<QWidget> m_widget;
    LiveView *m_view = nullptr;
    QTimer m_pause;
    bool m_on = false;
    int m_serial = 0;       // the page's version now
    int m_shown = -1;       // the version the view shows
    int m_madeLast = -1;    // the version whose bytes were made last
    std::unique_ptr<Job> m_madeJob;
    QString m_path;         // where the page shown would be written
    std::shared_ptr<const Parsed> m_parsed;
    int m_revealed = -1;    // the version whose change was brought into view
    struct Click
    {
        int element = -1;
        QString tag;
        int serial = -1; // of the version clicked; -1, none waiting
    } m_click;
    std::unique_ptr<Worker> m_worker;
};

} // namespace tarnwell
