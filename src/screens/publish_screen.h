#pragma once

#include "publish/publisher.h"
#include "publish/secret.h"

#include <QPointer>
#include <QWidget>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QThread;
class QTreeWidget;

namespace tarnwell {

class Workspace;

// Puts the saved page and the files it uses on the user's web space, and
// shows what happened to each.
class PublishScreen final : public QWidget
{
    Q_OBJECT

public:
    explicit PublishScreen(Workspace &workspace, QWidget *parent = nullptr);
    ~PublishScreen() override;

    void open();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    enum class Task { None, Test, Publish };

    void showState();
    void methodChosen();
    void chooseKeyFile();
    void forgetKey();
    void forgetPassword();
    void testConnection();
    void publish();
    bool readyToConnect();
    publish::Site site() const;
    void start(Task task);
    void reported(const publish::FileReport &report);
    void finished(const publish::Report &report);
    // True when the task runs again after the user's answer.
    bool answerProblem(const publish::Problem &problem);
    void tellProblem(const publish::Problem &problem);
    void published(const publish::Report &report);
    void checkArrival();
    void remember();
    void keepPassword();
    QString passwordKey() const;

    Workspace &m_workspace;
    QComboBox *m_method = nullptr;
    QLineEdit *m_host = nullptr;
    QSpinBox *m_port = nullptr;
    QLineEdit *m_user = nullptr;
    QLineEdit *m_password = nullptr;
    // No core dump while the field holds a password.
    std::unique_ptr<publish::NoCoreDump> m_noCoreDump;
    QLineEdit *m_keyFile = nullptr;
    QPushButton *m_chooseKey = nullptr;
    QLabel *m_keyCaption = nullptr;
    QLineEdit *m_remoteFolder = nullptr;
    QLineEdit *m_siteAddress = nullptr;
    QCheckBox *m_remember = nullptr;
    QLabel *m_notSecure = nullptr;
    QPushButton *m_test = nullptr;
    QPushButton *m_upload = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_close = nullptr;
    QPushButton *m_forgetKey = nullptr;
    QProgressBar *m_progress = nullptr;
    QTreeWidget *m_sent = nullptr;

    Task m_task = Task::None;
    QThread *m_thread = nullptr;
    QPointer<publish::Publisher> m_publisher;
    publish::Site m_site; // of the task that runs
    QList<publish::PageFile> m_files;
    QString m_pageName;
    bool m_keyringTold = false;
    bool m_closeWhenDone = false;
};

} // namespace tarnwell
