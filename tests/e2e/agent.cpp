// Loaded into the program under test (LD_PRELOAD) and driven by the e2e
// tests over a local socket: it carries out their steps (see driver.h) on the
// real screens and the real dialogs. It does nothing unless
// TARNWELL_E2E_SOCKET names the tests' socket.

#include <QLocalSocket>
#include <QTest>
#include <QtWidgets>
#include <cmath>
#include <dlfcn.h>
#include <functional>
#include <memory>

namespace {

// Every screen the program has made in this run, though it may since have
// been closed for good.
QSet<QString> screensMade;

// A screen that lives in the main window (the program marks those it takes in).
bool isScreen(const QWidget *widget)
{
    return widget->property("tarnwellScreen").toBool();
}

// The screens in the main window and the windows of their own.
QWidgetList screens()
{
    QWidgetList all;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        all << window;
        const QWidgetList children = window->findChildren<QWidget *>();
        for (QWidget *child : children) {
            if (isScreen(child))
                all << child;
        }
    }
    return all;
}

// Whether a screen is open: shown in the main window, though perhaps under
// another; a window of its own is open when it is visible.
bool isOpen(const QWidget *screen)
{
    return isScreen(screen) ? !screen->isHidden() : screen->isVisible();
}

// Whether a control would be seen were its screen a window of its own: its
// screen open, and the control shown on it.
bool isShownOnItsScreen(const QWidget *widget)
{
    const QWidget *screen = widget;
    while (!isScreen(screen) && !screen->isWindow())
        screen = screen->parentWidget();
    if (!isScreen(screen))
        return widget->isVisible();
    return isOpen(screen) && (widget == screen || widget->isVisibleTo(screen));
}

// A window shown on its own but the main window, dialogs, menus, drop-down
// lists, tooltips and the Browser screen, which is a browser.
QString strayWindow()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = window->windowType();
        // A screen shown beside the others is a dialog of the main window's.
        const bool dialog =
            qobject_cast<QDialog *>(window) || (type == Qt::Dialog && window->parentWidget() &&
                                                window->parentWidget()->objectName() == "Form13");
        if (!window->isVisible() || window->objectName() == "Form13" ||
            window->objectName() == "Form27" || dialog || type == Qt::Popup || type == Qt::ToolTip)
            continue;
        return QString("%1 \"%2\" (%3)")
            .arg(window->objectName(), window->windowTitle(), window->metaObject()->className());
    }
    return {};
}

// "Form4" is a screen, "Form4/Command10" one of its controls; a toolbar
// action stands for its button, an editable drop-down list for its field.
QWidget *resolve(const QString &path)
{
    const QString form = path.section('/', 0, 0);
    const QString control = path.section('/', 1);
    QWidget *screen = nullptr;
    for (QWidget *widget : screens()) {
        screensMade.insert(widget->objectName());
        if (widget->objectName() == form && (!screen || isOpen(widget)))
            screen = widget;
    }
    if (!screen || control.isEmpty())
        return screen;
    QObject *object = screen->findChild<QObject *>(control);
    if (auto *action = qobject_cast<QAction *>(object)) {
        const QObjectList users = action->associatedObjects();
        for (QObject *user : users) {
            if (qobject_cast<QAbstractButton *>(user))
                return static_cast<QWidget *>(user);
        }
    }
    return qobject_cast<QWidget *>(object);
}

QString textOf(QWidget *widget)
{
    // Labels, buttons and fields; the text of a drop-down list's choice.
    for (const char *property : {"plainText", "currentText", "text"}) {
        if (const QVariant text = widget->property(property); text.isValid())
            return text.toString();
    }
    QStringList rows;
    if (auto *view = qobject_cast<QAbstractItemView *>(widget)) {
        const QAbstractItemModel *model = view->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < model->columnCount(); ++column)
                cells << model->index(row, column).data().toString();
            rows << cells.join(" | ");
        }
    }
    return rows.join('\n');
}

// Key presses carrying any character, not only Latin-1 ones.
void typeText(QWidget *field, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == '\n') {
            QTest::keyClick(field, Qt::Key_Return);
            continue;
        }
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, text.mid(i, length),
                            Qt::NoModifier);
        i += length - 1;
    }
}

void click(QWidget *widget, QPoint at = {})
{
    // An option or a tick box answers on its indicator and its words, not
    // anywhere in the space the layout gives it, which a wide window widens.
    const bool option = qobject_cast<QRadioButton *>(widget);
    if ((option || qobject_cast<QCheckBox *>(widget)) && at.isNull()) {
        QStyleOptionButton style;
        style.initFrom(widget);
        at = widget->style()
                 ->subElementRect(option ? QStyle::SE_RadioButtonIndicator
                                         : QStyle::SE_CheckBoxIndicator,
                                  &style, widget)
                 .center();
    }
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
}

// Actions sent but not yet begun: what they open is not there yet.
int actionsPending = 0;

// Actions run from the event loop after the reply has gone, because a button
// may open a dialog whose own loop would hold the reply back.
template <class Action>
QString later(QWidget *target, Action action)
{
    ++actionsPending;
    QTimer::singleShot(0, qApp, [target = QPointer<QWidget>(target), action] {
        --actionsPending;
        if (target)
            action(target.data());
    });
    return "ok";
}

QString wait(const QString &why)
{
    return "wait " + why;
}

// The item whose text, without its indent, is the given one.
QModelIndex itemOf(QAbstractItemView *view, const QString &text)
{
    const QAbstractItemModel *model = view->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, 0).data().toString().trimmed() == text)
            return model->index(row, 0);
    }
    return {};
}

QString answerDialog(QWidget *modal, const QString &verb, const QString &word, const QString &rest)
{
    if (verb == "cancel")
        return later(modal, [](QWidget *dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    if (auto *box = qobject_cast<QMessageBox *>(modal); box && verb == "answer") {
        static const QStringList icons = {QString(), "[info] ", "[warn] ", "[stop] "};
        const QString shown = icons.value(int(box->icon())) + box->text();
        if (shown != rest || box->windowTitle() != "Tarnwell")
            return QString("fail the message is \"%1\" titled \"%2\"")
                .arg(shown, box->windowTitle());
        const QList<QAbstractButton *> buttons = box->buttons();
        for (QAbstractButton *button : buttons) {
            // A "_" in the step stands for a space in the button's text.
            if (button->text().remove('&') == QString(word).replace('_', ' '))
                return later(button, [](QWidget *b) { click(b); });
        }
        return "fail the message has no button " + word;
    }
    if (auto *files = qobject_cast<QFileDialog *>(modal); files && verb == "file") {
        auto *name = files->findChild<QLineEdit *>("fileNameEdit");
        const QString path = (word + ' ' + rest).trimmed();
        return later(name, [path](QWidget *field) {
            field->setFocus();
            static_cast<QLineEdit *>(field)->clear();
            typeText(field, path);
            QTest::keyClick(field, Qt::Key_Return);
        });
    }
    if (auto *files = qobject_cast<QFileDialog *>(modal); files && verb == "dialog-folder") {
        const QString folder = files->directory().absolutePath();
        return folder == QDir(word).absolutePath() ? "ok" : wait("it shows " + folder);
    }
    if (qobject_cast<QColorDialog *>(modal) && verb == "colour") {
        return later(modal, [word](QWidget *dialog) {
            static_cast<QColorDialog *>(dialog)->setCurrentColor(QColor(word));
            click(dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok));
        });
    }
    return wait("a dialog for " + verb);
}

QString selectedText(QWidget *widget);

QString check(const QString &verb, const QString &name, QWidget *widget, const QString &expected)
{
    if (!widget && verb == "hidden" && !name.contains('/') && screensMade.contains(name))
        return "ok"; // closed for good
    if (!widget)
        return wait("it does not exist");
    // Hidden: closed, or not shown on its screen, whether the screen is in
    // view or under another; shown: in view.
    if (verb == "hidden")
        return !isShownOnItsScreen(widget) ? "ok" : wait("shown");
    bool holds = false;
    QString actual;
    if (verb == "shown") {
        holds = isShownOnItsScreen(widget);
    } else if (verb == "inview") {
        holds = widget->isVisible();
    } else if (verb == "enabled" || verb == "disabled") {
        holds = widget->isEnabled() == (verb == "enabled");
    } else if (verb == "checked") {
        auto *button = qobject_cast<QAbstractButton *>(widget);
        holds = button && button->isChecked();
    } else if (verb == "focus") {
        holds = QApplication::focusWidget() == widget;
    } else if (verb == "fits") {
        // The main window at its smallest, and the screen in view in it not
        // squeezed below its own smallest size; a screen shown beside it, a
        // dialog, at least at its smallest and on the display.
        const QWidget *window = widget->window();
        if (!isScreen(widget) || !widget->isVisible())
            return wait("it is not a screen in view");
        const QSize needed = widget->minimumSizeHint().expandedTo(widget->minimumSize());
        const bool notSqueezed = widget->size().expandedTo(needed) == widget->size();
        if (widget->isWindow()) {
            const QScreen *display = widget->screen();
            holds = notSqueezed && display &&
                    display->availableGeometry().contains(widget->frameGeometry());
        } else {
            holds =
                window->size() == window->minimumSize() && !window->isMaximized() && notSqueezed;
        }
        actual = QString("%1x%2, needs %3x%4, in a window of %5x%6")
                     .arg(widget->width())
                     .arg(widget->height())
                     .arg(needed.width())
                     .arg(needed.height())
                     .arg(window->width())
                     .arg(window->height());
    } else if (verb == "smallest") {
        holds = !widget->isMaximized() && widget->size() == widget->minimumSize();
        actual = QString("%1x%2").arg(widget->width()).arg(widget->height());
    } else if (verb == "geometry" || verb == "maximised") {
        const QRect normal = widget->normalGeometry();
        actual = QString("%1%2 %3 %4 %5")
                     .arg(widget->isMaximized() ? "maximised " : "")
                     .arg(normal.x())
                     .arg(normal.y())
                     .arg(normal.width())
                     .arg(normal.height());
        holds = actual == (verb == "maximised" ? "maximised " : "") + expected;
    } else if (verb == "text" || verb == "title" || verb == "colour-of" || verb == "selection") {
        actual = verb == "title"       ? widget->windowTitle()
                 : verb == "text"      ? textOf(widget)
                 : verb == "selection" ? selectedText(widget).mid(3)
                                       : widget->palette().color(QPalette::Text).name();
        holds = actual == expected;
    } else {
        return "fail no such step";
    }
    return holds ? "ok" : wait(QString("it is \"%1\"").arg(actual));
}

QString act(const QString &verb, QWidget *widget, const QString &rest)
{
    // The main window's close box stands for the screen in view.
    if (verb == "close" && isScreen(widget) && !widget->isVisible())
        return wait("it is not in view");
    if (verb == "close")
        return later(widget->window(), [](QWidget *window) { window->windowHandle()->close(); });
    if (verb == "place") {
        const QStringList numbers = rest.split(' ');
        if (numbers.size() != 4)
            return "fail place needs X Y WIDTH HEIGHT";
        return later(widget, [numbers](QWidget *window) {
            window->showNormal();
            window->setGeometry(numbers[0].toInt(), numbers[1].toInt(), numbers[2].toInt(),
                                numbers[3].toInt());
        });
    }
    if (verb == "maximise")
        return later(widget, [](QWidget *window) { window->showMaximized(); });
    if (!widget->isVisible() || !widget->isEnabled())
        return wait("it is hidden or disabled");
    if (QWidget *modal = QApplication::activeModalWidget(); modal && widget->window() != modal)
        return wait("a dialog is open: " + modal->windowTitle());
    if (verb == "click")
        return later(widget, [](QWidget *button) { click(button); });
    if (verb == "type") {
        auto *combo = qobject_cast<QComboBox *>(widget);
        QWidget *field = combo && combo->lineEdit() ? combo->lineEdit() : widget;
        return later(field, [rest](QWidget *target) {
            target->setFocus();
            QMetaObject::invokeMethod(target, "clear"); // a field, a box or a spin box
            typeText(target, rest);
        });
    }
    auto *combo = qobject_cast<QComboBox *>(widget);
    auto *view = combo ? combo->view() : qobject_cast<QAbstractItemView *>(widget);
    const QModelIndex item = view ? itemOf(view, rest) : QModelIndex();
    if (!item.isValid())
        return wait("no item " + rest);
    if (combo) {
        return later(combo, [row = item.row()](QWidget *box) {
            auto *list = static_cast<QComboBox *>(box);
            list->showPopup();
            list->view()->setCurrentIndex(list->model()->index(row, 0));
            QTest::keyClick(list->view(), Qt::Key_Return);
        });
    }
    return later(view, [item](QWidget *list) {
        auto *items = static_cast<QAbstractItemView *>(list);
        items->scrollTo(item);
        click(items->viewport(), items->visualRect(item).center());
    });
}

// The page a web view shows, and a script run in it, reached in the viewer's
// own libraries once the program has loaded them: the agent does not load
// Qt WebEngine itself, so the program starts as it does for its users.
using PageOfView = QObject *(*)(const QWidget *);
using RunInPage = void (*)(QObject *, const QString &,
                           const std::function<void(const QVariant &)> &);

template <class Function>
Function viewerFunction(const char *library, const char *symbol)
{
    void *handle = dlopen(library, RTLD_NOW | RTLD_NOLOAD);
    return handle ? reinterpret_cast<Function>(dlsym(handle, symbol)) : nullptr;
}

struct Evaluation
{
    bool done = false;
    QVariant value;
    QElapsedTimer since;
};
// A script sent while the page was held by one of its own may be lost when
// that is stopped: it is sent again, and whichever answers first counts.
constexpr int kEvaluationLostMs = 2000;
// Scripts on their way, by view and script.
QHash<QString, std::shared_ptr<Evaluation>> evaluations;

// Runs the script in the view's page; "wait" until its value has come.
QString evaluate(QWidget *view, const QString &script, QVariant *value)
{
    static const auto pageOf =
        viewerFunction<PageOfView>("libQt6WebEngineWidgets.so.6", "_ZNK14QWebEngineView4pageEv");
    static const auto run = viewerFunction<RunInPage>(
        "libQt6WebEngineCore.so.6",
        "_ZN14QWebEnginePage13runJavaScriptERK7QStringRKSt8functionIFvRK8QVariantEE");
    if (!view->inherits("QWebEngineView"))
        return "fail not a web view";
    if (!pageOf || !run)
        return wait("Qt WebEngine is not loaded");
    const QString key = QString::number(quintptr(view)) + ' ' + script;
    std::shared_ptr<Evaluation> &slot = evaluations[key];
    if (!slot)
        slot = std::make_shared<Evaluation>();
    if (!slot->done && (!slot->since.isValid() || slot->since.hasExpired(kEvaluationLostMs))) {
        slot->since.start();
        run(pageOf(view), script, [evaluation = slot](const QVariant &result) {
            if (evaluation->done)
                return;
            evaluation->done = true;
            evaluation->value = result;
        });
        return wait("the page has not answered");
    }
    if (!slot->done)
        return wait("the page has not answered");
    *value = slot->value;
    evaluations.remove(key);
    return "ok";
}

// page NAME SCRIPT: holds once the script's value is true.
// evaluate NAME SCRIPT: the script's value, as text.
// clickpage NAME SCRIPT: a click at the centre of the element the script
// gives, brought into view first, as the user's mouse would; hoverpage NAME
// SCRIPT: the mouse moved there.
QString inPage(const QString &verb, QWidget *view, const QString &script)
{
    QString wrapped = verb == "page" ? "(" + script + ") === true" : "String(" + script + ")";
    if (verb == "clickpage" || verb == "hoverpage")
        wrapped = "(function () { var e = (" + script +
                  "); if (!e) return ''; "
                  "e.scrollIntoView({block: 'center', inline: 'center'}); "
                  "var r = e.getBoundingClientRect(), v = window.visualViewport; "
                  "return ((r.left + r.width / 2 - v.offsetLeft) * v.scale) + ' ' + "
                  "((r.top + r.height / 2 - v.offsetTop) * v.scale); })()";
    QVariant value;
    const QString state = evaluate(view, wrapped, &value);
    if (state != "ok")
        return state;
    if (verb == "page")
        return value.toBool() ? "ok" : wait("the script's value is not true");
    if (verb == "evaluate")
        return "ok " + value.toString();
    const QStringList at = value.toString().split(' ');
    if (at.size() != 2)
        return wait("no such element");
    // The same place read twice, apart: a page still being laid out (its
    // pictures coming in, the pane taking its width) moves the element.
    static QHash<QString, std::pair<QString, QElapsedTimer>> places;
    auto &place = places[QString::number(quintptr(view)) + ' ' + script];
    if (place.first != value.toString()) {
        place = {value.toString(), QElapsedTimer()};
        place.second.start();
        return wait("the element is still moving");
    }
    if (!place.second.hasExpired(200))
        return wait("the element is still moving");
    place.first.clear();
    // The pixel the centre lies in: even a line two pixels high is hit.
    const QPoint point(int(std::floor(at[0].toDouble())), int(std::floor(at[1].toDouble())));
    QWidget *surface = view->focusProxy() ? view->focusProxy() : view;
    if (verb == "hoverpage")
        return later(surface, [point](QWidget *target) { QTest::mouseMove(target, point); });
    return later(surface, [point](QWidget *target) {
        QTest::mouseClick(target, Qt::LeftButton, {}, point);
    });
}

// clicktext NAME POSITION: a click in a text field just before that
// character, scrolled into view first as the user would.
QString clickText(QWidget *widget, const QString &position)
{
    auto *edit = qobject_cast<QPlainTextEdit *>(widget);
    bool number = false;
    const int at = position.toInt(&number);
    if (!edit || !number)
        return "fail not a text field or a position";
    QTextCursor cursor(edit->document());
    cursor.setPosition(at);
    // The scroll bar counts lines, not characters: moved until the line shows.
    QScrollBar *bar = edit->verticalScrollBar();
    for (int tries = 0; tries < 100000; ++tries) {
        const QRect caret = edit->cursorRect(cursor);
        if (caret.top() < 0 && bar->value() > bar->minimum())
            bar->setValue(bar->value() - 1);
        else if (caret.bottom() > edit->viewport()->height() && bar->value() < bar->maximum())
            bar->setValue(bar->value() + 1);
        else
            break;
    }
    const QRect caret = edit->cursorRect(cursor);
    if (!edit->viewport()->rect().contains(caret.center()))
        return "fail the position cannot be brought into view";
    return later(edit->viewport(), [caret](QWidget *viewport) {
        QTest::mouseClick(viewport, Qt::LeftButton, {},
                          QPoint(caret.left() + 1, caret.center().y()));
    });
}

// selected NAME: the text selected in a text field, line breaks as CR LF.
QString selectedText(QWidget *widget)
{
    auto *edit = qobject_cast<QPlainTextEdit *>(widget);
    if (!edit)
        return "fail not a text field";
    QString text = edit->textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, "\r\n");
    text.replace(QChar::LineSeparator, "\r\n");
    return "ok " + text;
}

QString perform(const QString &line)
{
    // Tarnwell is one window: no screen shows in a window of its own.
    if (const QString stray = strayWindow(); !stray.isEmpty())
        return "fail a window of its own is shown: " + stray;
    const QString verb = line.section(' ', 0, 0);
    const QString name = line.section(' ', 1, 1);
    const QString rest = line.section(' ', 2);
    static const QStringList dialogVerbs = {"answer", "file", "colour", "cancel", "dialog-folder"};
    if (dialogVerbs.contains(verb)) {
        QWidget *modal = QApplication::activeModalWidget();
        return modal ? answerDialog(modal, verb, name, rest) : wait("no dialog");
    }
    // A dialog that has closed but whose exec() has not yet returned: the
    // screen has not yet done what the answer asks.
    if (QThread::currentThread()->loopLevel() > 1 && !QApplication::activeModalWidget())
        return wait("a dialog has not returned yet");
    if (verb == "dialog") {
        QWidget *modal = QApplication::activeModalWidget();
        QWidget *focus = QApplication::focusWidget();
        return modal && focus && focus->window() == modal ? "ok" : wait("no dialog");
    }
    if (verb == "keys" || verb == "tab") {
        QWidget *focus = QApplication::focusWidget();
        if (!focus)
            return wait("nothing has the keyboard");
        if (verb == "keys")
            return later(focus, [text = line.section(' ', 1)](QWidget *w) { typeText(w, text); });
        // Tab until the control has the keyboard; one press for each try.
        if (focus == resolve(name))
            return "ok";
        later(focus, [](QWidget *w) { QTest::keyClick(w, Qt::Key_Tab); });
        return wait("Tab does not reach it");
    }
    if (verb == "key") {
        static const QHash<QString, Qt::Key> keys = {
            {"Tab", Qt::Key_Tab}, {"Return", Qt::Key_Return}, {"Space", Qt::Key_Space},
            {"Up", Qt::Key_Up},   {"Down", Qt::Key_Down},     {"End", Qt::Key_End}};
        // "Ctrl+" before a key or a letter holds Ctrl down.
        const bool ctrl = name.startsWith("Ctrl+");
        const QString keyName = ctrl ? name.mid(5) : name;
        const Qt::Key key = keyName.size() == 1 ? Qt::Key(keyName.at(0).toUpper().unicode())
                                                : keys.value(keyName, Qt::Key_unknown);
        if (key == Qt::Key_unknown)
            return "fail no key " + name;
        QWidget *focus = QApplication::focusWidget();
        if (!focus)
            return wait("nothing has the keyboard");
        return later(focus, [key, ctrl](QWidget *w) {
            QTest::keyClick(w, key, ctrl ? Qt::ControlModifier : Qt::NoModifier);
        });
    }
    if (verb == "folder") {
        auto *list = qobject_cast<QAbstractItemView *>(resolve("nonComdlg/Dir1"));
        // The screen resets the list when it becomes active, so wait for that.
        if (!list || !list->isVisible() || !list->window()->isActiveWindow())
            return wait("no active folder list");
        // From the root down, each folder double-clicked open.
        QStringList chain = QDir::cleanPath(line.section(' ', 1)).split('/', Qt::SkipEmptyParts);
        chain.prepend("/");
        for (const QString &folder : chain) {
            const QModelIndex item = itemOf(list, folder);
            if (!item.isValid())
                return "fail no folder " + folder;
            list->scrollTo(item);
            const QPoint at = list->visualRect(item).center();
            click(list->viewport(), at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        }
        return "ok";
    }
    // The end of every walk: no message box is left unanswered.
    if (verb == "no-message") {
        if (actionsPending > 0)
            return wait("an action has not begun yet");
        if (QThread::currentThread()->loopLevel() > 1 && !QApplication::activeModalWidget())
            return wait("a dialog has not returned yet");
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<QMessageBox *>(window); box && box->isVisible())
                return "fail a message is left open: " + box->text();
        }
        return "ok";
    }
    if (verb == "no-dialog") {
        QWidget *modal = QApplication::activeModalWidget();
        return modal ? "fail a dialog is open: " + modal->windowTitle() + " " +
                           modal->property("text").toString()
                     : "ok";
    }
    QWidget *widget = resolve(name);
    if (verb == "page" || verb == "evaluate" || verb == "clickpage" || verb == "hoverpage")
        return widget ? inPage(verb, widget, rest) : wait("it does not exist");
    if (verb == "clicktext")
        return widget ? clickText(widget, rest) : wait("it does not exist");
    if (verb == "selected")
        return widget ? selectedText(widget) : wait("it does not exist");
    if (verb == "get")
        return widget ? "ok " + textOf(widget) : wait("it does not exist");
    // A picture of the screen, for the README.
    if (verb == "grab") {
        if (!widget)
            return wait("it does not exist");
        return widget->window()->grab().save(rest, "PNG") ? "ok" : "fail cannot write " + rest;
    }
    static const QStringList actions = {"click",  "close", "type",    "choose",
                                        "select", "place", "maximise"};
    if (!actions.contains(verb))
        return check(verb, name, widget, rest);
    return widget ? act(verb, widget, rest) : wait("it does not exist");
}

class Agent final : public QObject
{
public:
    explicit Agent(const QString &server) : QObject(QCoreApplication::instance())
    {
        // Screens made and deleted between two steps are seen too.
        QCoreApplication::instance()->installEventFilter(this);
        connect(&m_socket, &QLocalSocket::readyRead, this, [this] {
            m_buffer += m_socket.readAll();
            for (qsizetype end; (end = m_buffer.indexOf('\0')) >= 0;) {
                const QString step = QString::fromUtf8(m_buffer.left(end));
                m_buffer.remove(0, end + 1);
                m_socket.write(perform(step).toUtf8() + '\0');
                m_socket.flush();
            }
        });
        m_socket.connectToServer(server);
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if ((type != QEvent::Show && type != QEvent::ShowToParent) || !object->isWidgetType())
            return false;
        if (const auto *widget = static_cast<QWidget *>(object);
            widget->isWindow() || isScreen(widget))
            screensMade.insert(object->objectName());
        return false;
    }

private:
    QLocalSocket m_socket;
    QByteArray m_buffer;
};

void startAgent()
{
    const QString server = qEnvironmentVariable("TARNWELL_E2E_SOCKET");
    if (server.isEmpty())
        return;
    // The application is still being built; connect once its loop runs.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [server] { new Agent(server); }, Qt::QueuedConnection);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startAgent)
