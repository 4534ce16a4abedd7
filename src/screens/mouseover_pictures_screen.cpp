#include "mouseover_pictures_screen.h"

#include "document/session.h"
#include "html/links.h"
#include "mouseover_advice_screen.h"
#include "ui/controls.h"
#include "ui/interaction.h"
#include "ui/workspace.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarnwell {

MouseOverPicturesScreen::MouseOverPicturesScreen(Workspace &workspace, QWidget *parent)
    : ElementScreen(workspace, "Form18", QStringLiteral("MouseOver Pictures"), parent),
      m_import(workspace)
{
    restoreLinksOnCancel();
    m_one = makeOption(this, "Option1", QStringLiteral("One Mouseover Picture"));
    m_two = makeOption(this, "Option2", QStringLiteral("Two Mouseovers side by side"));
    auto *choices = named(optionGroup(this, QStringLiteral("Choices"), {m_one, m_two}), "Frame1");
    m_notCentred = makeOption(this, "Option3", QStringLiteral("Not centred"));
    m_centred = makeOption(this, "Option4", QStringLiteral("Centred"));
    auto *centring =
        named(optionGroup(this, QStringLiteral("Centred?"), {m_notCentred, m_centred}), "Frame2");
    m_add = makeButton(this, "Command6", QStringLiteral("Add to page"));

    // Two columns of three rows: normal image, image under the mouse, name.
    struct Row
    {
        const char *label;
        QString caption;
        const char *box;
        const char *find;
        QString findCaption;
    };
    const Row rows[6] = {
        {"Label1", QStringLiteral("First image"), "Text1", "Command1",
         QStringLiteral("Find First image")},
        {"Label2", QStringLiteral("Second image"), "Text2", "Command2",
         QStringLiteral("Find Second image")},
        {"Label7",
         QStringLiteral("New name for the mouseover e.g. stmarksquare"),
         "Text5",
         nullptr,
         {}},
        {"Label3", QStringLiteral("First image"), "Text3", "Command3",
         QStringLiteral("Find First image")},
        {"Label4", QStringLiteral("Second image"), "Text4", "Command4",
         QStringLiteral("Find Second image")},
        {"Label6", QStringLiteral("New name for the mousover e.g. gondola5"), "Text6", nullptr, {}},
    };
    const int boxIndex[6] = {0, 1, 4, 2, 3, 5}; // Text1, Text2, Text5, Text3, Text4, Text6
    auto *grid = new QGridLayout;
    for (int i = 0; i < 6; ++i) {
        const int column = i < 3 ? 0 : 2;
        const int row = (i % 3) * 2;
        auto *label = wrappedLabel(this, rows[i].label, rows[i].caption);
        QLineEdit *box = named(new QLineEdit(this), rows[i].box);
        label->setBuddy(box);
        m_boxes[boxIndex[i]] = box;
        if (!rows[i].find)
            m_nameLabels.append(label);
        grid->addWidget(label, row, column, 1, 2);
        grid->addWidget(box, row + 1, column);
        if (rows[i].find) {
            QPushButton *find = makeButton(this, rows[i].find, rows[i].findCaption);
            grid->addWidget(find, row + 1, column + 1);
            if (i == 3 || i == 4)
                m_findSecondPair[i - 3] = find;
            connect(find, &QPushButton::clicked, this, [this, box] {
                box->setEnabled(true);
                box->setText(m_import.find(this, m_add));
            });
        }
    }

    QPushButton *cancelButton = makeButton(this, "Command5", QStringLiteral("Cancel"));
    QPushButton *advice = makeButton(this, "Command7", QStringLiteral("Advice"));
    auto *samples = new QHBoxLayout;
    samples->addWidget(samplePicture(this, "Picture1", QStringLiteral("Picture"), 90, 70));
    samples->addWidget(samplePicture(this, "Picture2", QStringLiteral("Mouse over it"), 90, 70));
    samples->addWidget(samplePicture(this, "Picture3", QStringLiteral("It changes"), 90, 70));
    samples->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(choices);
    top->addWidget(wrappedLabel(this, "Label5", QStringLiteral("Max width about 300 pixels each")));
    top->addLayout(samples);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(advice);
    buttons->addStretch();
    buttons->addWidget(cancelButton);
    buttons->addWidget(m_add);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(grid);
    QLabel *nameAdvice = wrappedLabel(
        this, "Label8",
        QStringLiteral("(No spaces in the new name and not a name used already in this page)"));
    m_nameLabels.append(nameAdvice);
    layout->addWidget(nameAdvice);
    layout->addLayout(m_description.layout());
    layout->addWidget(centring);
    layout->addLayout(buttons);

    connect(m_one, &QRadioButton::clicked, this, &MouseOverPicturesScreen::showState);
    connect(m_two, &QRadioButton::clicked, this, &MouseOverPicturesScreen::showState);
    connect(m_add, &QPushButton::clicked, this, &MouseOverPicturesScreen::addToPage);
    connect(cancelButton, &QPushButton::clicked, this, &MouseOverPicturesScreen::cancel);
    connect(advice, &QPushButton::clicked, this,
            [this] { MouseOverAdviceScreen::open(m_workspace); });
    m_one->setChecked(true);
    m_notCentred->setChecked(true);
    showState();
}

void MouseOverPicturesScreen::open()
{
    bringToFront(this);
    m_one->setChecked(true);
    m_notCentred->setChecked(true);
    for (QLineEdit *box : m_boxes)
        box->clear();
    m_description.clear();
    showState();
}

void MouseOverPicturesScreen::showState()
{
    const bool two = m_two->isChecked();
    const bool named = !modern(); // a modern page's pictures change without names
    for (QWidget *control :
         QWidgetList{m_boxes[2], m_boxes[3], m_findSecondPair[0], m_findSecondPair[1]})
        control->setVisible(two);
    m_boxes[4]->setVisible(named);
    m_boxes[5]->setVisible(named && two);
    for (QWidget *label : m_nameLabels)
        label->setVisible(named);
    m_description.show(modern(), two ? 2 : 1);
}

bool MouseOverPicturesScreen::namesWork(const QStringList &names)
{
    const NameCheck check = checkMouseOverNames(names, m_workspace.session().page().text());
    if (check.fault == NameFault::None)
        return true;
    // By fault, in the order NameFault lists them.
    static const char *const why[] = {
        nullptr,
        "will not work: a MouseOver name must begin with a letter and hold only letters, digits "
        "and _ (no spaces).",
        "will not work: web pages already use that word for something else.",
        "is used already in this page. Two pictures with the same name both stop changing.",
        "is given to both pictures. Two pictures with the same name both stop changing."};
    m_workspace.interaction().showMessage(
        this,
        QStringLiteral("The name \"%1\" %2 Please choose another name.")
            .arg(check.name, QLatin1String(why[int(check.fault)])),
        Interaction::Icon::Critical);
    return false;
}

void MouseOverPicturesScreen::addToPage()
{
    const bool two = m_two->isChecked();
    const bool named = !modern();
    const auto empty = [this](int index) { return m_boxes[index]->text().isEmpty(); };
    if (empty(0) || empty(1) || (named && empty(4)) ||
        (two && (empty(2) || empty(3) || (named && empty(5))))) {
        m_workspace.interaction().showMessage(
            this, QStringLiteral("You have not filled in all the boxes!"),
            Interaction::Icon::Critical);
        return;
    }
    if (!described(m_description, two ? 2 : 1))
        return;
    if (!named) {
        const ModernMouseOver first{pagePicture(m_boxes[0]->text(), m_description.alt(0)),
                                    m_boxes[1]->text()};
        const ModernMouseOver second{pagePicture(m_boxes[2]->text(), m_description.alt(1)),
                                     m_boxes[3]->text()};
        append(modernMouseOverPictures(first, two ? &second : nullptr, m_centred->isChecked()));
        finish();
        return;
    }
    const MouseOverPicture first{m_boxes[4]->text(), m_boxes[0]->text(), m_boxes[1]->text()};
    const MouseOverPicture second{m_boxes[5]->text(), m_boxes[2]->text(), m_boxes[3]->text()};
    if (!namesWork(two ? QStringList{first.name, second.name} : QStringList{first.name}))
        return;
    append(buildMouseOverPictures(first, two ? &second : nullptr, m_centred->isChecked()));
    finish();
}

} // namespace tarnwell
