#include "head_screen.h"

#include "background_screen.h"
#include "document/session.h"
#include "html/head.h"
#include "html/modern.h"
#include "start_screen.h"
#include "ui/controls.h"
#include "ui/interaction.h"
#include "ui/workspace.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarnwell {

namespace {
// Colours that read well on a light page, as a hint.
QGroupBox *colourSamples(QWidget *parent)
{
    auto *group =
        new QGroupBox(QStringLiteral("Choose colours like these that can be seen!"), parent);
    auto *layout = new QHBoxLayout(group);
    for (const char *colour : {"#000080", "#800000", "#006400", "#000000", "#4B0082"}) {
        auto *sample = new QLabel(group);
        sample->setFixedSize(25, 25);
        sample->setStyleSheet(QStringLiteral("background-color: %1;").arg(QLatin1String(colour)));
        layout->addWidget(sample);
    }
    layout->addStretch();
    return group;
}

QString languageTag(QLocale::Language language)
{
    return QLocale(language).bcp47Name().section(QLatin1Char('-'), 0, 0);
}

// Every language Qt knows by its tag and English name, the system's first
// (English where the system names none), the rest by name.
void fillLanguages(QComboBox *list)
{
    QLocale::Language own = QLocale::system().language();
    if (own == QLocale::C || own == QLocale::AnyLanguage)
        own = QLocale::English;
    QMap<QString, QString> byName; // name -> tag
    for (const QLocale &locale : QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript,
                                                          QLocale::AnyTerritory)) {
        const QLocale::Language language = locale.language();
        if (language == QLocale::C || language == own)
            continue;
        const QString tag = languageTag(language);
        if (tag.size() >= 2 && tag.size() <= 3)
            byName.insert(QLocale::languageToString(language), tag);
    }
    const auto add = [list](const QString &name, const QString &tag) {
        list->addItem(QStringLiteral("%1 (%2)").arg(name, tag), tag);
    };
    add(QLocale::languageToString(own), languageTag(own));
    for (auto it = byName.cbegin(); it != byName.cend(); ++it)
        add(it.key(), it.value());
}
} // namespace

HeadScreen::HeadScreen(Workspace &workspace, QWidget *parent)
    : QWidget(parent), m_workspace(workspace)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("HEAD"));

    auto *titleLabel = wrappedLabel(
        this, "Label1",
        QStringLiteral("Type the short Title here It will look like this on your page"));
    m_title = named(new QLineEdit(this), "Text1");
    m_title->setFont(QFont(QStringLiteral("Arial"), m_title->font().pointSize()));
    setTextColour(m_title, m_colour.number());
    titleLabel->setBuddy(m_title);

    auto *headingLabel = wrappedLabel(
        this, "Label2", QStringLiteral("Type Main Heading e.g. Welcome to my Science pages"));
    m_heading = named(new QPlainTextEdit(this), "Text2");
    m_heading->setFont(QFont(QStringLiteral("Times New Roman"), m_heading->font().pointSize() + 4));
    m_heading->setTabChangesFocus(true);
    m_heading->setFixedHeight(m_heading->fontMetrics().lineSpacing() * 3);
    setTextColour(m_heading, m_colour.number());
    headingLabel->setBuddy(m_heading);

    auto *optionsLabel = wrappedLabel(
        this, "Label3", QStringLiteral("Then choose size, font and colour from the options"));

    m_h1 = makeOption(this, "Option1", QStringLiteral("H1 size"));
    m_h2 = makeOption(this, "Option2", QStringLiteral("H2 size"));
    m_h3 = makeOption(this, "Option3", QStringLiteral(" H3 size"));
    QRadioButton *times = makeOption(this, "Option4", QStringLiteral("Times Roman"));
    m_arial = makeOption(this, "Option5", QStringLiteral("Arial, Helvetica"));
    m_centred = makeOption(this, "Option6", QStringLiteral("Centered"));
    QRadioButton *notCentred = makeOption(this, "Option7", QStringLiteral("Not"));
    auto *options = new QHBoxLayout;
    options->addWidget(
        optionGroup(this, QStringLiteral("Size of Heading Font"), {m_h1, m_h2, m_h3}));
    options->addWidget(optionGroup(this, QStringLiteral("Font"), {times, m_arial}));
    options->addWidget(
        optionGroup(this, QStringLiteral("Centered Heading?"), {m_centred, notCentred}));
    // Checked once grouped: options are exclusive among their siblings.
    m_h1->setChecked(true);
    times->setChecked(true);
    notCentred->setChecked(true);

    QPushButton *colour = makeButton(this, "Command2", QStringLiteral("Choose text colour"));
    QPushButton *next = makeButton(this, "Command1", QStringLiteral("Next"));
    QPushButton *back = makeButton(this, "Command3", QStringLiteral("Back"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(colour);
    buttons->addStretch();
    buttons->addWidget(back);
    buttons->addWidget(next);

    m_modern =
        named(new QCheckBox(QStringLiteral("Make a page for phones and today's browsers"), this),
              "ModernPage");
    m_language = named(new QComboBox(this), "PageLanguage");
    fillLanguages(m_language);
    m_languageLabel =
        named(new QLabel(QStringLiteral("The language the page is written in"), this), "Label9");
    m_languageLabel->setBuddy(m_language);
    m_description = named(new QLineEdit(this), "Description");
    m_descriptionLabel = wrappedLabel(
        this, "Label10",
        QStringLiteral("What the page is about, in a sentence, for search engines (if you like)"));
    m_descriptionLabel->setBuddy(m_description);
    auto *modernRow = new QHBoxLayout;
    modernRow->addWidget(m_languageLabel);
    modernRow->addWidget(m_language, 1);

    m_folder = named(new QLabel(this), "Label8");
    m_folder->setTextFormat(Qt::PlainText);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(titleLabel);
    layout->addWidget(m_title);
    layout->addWidget(headingLabel);
    layout->addWidget(m_heading);
    layout->addWidget(optionsLabel);
    layout->addLayout(options);
    layout->addWidget(colourSamples(this));
    layout->addWidget(m_descriptionLabel);
    layout->addWidget(m_description);
    layout->addWidget(m_modern);
    layout->addLayout(modernRow);
    layout->addLayout(buttons);
    layout->addWidget(m_folder);

    connect(colour, &QPushButton::clicked, this, &HeadScreen::chooseColour);
    connect(next, &QPushButton::clicked, this, &HeadScreen::next);
    connect(m_modern, &QCheckBox::toggled, this, &HeadScreen::showState);
    connect(back, &QPushButton::clicked, this, &HeadScreen::back);
    connect(&m_workspace.session(), &Session::foldersChanged, this, &HeadScreen::showFolder);
    showFolder();
    showState();
    resize(560, 520);
}

void HeadScreen::chooseColour()
{
    m_colour.choose(m_workspace.interaction(), this, m_heading);
}

void HeadScreen::next()
{
    const int size = m_h1->isChecked() ? 1 : m_h2->isChecked() ? 2 : 3;
    const HeadingFont font =
        m_arial->isChecked() ? HeadingFont::ArialHelvetica : HeadingFont::TimesRoman;
    Session &session = m_workspace.session();
    const bool modern = m_modern->isChecked();
    session.setPageMode(modern, m_language->currentData().toString(), m_description->text());
    const auto heading = modern ? modernHeading : buildHeading;
    session.setHead(m_title->text(), heading(typedText(m_heading), size, m_colour.digits(), font,
                                             m_centred->isChecked()));
    hide();
    m_workspace.screen<BackgroundScreen>()->showFromHead();
}

void HeadScreen::clearHeading()
{
    m_heading->clear();
}

void HeadScreen::back()
{
    hide();
    bringToFront(m_workspace.screen<StartScreen>());
}

void HeadScreen::showFolder()
{
    m_folder->setText(m_workspace.session().headFolder());
}

void HeadScreen::showState()
{
    // The description serves both pages; the language only the page for phones.
    const bool modern = m_modern->isChecked();
    for (QWidget *control : QWidgetList{m_languageLabel, m_language})
        control->setVisible(modern);
}

void HeadScreen::closeEvent(QCloseEvent *event)
{
    // The close box is "Back".
    event->ignore();
    back();
}

} // namespace tarnwell
