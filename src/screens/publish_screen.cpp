#include "publish_screen.h"

#include "document/page_check.h"
#include "document/page_references.h"
#include "document/session.h"
#include "publish/known_hosts.h"
#include "selection_screen.h"
#include "ui/controls.h"
#include "ui/main_window.h"
#include "ui/interaction.h"
#include "ui/keyring.h"
#include "ui/workspace.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tarnwell {

using publish::Failure;
using publish::Method;

namespace {
const char *const group = "Publish";

int defaultPort(Method method)
{
    return method == Method::Sftp ? 22 : 21;
}

QString dataFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir().mkpath(folder);
    return folder;
}

// The problems that keep the page from working on the web; advice alone
// does not stop a publish.
bool breaksPage(PageProblem problem)
{
    switch (problem) {
    case PageProblem::Missing:
    case PageProblem::LetterCase:
    case PageProblem::LocalAddress:
    case PageProblem::SiteRoot:
    case PageProblem::OutsideFolder:
    case PageProblem::WebAddress:
        return true;
    default:
        return false;
    }
}

QString sizeText(qint64 bytes)
{
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

QString stateText(const publish::FileReport &report)
{
    switch (report.state) {
    case publish::FileState::Sent:
        return QStringLiteral("sent");
    case publish::FileState::Unchanged:
        return QStringLiteral("unchanged");
    case publish::FileState::Failed:
        break;
    }
    return QStringLiteral("failed: ") + report.reason;
}
} // namespace

PublishScreen::PublishScreen(Workspace &workspace, QWidget *parent)
    : QWidget(parent), m_workspace(workspace)
{
    setObjectName(QStringLiteral("Publish"));
    showBesideTheScreens(this);
    setWindowTitle(QStringLiteral("Publish your page"));

    QLabel *intro = wrappedLabel(
        this, "Label1",
        QStringLiteral("Tarnwell sends your saved page and the files of your session folder that "
                       "it uses to your web space. Your web host's letter gives the server, the "
                       "method, your user name and the folder for your pages."));
    m_method = named(new QComboBox(this), "Method");
    m_method->addItems({QStringLiteral("SFTP (secure)"), QStringLiteral("FTP with TLS (FTPS)"),
                        QStringLiteral("FTP (not secure)")});
    m_host = named(new QLineEdit(this), "Host");
    m_host->setPlaceholderText(QStringLiteral("such as sftp.example.org"));
    m_port = named(new QSpinBox(this), "Port");
    m_port->setRange(1, 65535);
    m_port->setValue(22);
    m_user = named(new QLineEdit(this), "User");
    m_password = named(new QLineEdit(this), "Password");
    m_password->setEchoMode(QLineEdit::Password);
    connect(m_password, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (text.isEmpty())
            m_noCoreDump.reset();
        else if (!m_noCoreDump)
            m_noCoreDump = std::make_unique<publish::NoCoreDump>();
    });
    m_keyFile = named(new QLineEdit(this), "KeyFile");
    m_keyFile->setPlaceholderText(QStringLiteral("optional"));
    m_chooseKey = makeButton(this, "ChooseKeyFile", QStringLiteral("Choose..."));
    m_remoteFolder = named(new QLineEdit(this), "RemoteFolder");
    m_remoteFolder->setPlaceholderText(
        QStringLiteral("such as public_html, from the folder you log in to"));
    m_remoteFolder->setToolTip(
        QStringLiteral("Every method counts this folder from the folder you log in to: a / or "
                       "~/ at the start is left out, and .. cannot be used."));
    m_siteAddress = named(new QLineEdit(this), "SiteAddress");
    m_siteAddress->setPlaceholderText(QStringLiteral("such as https://example.org/~ann/ (optional)"));
    m_remember = named(new QCheckBox(QStringLiteral("Remember the password in this computer's "
                                                    "keyring"),
                                     this),
                       "Remember");
    m_notSecure = wrappedLabel(
        this, "NotSecure",
        QStringLiteral("FTP is not secure: your password and your files travel unencrypted, and "
                       "anyone on the way can read them. Use SFTP or FTPS if your web host "
                       "offers them."));

    auto *keyRow = new QHBoxLayout;
    keyRow->addWidget(m_keyFile, 1);
    keyRow->addWidget(m_chooseKey);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Method:"), m_method);
    form->addRow(QStringLiteral("Host:"), m_host);
    form->addRow(QStringLiteral("Port:"), m_port);
    form->addRow(QStringLiteral("User:"), m_user);
    form->addRow(QStringLiteral("Password:"), m_password);
    form->addRow(QStringLiteral("Key file:"), keyRow);
    m_keyCaption = qobject_cast<QLabel *>(form->labelForField(keyRow));
    form->addRow(QStringLiteral("Folder on the server:"), m_remoteFolder);
    form->addRow(QStringLiteral("Web address of that folder:"), m_siteAddress);
    form->addRow(QString(), m_remember);

    m_test = makeButton(this, "TestConnection", QStringLiteral("Test connection"));
    m_upload = makeButton(this, "Upload", QStringLiteral("Publish now"));
    m_cancel = makeButton(this, "Cancel", QStringLiteral("Cancel"));
    m_close = makeButton(this, "Close", QStringLiteral("Close"));
    m_forgetKey = makeButton(this, "ForgetKey", QStringLiteral("Forget this server's key\u2026"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_forgetKey);
    buttons->addStretch();
    for (QPushButton *button : {m_test, m_upload, m_cancel, m_close})
        buttons->addWidget(button);

    m_progress = named(new QProgressBar(this), "Progress");
    m_progress->setRange(0, 1000);
    m_progress->setValue(0);
    m_sent = named(new QTreeWidget(this), "Sent");
    m_sent->setHeaderLabels(
        {QStringLiteral("File"), QStringLiteral("What happened"), QStringLiteral("Size")});
    m_sent->setRootIsDecorated(false);
    m_sent->setColumnWidth(0, 260);
    m_sent->setColumnWidth(1, 280);
    m_sent->setAccessibleName(QStringLiteral("Files sent"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(m_notSecure);
    layout->addLayout(buttons);
    layout->addWidget(m_progress);
    layout->addWidget(m_sent, 1);
    tabInLayoutOrder(this);

    QSettings settings;
    settings.beginGroup(QLatin1String(group));
    m_method->setCurrentIndex(qBound(0, settings.value("method", 0).toInt(), 2));
    m_port->setValue(settings.value("port", defaultPort(Method(m_method->currentIndex()))).toInt());
    m_host->setText(settings.value("host").toString());
    m_user->setText(settings.value("user").toString());
    m_keyFile->setText(settings.value("keyFile").toString());
    m_remoteFolder->setText(settings.value("remoteFolder").toString());
    m_siteAddress->setText(settings.value("siteAddress").toString());
    m_remember->setChecked(settings.value("remember", false).toBool());
    if (m_remember->isChecked() && !m_host->text().isEmpty()) {
        m_workspace.keyring().read(passwordKey(), [this](const QString &password) {
            if (m_password->text().isEmpty())
                m_password->setText(password);
        });
    }

    connect(m_method, &QComboBox::currentIndexChanged, this, &PublishScreen::methodChosen);
    connect(m_chooseKey, &QPushButton::clicked, this, &PublishScreen::chooseKeyFile);
    connect(m_forgetKey, &QPushButton::clicked, this, &PublishScreen::forgetKey);
    connect(m_test, &QPushButton::clicked, this, &PublishScreen::testConnection);
    connect(m_upload, &QPushButton::clicked, this, &PublishScreen::publish);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        if (m_publisher)
            m_publisher->cancel();
        m_cancel->setEnabled(false);
    });
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    showState();
    resize(720, 640);
}

PublishScreen::~PublishScreen()
{
    if (m_thread) {
        if (m_publisher)
            m_publisher->cancel();
        m_thread->quit();
        m_thread->wait();
        delete m_publisher.data();
    }
}

void PublishScreen::open()
{
    bringToFront(this);
}

void PublishScreen::closeEvent(QCloseEvent *event)
{
    if (m_task != Task::None) {
        // Closes once the transfer has stopped, leaving the server as it was.
        m_closeWhenDone = true;
        if (m_publisher)
            m_publisher->cancel();
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void PublishScreen::showState()
{
    const auto method = Method(m_method->currentIndex());
    const bool busy = m_task != Task::None;
    const bool sftp = method == Method::Sftp;
    m_keyFile->setVisible(sftp);
    m_chooseKey->setVisible(sftp);
    if (m_keyCaption)
        m_keyCaption->setVisible(sftp);
    m_notSecure->setVisible(method == Method::Ftp);
    for (QWidget *control : std::initializer_list<QWidget *>{
             m_method, m_host, m_port, m_user, m_password, m_keyFile, m_chooseKey, m_remoteFolder,
             m_siteAddress, m_remember, m_test, m_upload, m_close, m_forgetKey})
        control->setEnabled(!busy);
    m_cancel->setEnabled(busy);
}

void PublishScreen::methodChosen()
{
    // A port the user typed stays; the other method's usual port follows the method.
    if (m_port->value() == 22 || m_port->value() == 21)
        m_port->setValue(defaultPort(Method(m_method->currentIndex())));
    showState();
}

void PublishScreen::chooseKeyFile()
{
    const QString chosen = m_workspace.interaction().chooseFileToOpen(
        this, QStringLiteral("*"), QDir::home().filePath(QStringLiteral(".ssh")));
    if (!chosen.isEmpty())
        m_keyFile->setText(chosen);
}

publish::Site PublishScreen::site() const
{
    publish::Site site;
    site.method = Method(m_method->currentIndex());
    site.host = m_host->text().trimmed();
    site.port = m_port->value();
    site.user = m_user->text().trimmed();
    // A copy of its own, which the publish clears when done; the field keeps its text.
    const QString typed = m_password->text();
    site.password = QString(typed.constData(), typed.size());
    if (site.method == Method::Sftp)
        site.keyFile = m_keyFile->text().trimmed();
    site.remoteFolder = publish::trimmedFolder(m_remoteFolder->text().trimmed());
    return site;
}

bool PublishScreen::readyToConnect()
{
    Interaction &ui = m_workspace.interaction();
    const publish::Site wanted = site();
    if (wanted.host.isEmpty()) {
        ui.showMessage(this, QStringLiteral("Type the name of your web space's server in Host."),
                       Interaction::Icon::Information);
        return false;
    }
    if (wanted.user.isEmpty()) {
        ui.showMessage(this, QStringLiteral("Type your user name in User."),
                       Interaction::Icon::Information);
        return false;
    }
    // Shown as it is used.
    const QString address = publish::typedWebAddress(m_siteAddress->text());
    if (address != m_siteAddress->text())
        m_siteAddress->setText(address);
    if (!address.isEmpty() && !publish::isWebAddress(QUrl(address))) {
        ui.showMessage(this,
                       QStringLiteral("The web address of the folder must start with http:// or "
                                      "https://, such as https://example.org/~ann/. Correct it, "
                                      "or leave it empty."),
                       Interaction::Icon::Information);
        return false;
    }
    remember();
    if (wanted.method == Method::Ftp) {
        QSettings settings;
        const QString key = QStringLiteral("%1/plainFtpHosts").arg(QLatin1String(group));
        QStringList confirmed = settings.value(key).toStringList();
        const QString host = QStringLiteral("%1:%2").arg(wanted.host).arg(wanted.port);
        if (!confirmed.contains(host)) {
            if (!ui.askYesNo(this, QStringLiteral("Connect to %1 over plain FTP? Your password "
                                                  "and your files will travel unencrypted.")
                                       .arg(wanted.host)))
                return false;
            confirmed << host;
            settings.setValue(key, confirmed);
        }
    }
    m_site = wanted;
    return true;
}

void PublishScreen::testConnection()
{
    if (m_task == Task::None && readyToConnect())
        start(Task::Test);
}

void PublishScreen::publish()
{
    if (m_task != Task::None)
        return;
    Interaction &ui = m_workspace.interaction();
    Session &session = m_workspace.session();
    QString saved = session.savedPageFile();
    if (saved.isEmpty()) {
        if (!ui.askYesNo(this, QStringLiteral("Save your page before publishing?")) ||
            !m_workspace.screen<SelectionScreen>()->save())
            return;
        saved = session.savedPageFile();
    }
    const QDir folder(session.sessionFolder());
    const QString pageName = QDir::fromNativeSeparators(folder.relativeFilePath(saved));
    if (saved.isEmpty() || pageName.startsWith(QLatin1String("../")) ||
        QDir::isAbsolutePath(pageName)) {
        ui.showMessage(this,
                       QStringLiteral("Save your page in your session folder to publish it: "
                                      "the pictures it uses are there."),
                       Interaction::Icon::Information);
        return;
    }
    // The page itself must be a file of the folder: a link to another file
    // would leave the page out while its pictures go.
    if (const publish::Problem problem =
            publish::pageFileProblem(session.sessionFolder(), pageName)) {
        tellProblem(problem);
        return;
    }
    QFile page(saved);
    if (!page.open(QIODevice::ReadOnly)) {
        ui.showMessage(this, QStringLiteral("Tarnwell cannot read your saved page: ") +
                                 page.errorString(),
                       Interaction::Icon::Critical);
        return;
    }
    page.close();
    const QString text = session.page().text();
    QStringList broken;
    for (const PageFinding &found : checkPage(text, session.sessionFolder())) {
        if (breaksPage(found.problem))
            broken << QStringLiteral("%1: %2").arg(found.name, found.title);
    }
    if (!broken.isEmpty() &&
        !ui.askYesNo(this, QStringLiteral("Check page found what will not work on the web:\n") +
                               broken.join(QLatin1Char('\n')) +
                               QStringLiteral("\n\nPublish anyway?")))
        return;
    QList<publish::Problem> refused;
    QList<publish::PageFile> files =
        publish::filesToPublish(session.sessionFolder(), pageName, text, &refused);
    if (!refused.isEmpty()) {
        tellProblem(refused.first());
        return;
    }
    if (!readyToConnect())
        return;
    m_pageName = pageName;
    m_files = std::move(files);
    m_sent->clear();
    start(Task::Publish);
}

void PublishScreen::start(Task task)
{
    m_task = task;
    m_progress->setValue(0);
    showState();
    m_thread = new QThread(this);
    auto *publisher = new publish::Publisher(m_site, publish::storeIn(dataFolder()),
                                             task == Task::Publish ? m_files
                                                                   : QList<publish::PageFile>());
    m_publisher = publisher;
    publisher->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, publisher, &QObject::deleteLater);
    connect(publisher, &publish::Publisher::progress, this, [this](qint64 done, qint64 total) {
        m_progress->setValue(total > 0 ? int(done * 1000 / total) : 0);
    });
    connect(publisher, &publish::Publisher::fileReported, this, &PublishScreen::reported);
    connect(publisher, &publish::Publisher::finished, this, &PublishScreen::finished);
    m_thread->start();
    QMetaObject::invokeMethod(publisher, task == Task::Publish ? &publish::Publisher::run
                                                               : &publish::Publisher::testConnection,
                              Qt::QueuedConnection);
}

void PublishScreen::reported(const publish::FileReport &report)
{
    auto *row = new QTreeWidgetItem(m_sent, {report.name, stateText(report), sizeText(report.size)});
    row->setToolTip(1, row->text(1));
    m_sent->scrollToItem(row);
}

void PublishScreen::forgetKey()
{
    Interaction &ui = m_workspace.interaction();
    const publish::Site wanted = site();
    if (wanted.host.isEmpty()) {
        ui.showMessage(this, QStringLiteral("Type the name of your web space's server in Host."),
                       Interaction::Icon::Information);
        return;
    }
    if (wanted.method == Method::Ftp) {
        ui.showMessage(this,
                       QStringLiteral("Plain FTP has no key or certificate that Tarnwell "
                                      "remembers."),
                       Interaction::Icon::Information);
        return;
    }
    const QString what = wanted.method == Method::Sftp ? QStringLiteral("key")
                                                       : QStringLiteral("certificate");
    if (!ui.askYesNoCritical(
            this, QStringLiteral("Forget the %1 of %2 on port %3? Tarnwell remembers it so that "
                                 "it can tell when someone pretends to be your server to catch "
                                 "your password and your files. Forget it only when your web "
                                 "host says that it changed the %1: the next connection shows "
                                 "the new one's fingerprint and asks first.")
                      .arg(what, wanted.host)
                      .arg(wanted.port)))
        return;
    QString trouble;
    switch (publish::forgetServer(publish::storeIn(dataFolder()), wanted.method, wanted.host,
                                  wanted.port, &trouble)) {
    case publish::Forgotten::Done:
        ui.showMessage(this,
                       QStringLiteral("Tarnwell has forgotten the %1 of %2. The next connection "
                                      "shows the fingerprint of the server's %1 and asks first.")
                           .arg(what, wanted.host),
                       Interaction::Icon::Information);
        break;
    case publish::Forgotten::NothingKept:
        ui.showMessage(this,
                       QStringLiteral("Tarnwell remembers no %1 of %2 on port %3.")
                           .arg(what, wanted.host)
                           .arg(wanted.port),
                       Interaction::Icon::Information);
        break;
    case publish::Forgotten::Failed:
        ui.showDetailedMessage(this,
                               QStringLiteral("Tarnwell could not forget the %1 of %2: the file "
                                              "that holds it cannot be written.")
                                   .arg(what, wanted.host),
                               trouble, Interaction::Icon::Warning);
        break;
    }
}

void PublishScreen::forgetPassword()
{
    publish::wipeIfLast(m_site.password);
    m_site.password.clear();
}

void PublishScreen::finished(const publish::Report &report)
{
    const Task task = m_task;
    m_thread->quit();
    m_thread->wait();
    m_thread->deleteLater();
    m_thread = nullptr;
    m_task = Task::None;
    showState();
    if (m_closeWhenDone) {
        m_closeWhenDone = false;
        forgetPassword();
        close();
        return;
    }
    if (report.problem) {
        if (answerProblem(report.problem))
            return start(task);
        forgetPassword();
        tellProblem(report.problem);
        return;
    }
    keepPassword();
    forgetPassword();
    if (task == Task::Test) {
        m_workspace.interaction().showMessage(
            this,
            QStringLiteral("Connected: Tarnwell can write to %1 on %2.")
                .arg(m_site.remoteFolder.isEmpty() ? QStringLiteral("your login folder")
                                                   : m_site.remoteFolder,
                     m_site.host),
            Interaction::Icon::Information);
        return;
    }
    published(report);
}

bool PublishScreen::answerProblem(const publish::Problem &problem)
{
    Interaction &ui = m_workspace.interaction();
    switch (problem.failure) {
    case Failure::NewHostKey:
    case Failure::NewCertificate:
        if (!ui.askYesNo(this,
                         QStringLiteral("This is the first time Tarnwell connects to %1. The "
                                        "server's %2 fingerprint is %3. If your web host "
                                        "publishes its fingerprint, compare them. Connect and "
                                        "remember this server?")
                             .arg(m_site.host,
                                  problem.failure == Failure::NewHostKey
                                      ? QStringLiteral("key")
                                      : QStringLiteral("certificate"),
                                  problem.fingerprint)))
            return false;
        m_site.acceptedFingerprint = problem.fingerprint;
        return true;
    case Failure::FolderMissing:
        if (m_site.createFolder ||
            !ui.askYesNo(this, QStringLiteral("There is no folder %1 on %2. Make it?")
                                   .arg(m_site.remoteFolder, m_site.host)))
            return false;
        m_site.createFolder = true;
        return true;
    default:
        return false;
    }
}

void PublishScreen::tellProblem(const publish::Problem &problem)
{
    const QString host = m_site.host;
    const QString folder =
        m_site.remoteFolder.isEmpty() ? QStringLiteral("your login folder") : m_site.remoteFolder;
    QString text;
    auto icon = Interaction::Icon::Warning;
    switch (problem.failure) {
    case Failure::None:
        return;
    case Failure::Cancelled:
        m_workspace.interaction().showMessage(
            this,
            QStringLiteral("You cancelled. The files on the server are as they were, apart from "
                           "those listed as sent."),
            Interaction::Icon::Information);
        return;
    case Failure::NewHostKey:
    case Failure::NewCertificate:
        text = QStringLiteral("Tarnwell did not connect to %1, and sent nothing.").arg(host);
        icon = Interaction::Icon::Information;
        break;
    case Failure::UnknownHost:
        text = QStringLiteral("Tarnwell cannot find the server %1. Check the name in Host: your "
                              "web host's letter gives it.")
                   .arg(host);
        break;
    case Failure::Refused:
        text = QStringLiteral("%1 does not take connections on port %2. Check the method and the "
                              "port: SFTP usually uses 22, FTP and FTPS 21.")
                   .arg(host)
                   .arg(m_site.port);
        break;
    case Failure::NoAnswer:
        text = QStringLiteral("%1 did not answer within 20 seconds. Check your internet "
                              "connection, the name in Host and the port.")
                   .arg(host);
        break;
    case Failure::LoginRefused:
        text = QStringLiteral("%1 refused the user name or the password. Check both: capital and "
                              "small letters count.")
                   .arg(host);
        break;
    case Failure::KeyRefused:
        text = QStringLiteral("%1 refused the key file, or the password of the key is wrong. "
                              "Check the key file, or leave it empty to log in with your "
                              "password.")
                   .arg(host);
        break;
    case Failure::ChangedHostKey:
        text = QStringLiteral("The key of %1 has changed since Tarnwell last connected. Someone "
                              "may be pretending to be your server, so Tarnwell sent nothing. ")
                   .arg(host);
        // Only Tarnwell's own file is Forget's to change.
        if (problem.where == publish::storeIn(dataFolder()).knownHosts)
            text += QStringLiteral("If your web host says that it changed the key, press Forget "
                                   "this server's key and connect again.");
        else
            text += QStringLiteral("If your web host says that it changed the key, remove the "
                                   "old key of %1 from %2 and connect again.")
                        .arg(host, QDir::toNativeSeparators(problem.where));
        icon = Interaction::Icon::Critical;
        break;
    case Failure::ChangedCertificate:
        text = QStringLiteral("The certificate of %1 has changed since Tarnwell last connected, "
                              "and with it its key. Someone may be pretending to be your server, "
                              "so Tarnwell sent nothing. If your web host says that it changed "
                              "the certificate's key, press Forget this server's key and connect "
                              "again.")
                   .arg(host);
        icon = Interaction::Icon::Critical;
        break;
    case Failure::KeyNeedsPassword:
        text = QStringLiteral("This key file needs its password: type it in Password");
        break;
    case Failure::RevokedHostKey:
        text = QStringLiteral("The key of %1 has been marked revoked on this computer (in %2), "
                              "and Tarnwell will not connect to a server that shows it. It sent "
                              "nothing. Ask your web host for the server's new key.")
                   .arg(host, QDir::toNativeSeparators(problem.where));
        icon = Interaction::Icon::Critical;
        break;
    case Failure::DamagedTrustFile:
        text = QStringLiteral("The file %1, where Tarnwell remembers the servers you trusted, "
                              "was damaged. Tarnwell set it aside as %2 and sent nothing. Connect "
                              "again: Tarnwell asks about each server as on a first connection, "
                              "so compare the fingerprint with your web host's.")
                   .arg(QDir::toNativeSeparators(problem.details),
                        QDir::toNativeSeparators(problem.where));
        icon = Interaction::Icon::Critical;
        break;
    case Failure::LeftAside:
        text = QStringLiteral("Tarnwell could not put the new file in place on %1, nor put the "
                              "old one back: the old file is now on the server as %2, and your "
                              "page may be missing a file. Publish again, or rename it back with "
                              "your web host's file manager.")
                   .arg(host, problem.where);
        break;
    case Failure::NoTls:
        text = QStringLiteral("%1 does not offer FTP with TLS, so Tarnwell did not send your "
                              "password. Ask your web host whether it offers SFTP or FTPS.")
                   .arg(host);
        break;
    case Failure::FolderMissing:
        text = QStringLiteral("There is no folder %1 on %2, and Tarnwell sent nothing. Check the "
                              "folder's name: your web host's letter says where your pages go.")
                   .arg(folder, host);
        break;
    case Failure::NoPermission:
        text = QStringLiteral("%1 does not let you write to %2. Check the folder's name: your "
                              "web host's letter says where your pages go.")
                   .arg(host, folder);
        break;
    case Failure::NoRoom:
        text = QStringLiteral("There is no room left on %1 for your files. Remove files you no "
                              "longer need from your web space, or ask your web host for more "
                              "room.")
                   .arg(host);
        break;
    case Failure::ConnectionLost:
        text = QStringLiteral("The connection to %1 was lost part-way. The files not listed as "
                              "sent are as they were on the server: publish again to send them.")
                   .arg(host);
        break;
    case Failure::BadName:
        text = QStringLiteral("Tarnwell sent nothing: a web server cannot take the name of %1. "
                              "Give the file a shorter name without line breaks or other special "
                              "characters, and change your page to use it.")
                   .arg(problem.where);
        break;
    case Failure::BadFolder:
        text = QStringLiteral("Tarnwell sent nothing: the folder on the server \"%1\" cannot be "
                              "used. It is counted from the folder you log in to, and cannot go "
                              "up with \"..\".")
                   .arg(problem.where);
        break;
    case Failure::NotInFolder:
        text = QStringLiteral("Tarnwell did not send %1: it is not a file of your session folder "
                              "(it is missing, a link or a folder, or it was replaced while "
                              "Tarnwell was publishing). Put the file itself in your session "
                              "folder and publish again.")
                   .arg(problem.where);
        break;
    case Failure::NotAFile:
        text = QStringLiteral("On %1, %2 is a link or a folder, not a file, so Tarnwell did not "
                              "replace it. Remove it from your web space, then publish again.")
                   .arg(host, problem.where);
        break;
    case Failure::Other:
        text = QStringLiteral("Publishing to %1 failed. The details say why.").arg(host);
        break;
    }
    m_workspace.interaction().showDetailedMessage(this, text, problem.details, icon);
}

void PublishScreen::published(const publish::Report &report)
{
    Interaction &ui = m_workspace.interaction();
    m_progress->setValue(1000);
    if (report.sent == 0) {
        ui.showMessage(this, QStringLiteral("Everything was already up to date"),
                       Interaction::Icon::Information);
    } else {
        ui.showMessage(this,
                       QStringLiteral("Your page is published: %1 of %2 files sent, the others "
                                      "unchanged.")
                           .arg(report.sent)
                           .arg(report.files.size()),
                       Interaction::Icon::Information);
    }
    if (!m_siteAddress->text().trimmed().isEmpty())
        checkArrival();
}

void PublishScreen::checkArrival()
{
    QString base = m_siteAddress->text().trimmed();
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    const QUrl address = QUrl(base).resolved(QUrl(addressOfPath(m_pageName)));
    const auto pageFile = std::find_if(m_files.cbegin(), m_files.cend(), [this](const auto &file) {
        return file.name == m_pageName;
    });
    QFile page(pageFile == m_files.cend() ? QString() : pageFile->localPath);
    const QByteArray sent = page.open(QIODevice::ReadOnly) ? page.readAll() : QByteArray();
    auto result = std::make_shared<publish::Arrival>(publish::Arrival::NotFound);
    QThread *fetch = QThread::create(
        [address, sent, result] { *result = publish::checkArrival(address, sent, nullptr); });
    m_task = Task::Publish; // nothing else starts meanwhile
    showState();
    m_cancel->setEnabled(false);
    connect(fetch, &QThread::finished, this, [this, fetch, address, result] {
        fetch->deleteLater();
        m_task = Task::None;
        showState();
        const QString shown = address.toDisplayString();
        Interaction &ui = m_workspace.interaction();
        if (*result == publish::Arrival::Same) {
            if (ui.offerAction(this, QStringLiteral("Your page is on the web at ") + shown,
                               QStringLiteral("Open")))
                QDesktopServices::openUrl(address);
        } else {
            ui.showMessage(this,
                           QStringLiteral("The files were sent, but %1 does not show them yet: "
                                          "check the folder and the web address.")
                               .arg(shown),
                           Interaction::Icon::Warning);
        }
    });
    fetch->start();
}

void PublishScreen::remember()
{
    QSettings settings;
    settings.beginGroup(QLatin1String(group));
    settings.setValue("method", m_method->currentIndex());
    settings.setValue("host", m_host->text().trimmed());
    settings.setValue("port", m_port->value());
    settings.setValue("user", m_user->text().trimmed());
    settings.setValue("keyFile", m_keyFile->text().trimmed());
    settings.setValue("remoteFolder", m_remoteFolder->text().trimmed());
    settings.setValue("siteAddress", m_siteAddress->text().trimmed());
    settings.setValue("remember", m_remember->isChecked());
}

void PublishScreen::keepPassword()
{
    if (!m_remember->isChecked()) {
        m_workspace.keyring().remove(passwordKey());
        return;
    }
    if (m_site.password.isEmpty())
        return;
    m_workspace.keyring().write(passwordKey(), m_site.password, [this](const QString &trouble) {
        if (trouble.isEmpty() || m_keyringTold)
            return;
        m_keyringTold = true;
        m_workspace.whenNoDialog([this, trouble] {
            m_workspace.interaction().showDetailedMessage(
                this,
                QStringLiteral("This computer has no keyring that Tarnwell can use, so your "
                               "password was not kept. Type it again next time."),
                trouble, Interaction::Icon::Information);
        });
    });
}

QString PublishScreen::passwordKey() const
{
    return QStringLiteral("%1:%2@%3:%4")
        .arg(m_method->currentIndex())
        .arg(m_user->text().trimmed(), m_host->text().trimmed())
        .arg(m_port->value());
}

} // namespace tarnwell
