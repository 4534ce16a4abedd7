// Loaded into the program under test (LD_PRELOAD) and driven by the e2e
// tests over a local socket: it finds the real screens by object name, reads
// them, presses their buttons and answers the real dialogs. It does nothing
// unless TARNWELL_E2E_SOCKET names the tests' socket.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QLocalSocket>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {

QString plain(QString text)
{
    return text.remove(QLatin1Char('&'));
}

QWidget *topLevel(const QString &name)
{
    QWidget *found = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == name && (!found || widget->isVisible()))
            found = widget;
    }
    return found;
}

// "Form4" is a screen, "Form4/Command10" one of its controls; a toolbar
// action stands for its button.
QWidget *resolve(const QString &path)
{
    const QStringList parts = path.split(QLatin1Char('/'));
    QWidget *screen = topLevel(parts.first());
    if (!screen || parts.size() == 1)
        return screen;
    QObject *object = screen->findChild<QObject *>(parts.at(1));
    if (auto *action = qobject_cast<QAction *>(object)) {
        for (QObject *user : action->associatedObjects()) {
            if (auto *button = qobject_cast<QAbstractButton *>(user))
                return button;
        }
    }
    return qobject_cast<QWidget *>(object);
}

QString pathOf(const QWidget *widget)
{
    if (!widget)
        return {};
    const QWidget *window = widget->window();
    return window == widget ? widget->objectName()
                            : window->objectName() + QLatin1Char('/') + widget->objectName();
}

QStringList rowsOf(const QAbstractItemView *view)
{
    QStringList rows;
    const QAbstractItemModel *model = view->model();
    for (int row = 0; model && row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells << model->index(row, column).data().toString();
        rows << cells.join(QLatin1String(" | "));
    }
    return rows;
}

QJsonObject describe(QWidget *widget)
{
    QJsonObject state{{QStringLiteral("exists"), widget != nullptr}};
    if (!widget)
        return state;
    state[QStringLiteral("visible")] = widget->isVisible();
    state[QStringLiteral("enabled")] = widget->isEnabled();
    state[QStringLiteral("title")] = widget->windowTitle();
    state[QStringLiteral("focus")] = QApplication::focusWidget() == widget;
    QString text;
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        text = label->text();
        state[QStringLiteral("picture")] = !label->pixmap().isNull();
    } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
        text = button->text();
        state[QStringLiteral("checked")] = button->isChecked();
    } else if (auto *line = qobject_cast<QLineEdit *>(widget)) {
        text = line->text();
    } else if (auto *box = qobject_cast<QPlainTextEdit *>(widget)) {
        text = box->toPlainText();
        state[QStringLiteral("colour")] = box->palette().color(QPalette::Text).name();
    } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        text = combo->currentText();
    } else if (auto *view = qobject_cast<QAbstractItemView *>(widget)) {
        state[QStringLiteral("rows")] = QJsonArray::fromStringList(rowsOf(view));
        text = view->currentIndex().data().toString();
    }
    state[QStringLiteral("text")] = text;
    return state;
}

QJsonObject describeDialog()
{
    QWidget *modal = QApplication::activeModalWidget();
    QJsonObject dialog{{QStringLiteral("open"), modal != nullptr}};
    if (!modal)
        return dialog;
    dialog[QStringLiteral("title")] = modal->windowTitle();
    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        QStringList buttons;
        for (QAbstractButton *button : box->buttons())
            buttons << plain(button->text());
        dialog[QStringLiteral("kind")] = QStringLiteral("message");
        dialog[QStringLiteral("text")] = box->text();
        dialog[QStringLiteral("icon")] = int(box->icon());
        dialog[QStringLiteral("buttons")] = QJsonArray::fromStringList(buttons);
    } else if (auto *files = qobject_cast<QFileDialog *>(modal)) {
        dialog[QStringLiteral("kind")] = QStringLiteral("file");
        dialog[QStringLiteral("folder")] = files->directory().absolutePath();
        dialog[QStringLiteral("save")] = files->acceptMode() == QFileDialog::AcceptSave;
    } else if (qobject_cast<QColorDialog *>(modal)) {
        dialog[QStringLiteral("kind")] = QStringLiteral("colour");
    } else {
        dialog[QStringLiteral("kind")] = QStringLiteral("other");
    }
    return dialog;
}

void pressKey(QWidget *target, const QString &key)
{
    static const QHash<QString, Qt::Key> keys = {
        {QStringLiteral("Tab"), Qt::Key_Tab},       {QStringLiteral("Backtab"), Qt::Key_Backtab},
        {QStringLiteral("Return"), Qt::Key_Return}, {QStringLiteral("Space"), Qt::Key_Space},
        {QStringLiteral("Escape"), Qt::Key_Escape}, {QStringLiteral("Up"), Qt::Key_Up},
        {QStringLiteral("Down"), Qt::Key_Down},     {QStringLiteral("Left"), Qt::Key_Left},
        {QStringLiteral("Right"), Qt::Key_Right},   {QStringLiteral("Home"), Qt::Key_Home},
        {QStringLiteral("End"), Qt::Key_End},
    };
    QTest::keyClick(target, keys.value(key, Qt::Key_unknown));
}

// Key presses carrying any character, not only Latin-1 ones.
void typeText(QWidget *field, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\n')) {
            QTest::keyClick(field, Qt::Key_Return);
            continue;
        }
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, text.mid(i, length),
                            Qt::NoModifier);
        i += length - 1;
    }
}

class Agent final : public QObject
{
public:
    explicit Agent(const QString &server) : QObject(QCoreApplication::instance())
    {
        connect(&m_socket, &QLocalSocket::readyRead, this, &Agent::readRequests);
        m_socket.connectToServer(server);
    }

private:
    void readRequests()
    {
        while (m_socket.canReadLine()) {
            const QJsonObject request = QJsonDocument::fromJson(m_socket.readLine()).object();
            QJsonObject reply = handle(request);
            if (!reply.contains(QStringLiteral("error")))
                reply[QStringLiteral("ok")] = true;
            m_socket.write(QJsonDocument(reply).toJson(QJsonDocument::Compact) + '\n');
            m_socket.flush();
        }
    }

    // Actions run from the event loop after the reply has gone, because a
    // button may open a dialog whose own loop would hold the reply back.
    template <class Action>
    static void later(QWidget *target, Action action)
    {
        QTimer::singleShot(0, target, [target, action] { action(target); });
    }

    static QJsonObject error(const QString &text) { return {{QStringLiteral("error"), text}}; }

    QJsonObject handle(const QJsonObject &request)
    {
        const QString op = request.value(QStringLiteral("op")).toString();
        const QString name = request.value(QStringLiteral("name")).toString();
        const QString text = request.value(QStringLiteral("text")).toString();
        if (op == QLatin1String("state"))
            return describe(resolve(name));
        if (op == QLatin1String("dialog"))
            return describeDialog();
        if (op == QLatin1String("focus"))
            return {{QStringLiteral("text"), pathOf(QApplication::focusWidget())}};
        if (op == QLatin1String("key")) {
            QWidget *target = QApplication::focusWidget();
            if (!target)
                return error(QStringLiteral("nothing has the keyboard"));
            later(target, [text](QWidget *widget) { pressKey(widget, text); });
            return {};
        }
        if (op == QLatin1String("answer") || op == QLatin1String("file") ||
            op == QLatin1String("colour") || op == QLatin1String("cancel"))
            return answerDialog(op, text);

        QWidget *widget = resolve(name);
        if (!widget)
            return error(name + QStringLiteral(" does not exist"));
        if (op == QLatin1String("close")) {
            if (!widget->isWindow() || !widget->windowHandle())
                return error(name + QStringLiteral(" is no open window"));
            later(widget, [](QWidget *window) { window->windowHandle()->close(); });
            return {};
        }
        if (!widget->isVisible() || !widget->isEnabled())
            return error(name + QStringLiteral(" is hidden or disabled"));
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && widget->window() != modal)
            return error(name + QStringLiteral(" is behind an open dialog"));
        if (op == QLatin1String("click")) {
            later(widget, [](QWidget *button) { QTest::mouseClick(button, Qt::LeftButton); });
        } else if (op == QLatin1String("type")) {
            if (!qobject_cast<QLineEdit *>(widget) && !qobject_cast<QPlainTextEdit *>(widget))
                return error(name + QStringLiteral(" takes no typing"));
            later(widget, [text](QWidget *field) {
                field->setFocus();
                if (auto *line = qobject_cast<QLineEdit *>(field))
                    line->clear();
                else
                    static_cast<QPlainTextEdit *>(field)->clear();
                typeText(field, text);
            });
        } else if (op == QLatin1String("choose") || op == QLatin1String("activate")) {
            return chooseItem(widget, op, text);
        } else {
            return error(QStringLiteral("unknown request ") + op);
        }
        return {};
    }

    // The item whose text, without its indent, is the given one: chosen in a
    // combo box's list, or double-clicked in a view.
    QJsonObject chooseItem(QWidget *widget, const QString &op, const QString &text)
    {
        auto *combo = qobject_cast<QComboBox *>(widget);
        auto *view = combo ? combo->view() : qobject_cast<QAbstractItemView *>(widget);
        if (!view)
            return error(pathOf(widget) + QStringLiteral(" has no items"));
        const QAbstractItemModel *model = view->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            const QModelIndex index = model->index(row, 0);
            if (index.data().toString().trimmed() != text)
                continue;
            if (combo) {
                later(combo, [row](QWidget *box) {
                    auto *list = static_cast<QComboBox *>(box);
                    list->showPopup();
                    list->view()->setCurrentIndex(list->model()->index(row, 0));
                    QTest::keyClick(list->view(), Qt::Key_Return);
                });
            } else if (op == QLatin1String("activate")) {
                later(view, [index](QWidget *list) {
                    auto *items = static_cast<QAbstractItemView *>(list);
                    items->scrollTo(index);
                    const QPoint at = items->visualRect(index).center();
                    QTest::mouseClick(items->viewport(), Qt::LeftButton, {}, at);
                    QTest::mouseDClick(items->viewport(), Qt::LeftButton, {}, at);
                });
            } else {
                later(view, [index](QWidget *list) {
                    auto *items = static_cast<QAbstractItemView *>(list);
                    items->scrollTo(index);
                    QTest::mouseClick(items->viewport(), Qt::LeftButton, {},
                                      items->visualRect(index).center());
                });
            }
            return {};
        }
        return error(pathOf(widget) + QStringLiteral(" has no item ") + text);
    }

    QJsonObject answerDialog(const QString &op, const QString &text)
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return error(QStringLiteral("no dialog is open"));
        if (op == QLatin1String("cancel")) {
            later(modal, [](QWidget *dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
            return {};
        }
        if (auto *box = qobject_cast<QMessageBox *>(modal); box && op == QLatin1String("answer")) {
            for (QAbstractButton *button : box->buttons()) {
                if (plain(button->text()) == text) {
                    later(button, [](QWidget *b) { QTest::mouseClick(b, Qt::LeftButton); });
                    return {};
                }
            }
            return error(QStringLiteral("the message has no button ") + text);
        }
        if (auto *files = qobject_cast<QFileDialog *>(modal);
            files && op == QLatin1String("file")) {
            auto *name = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            if (!name)
                return error(QStringLiteral("the file dialog has no name field"));
            later(name, [text](QWidget *field) {
                field->setFocus();
                static_cast<QLineEdit *>(field)->clear();
                typeText(field, text);
                QTest::keyClick(field, Qt::Key_Return);
            });
            return {};
        }
        if (auto *colours = qobject_cast<QColorDialog *>(modal);
            colours && op == QLatin1String("colour")) {
            later(colours, [text](QWidget *dialog) {
                auto *chooser = static_cast<QColorDialog *>(dialog);
                chooser->setCurrentColor(QColor(text));
                auto *buttons = chooser->findChild<QDialogButtonBox *>();
                QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
            });
            return {};
        }
        return error(QStringLiteral("the open dialog is not for ") + op);
    }

    QLocalSocket m_socket;
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
