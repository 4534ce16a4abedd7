#include "selection_screen.h"

#include "add_picture_screen.h"
#include "another_heading_screen.h"
#include "background_screen.h"
#include "button_advice_screen.h"
#include "check_page_screen.h"
#include "document/files.h"
#include "document/session.h"
#include "head_screen.h"
#include "html/breaks.h"
#include "html/modern.h"
#include "html_editing_screen.h"
#include "live_page.h"
#include "load_advice_screen.h"
#include "mouseover_pictures_screen.h"
#include "paragraph_screen.h"
#include "preview/browser_loader.h"
#include "publish_screen.h"
#include "ruler_screen.h"
#include "start_screen.h"
#include "text_picture_screen.h"
#include "two_images_screen.h"
#include "ui/controls.h"
#include "ui/interaction.h"
#include "ui/workspace.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QTextDocument>
#include <QVBoxLayout>

namespace tarnwell {

namespace {
// Where the live page's choices are kept between runs.
const QString kShowPageKey = QStringLiteral("livePage/shown");
const QString kPhoneKey = QStringLiteral("livePage/phone");
const QString kSplitterKey = QStringLiteral("livePage/splitter");
} // namespace

SelectionScreen::SelectionScreen(Workspace &workspace, QWidget *parent)
    : QWidget(parent), m_workspace(workspace)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Selection"));

    // The field edits the page body itself, so every append and every edit by
    // hand are one and the same text.
    QTextDocument *document = m_workspace.session().page().document();
    document->setDocumentLayout(new QPlainTextDocumentLayout(document));
    m_page = named(new QPlainTextEdit(this), "Text1");
    m_page->setDocument(document);
    m_page->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_page->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_page->setMinimumSize(240, 380);
    m_page->setAccessibleName(QStringLiteral("Your page in HTML"));
    // Tab would otherwise stay in the page for good, out of reach of the buttons.
    m_page->setTabChangesFocus(true);

    auto *folderCaption = named(new QLabel(QStringLiteral("FOLDER: "), this), "Label4");
    m_folder = named(new QLabel(this), "Label2");
    m_folder->setTextFormat(Qt::PlainText);
    m_pageMode = named(new QLabel(this), "PageMode");
    auto *addThings = named(new QLabel(QStringLiteral("Add things..."), this), "Label1");
    auto *note =
        named(new QLabel(QStringLiteral("Max number of words is  9500  approx"), this), "Label3");
    m_lastSave = named(new QLabel(this), "LastSave");
    m_lastSave->setTextFormat(Qt::PlainText);

    // Element buttons: each opens its own screen. Those that keep this screen
    // in view hide "Back"; those that hide it leave "Back" as it is.
    auto *elements = new QVBoxLayout;
    elements->addWidget(addThings);
    const auto element = [this, elements](const char *name, const char *caption, auto open) {
        QPushButton *button = makeButton(this, name, QLatin1String(caption));
        elements->addWidget(button);
        connect(button, &QPushButton::clicked, this, open);
    };
    element("Command4", "Paragraph", [this] {
        hideBack();
        m_workspace.screen<ParagraphScreen>()->open();
    });
    element("Command11", "Another Heading", [this] {
        hideBack();
        m_workspace.screen<AnotherHeadingScreen>()->open();
    });
    element("Command9", "Ruler line", [this] {
        hideBack();
        m_workspace.screen<RulerScreen>()->open();
    });
    element("Command5", "Pre-sized picture", [this] {
        hideBack();
        m_workspace.screen<AddPictureScreen>()->open();
    });
    element("Command13", "   Two pre-sized pictures  side by side", [this] {
        hide();
        m_workspace.screen<TwoImagesScreen>()->open();
    });
    element("Command7", "   Text and Picture          side by side", [this] {
        hide();
        m_workspace.screen<TextPictureScreen>()->open();
    });
    element("Command6", " 'MouseOver' Pictures/photos", [this] {
        m_workspace.interaction().showMessage(
            this, QStringLiteral("Pictures/photos need to be about the same size OK?"),
            Interaction::Icon::None);
        hideBack();
        m_workspace.screen<MouseOverPicturesScreen>()->open();
    });
    element("Command8", "Link to another page (includes buttons)", [this] {
        hideBack();
        bringToFront(m_workspace.screen<ButtonAdviceScreen>());
    });
    QPushButton *lineBreak = makeButton(this, "Command15", QStringLiteral(" <B> (line break)"));
    QPushButton *paragraphBreak =
        makeButton(this, "Command12", QStringLiteral("<P> (paragraph break)"));
    elements->addWidget(lineBreak);
    elements->addWidget(paragraphBreak);
    elements->addStretch();

    m_preview = makeButton(this, "Command3", QStringLiteral("PREVIEW"));
    QPushButton *save = makeButton(this, "Command10", QStringLiteral("SAVE my file"));
    QPushButton *load = makeButton(this, "Command17", QStringLiteral("Load Existing file"));
    QPushButton *clear = makeButton(this, "Command16", QStringLiteral("Clear the page (new)"));
    m_back = makeButton(this, "Command2", QStringLiteral("Back"));
    QPushButton *advice = makeButton(this, "Command14", QStringLiteral("Editing Advice"));
    QPushButton *exit = makeButton(this, "Command1", QStringLiteral("Exit Program"));
    QPushButton *check = makeButton(this, "CheckPage", QStringLiteral("Check page"));
    QPushButton *publish = makeButton(this, "Publish", QStringLiteral("Publish"));
    auto *actions = new QHBoxLayout;
    for (QPushButton *button : {m_preview, check, publish, save, load, clear, m_back, advice, exit})
        actions->addWidget(button);

    // The page as a browser draws it, beside its code.
    m_splitter = named(new QSplitter(Qt::Horizontal, this), "PageSplitter");
    m_splitter->setChildrenCollapsible(false);
    m_splitter->addWidget(m_page);
    m_live = new LivePage(m_workspace.session(), m_page, m_splitter);
    m_splitter->addWidget(m_live->widget());
    m_showPage = named(new QCheckBox(QStringLiteral("Show my page"), this), "ShowPage");
    m_liveWidth = named(new QComboBox(this), "LiveWidth");
    m_liveWidth->addItems({QStringLiteral("Computer"), QStringLiteral("Phone")});
    m_liveWidth->setAccessibleName(QStringLiteral("Show my page as on a"));
    const QSettings settings;
    m_showPage->setChecked(settings.value(kShowPageKey, true).toBool());
    m_liveWidth->setCurrentIndex(settings.value(kPhoneKey, false).toBool() ? 1 : 0);
    m_splitter->restoreState(settings.value(kSplitterKey).toByteArray());

    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(folderCaption);
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(m_showPage);
    folderRow->addWidget(m_liveWidth);

    auto *pageColumn = new QVBoxLayout;
    pageColumn->addLayout(folderRow);
    pageColumn->addWidget(m_pageMode);
    pageColumn->addWidget(m_splitter, 1);
    pageColumn->addWidget(note);
    pageColumn->addWidget(m_lastSave);

    auto *body = new QHBoxLayout;
    body->addLayout(pageColumn, 1);
    body->addLayout(elements);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(actions);

    connect(lineBreak, &QPushButton::clicked, this, [this] {
        appendToPage(m_workspace.session().isModern() ? modernLineBreak() : tarnwell::lineBreak());
    });
    connect(paragraphBreak, &QPushButton::clicked, this, [this] {
        appendToPage(m_workspace.session().isModern() ? modernParagraphBreak()
                                                      : tarnwell::paragraphBreak());
    });
    connect(m_preview, &QPushButton::clicked, this, &SelectionScreen::preview);
    connect(save, &QPushButton::clicked, this, &SelectionScreen::save);
    connect(load, &QPushButton::clicked, this, &SelectionScreen::loadExisting);
    connect(clear, &QPushButton::clicked, this, &SelectionScreen::clearPage);
    connect(m_back, &QPushButton::clicked, this, &SelectionScreen::back);
    connect(exit, &QPushButton::clicked, this, &SelectionScreen::exitProgram);
    connect(check, &QPushButton::clicked, this,
            [this] { m_workspace.screen<CheckPageScreen>()->open(); });
    connect(publish, &QPushButton::clicked, this,
            [this] { m_workspace.screen<PublishScreen>()->open(); });
    connect(advice, &QPushButton::clicked, this,
            [this] { bringToFront(m_workspace.screen<HtmlEditingScreen>()); });
    connect(m_showPage, &QCheckBox::toggled, this, &SelectionScreen::showLivePage);
    connect(m_liveWidth, &QComboBox::currentIndexChanged, this, &SelectionScreen::showLivePage);
    connect(m_splitter, &QSplitter::splitterMoved, this,
            [this] { QSettings().setValue(kSplitterKey, m_splitter->saveState()); });
    showLivePage();
    connect(&m_workspace.session(), &Session::foldersChanged, this, &SelectionScreen::showFolder);
    connect(&m_workspace.session(), &Session::pageModeChanged, this,
            &SelectionScreen::showPageMode);
    showFolder();
    showPageMode();
    resize(900, 640);
}

SelectionScreen::~SelectionScreen()
{
    delete m_browser.data();
}

void SelectionScreen::focusPreview()
{
    m_preview->setFocus();
}

void SelectionScreen::hideBack()
{
    m_back->hide();
}

void SelectionScreen::appendToPage(const QString &fragment)
{
    m_workspace.session().page().append(fragment);
    m_page->moveCursor(QTextCursor::End);
    m_page->ensureCursorVisible();
}

void SelectionScreen::writePreview()
{
    m_workspace.session().writePreview(); // a failure shows in the viewer, not as a message
}

void SelectionScreen::preview()
{
    Session &session = m_workspace.session();
    writePreview();
    delete m_browser.data();
    QString whyNot;
    m_browser = createBrowserScreen(session.previewUrl(), &whyNot);
    if (m_browser) {
        // Refresh and Home in the browser show the page as it is then.
        connect(m_browser, SIGNAL(startingPageWanted()), this, SLOT(writePreview()));
        m_browser->showMaximized();
    } else
        m_workspace.interaction().showMessage(
            this, QStringLiteral("The preview could not be started: ") + whyNot,
            Interaction::Icon::Critical);
}

bool SelectionScreen::save()
{
    Interaction &ui = m_workspace.interaction();
    Session &session = m_workspace.session();
    ui.showMessage(this, QStringLiteral("Make sure you save to your session folder."),
                   Interaction::Icon::Information);
    const QString chosen = ui.chooseFileToSave(this, QStringLiteral("Save File"),
                                               session.saveFolder(), QStringLiteral("*.html"));
    if (chosen.isEmpty()) {
        ui.showMessage(this, QStringLiteral("You cancelled."), Interaction::Icon::Information);
        return false;
    }
    const QString fileName = withPageExtension(chosen);
    if (QFileInfo::exists(fileName) &&
        !ui.askYesNo(this,
                     QStringLiteral("This file already exists. Do you want to overwrite it?")))
        return false;
    QString error;
    if (session.savePage(fileName, &error)) {
        showLastSave();
        return true;
    }
    ui.showMessage(this, QStringLiteral("The page was not saved: ") + error,
                   Interaction::Icon::Critical);
    return false;
}

void SelectionScreen::loadExisting()
{
    if (!mayLeaveChanges(this, Leaving::Load))
        return;
    m_workspace.session().setExistingFileMode(1);
    bringToFront(m_workspace.screen<LoadAdviceScreen>());
}

void SelectionScreen::clearPage()
{
    if (!mayLeaveChanges(this, Leaving::Clear))
        return;
    Session &session = m_workspace.session();
    session.clearPage();
    session.setSelectionFolder(session.selectionFolderCaption(), QString());
    m_back->show();
    hide();
    m_workspace.screen<HeadScreen>()->clearHeading();
    bringToFront(m_workspace.screen<StartScreen>());
    session.setExistingFileMode(0);
}

void SelectionScreen::back()
{
    m_workspace.session().clearPage();
    hide();
    m_workspace.screen<BackgroundScreen>()->showAfterPageCleared();
}

void SelectionScreen::exitProgram()
{
    // Unchanged since it was saved or loaded: the old question is enough.
    if (!m_workspace.session().hasUnsavedChanges()) {
        if (m_workspace.interaction().askYesNo(this, QStringLiteral("Saved your file?")))
            m_workspace.quit();
        return;
    }
    if (mayLeaveChanges(this, Leaving::End))
        m_workspace.quit();
}

bool SelectionScreen::mayLeaveChanges(QWidget *asker, Leaving leaving)
{
    if (!m_workspace.session().hasUnsavedChanges())
        return true;
    const QString before = leaving == Leaving::End ? QStringLiteral("Tarnwell ends")
                           : leaving == Leaving::Clear
                               ? QStringLiteral("Tarnwell clears the page")
                               : QStringLiteral("Tarnwell loads another page");
    switch (m_workspace.interaction().askToSave(
        asker, QStringLiteral("Your page has changes that are not saved. Save them before %1?")
                   .arg(before))) {
    case Interaction::SaveChoice::Save:
        return save();
    case Interaction::SaveChoice::DontSave:
        return true;
    case Interaction::SaveChoice::Cancel:
        break;
    }
    return false;
}

void SelectionScreen::showLastSave()
{
    const Session &session = m_workspace.session();
    m_lastSave->setText(session.lastSaveName().isEmpty()
                            ? QString()
                            : QStringLiteral("Saved as %1 at %2")
                                  .arg(session.lastSaveName(),
                                       session.lastSaveTime().toString(QStringLiteral("HH:mm"))));
}

void SelectionScreen::showEvent(QShowEvent *event)
{
    // The page may have been cleared or another one loaded meanwhile.
    showLastSave();
    QWidget::showEvent(event);
}

void SelectionScreen::showFolder()
{
    m_folder->setText(m_workspace.session().selectionFolderCaption());
}

void SelectionScreen::showLivePage()
{
    const bool phone = m_liveWidth->currentIndex() == 1;
    m_live->setOn(m_showPage->isChecked());
    m_live->setPhone(phone);
    m_liveWidth->setEnabled(m_showPage->isChecked());
    QSettings settings;
    settings.setValue(kShowPageKey, m_showPage->isChecked());
    settings.setValue(kPhoneKey, phone);
}

void SelectionScreen::showPageMode()
{
    m_pageMode->setText(m_workspace.session().isModern()
                            ? QStringLiteral("Page for phones and today's browsers")
                            : QStringLiteral("Classic page"));
}

void SelectionScreen::closeEvent(QCloseEvent *event)
{
    // The close box asks as "Exit Program" does.
    event->ignore();
    exitProgram();
}

} // namespace tarnwell
