#pragma once

#include <QPointer>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QSplitter;
class QPlainTextEdit;
class QPushButton;

namespace tarnwell {

class LivePage;
class Workspace;

// The hub: shows the page body for editing, adds breaks, previews, saves,
// loads, clears and ends the program; the element buttons open their screens.
class SelectionScreen final : public QWidget
{
    Q_OBJECT

public:
    explicit SelectionScreen(Workspace &workspace, QWidget *parent = nullptr);
    ~SelectionScreen() override;

    void focusPreview();

    // Once hidden, "Back" stays hidden until the page is cleared: going back
    // would throw away what was added.
    void hideBack();

    // Adds a fragment at the end of the page and shows it.
    void appendToPage(const QString &fragment);

    QWidget *browser() const { return m_browser; }

    // SAVE my file: true when the page was written.
    bool save();

    // Before the page's changes not saved are thrown away (the program ends,
    // the page is cleared, another is loaded): asks about them, and saves
    // when asked to. True when they may go.
    enum class Leaving { End, Clear, Load };
    bool mayLeaveChanges(QWidget *asker, Leaving leaving);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private slots:
    void writePreview();

private:
    void preview();
    void loadExisting();
    void clearPage();
    void back();
    void exitProgram();
    void showFolder();
    void showPageMode();
    void showLastSave();
    void showLivePage();

    Workspace &m_workspace;
    QPlainTextEdit *m_page = nullptr;
    QLabel *m_folder = nullptr;
    QLabel *m_pageMode = nullptr;
    QLabel *m_lastSave = nullptr;
    QPushButton *m_back = nullptr;
    QPushButton *m_preview = nullptr;
    QPointer<QWidget> m_browser;
    QSplitter *m_splitter = nullptr;
    LivePage *m_live = nullptr;
    QCheckBox *m_showPage = nullptr;
    QComboBox *m_liveWidth = nullptr;
};

} // namespace tarnwell
