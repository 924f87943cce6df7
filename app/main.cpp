// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point of the desktop program: one instance, settings, window, start-up worker.
#include "app/init_thread.h"
#include "app/language.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "app/settings.h"
#include "engines/base/recovery_base.h"
#include "platform/privileges.h"
#include "platform/single_instance.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QStandardPaths>

namespace {

// pkexec's own exit codes: the authentication dialog was dismissed, or not authorised.
constexpr int pkexec_dismissed = 126;
constexpr int pkexec_not_authorised = 127;

bool may_offer_elevation()
{
    if (qEnvironmentVariableIsSet("PELLUCAN_NO_ELEVATE"))
        return false;
    if (qgetenv("QT_QPA_PLATFORM").trimmed().startsWith("offscreen"))
        return false;
    return true;
}

// Raw disks cannot be read: offers to start again with administrator rights through
// polkit. Returns 0 and sets `exit_code` when the elevated copy ran (this process then
// ends with its exit code); -1 when the user declined or the restart failed, so that
// this process runs on with empty lists.
int offer_elevation(int& exit_code)
{
    const QString pkexec = QStandardPaths::findExecutable(QStringLiteral("pkexec"));
    const QString env = QStandardPaths::findExecutable(QStringLiteral("env"));
    if (pkexec.isEmpty() || env.isEmpty())
        return -1;

    QString question = text_of("elevate_query");
    if (question.isEmpty())
        question = QStringLiteral("Pellucan needs administrator rights to read your disks.\n"
                                  "Start it again with administrator rights?");
    QMessageBox box(QMessageBox::Question, QStringLiteral("Pellucan"), question, QMessageBox::Yes | QMessageBox::No,
                    nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    box.setIconPixmap(QPixmap(QStringLiteral(":/images/top.ico")));
    if (box.exec() != QMessageBox::Yes)
        return -1;

    // pkexec hands the program a minimal environment: give the copy the display, the X
    // authority and this working directory (where Pellucan.ini and language.ini live),
    // and keep it from asking again.
    QStringList arguments{env};
    const QByteArray display = qgetenv("DISPLAY");
    if (!display.isEmpty())
        arguments << QStringLiteral("DISPLAY=") + QString::fromLocal8Bit(display);
    QString xauthority = QString::fromLocal8Bit(qgetenv("XAUTHORITY"));
    if (xauthority.isEmpty()) {
        const QString fallback = QDir::homePath() + QStringLiteral("/.Xauthority");
        if (QFileInfo::exists(fallback))
            xauthority = fallback;
    }
    if (!xauthority.isEmpty())
        arguments << QStringLiteral("XAUTHORITY=") + xauthority;
    arguments << QStringLiteral("PELLUCAN_NO_ELEVATE=1")
              << QStringLiteral("PELLUCAN_WORKDIR=") + QDir::currentPath()
              << QCoreApplication::applicationFilePath();

    // This process keeps its single-instance lock while the copy runs, so no further copy
    // of this user starts meanwhile.
    QProcess elevated;
    elevated.setProcessChannelMode(QProcess::ForwardedChannels);
    elevated.start(pkexec, arguments);
    if (!elevated.waitForStarted(-1) || !elevated.waitForFinished(-1))
        return -1;
    if (elevated.exitStatus() != QProcess::NormalExit)
        return -1;
    const int code = elevated.exitCode();
    if (code == pkexec_dismissed || code == pkexec_not_authorised)
        return -1;
    exit_code = code;
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (acquire_single_instance(QStringLiteral("Pellucan")) == -1)
        return -1;

    // An elevated copy is started by pkexec in another directory: go back to the one the
    // user started from, where the settings and the language file are.
    const QString workdir = QString::fromLocal8Bit(qgetenv("PELLUCAN_WORKDIR"));
    if (!workdir.isEmpty())
        QDir::setCurrent(workdir);

    load_settings();

    QApplication application(argc, argv);
    // The forms connect slots by name, and the window's and pages' slots (on_click_...)
    // are connected explicitly instead; keep Qt's notes about unmatched names off stderr.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.core.qmetaobject.connectslotsbyname=false"));
    register_engine_types();

    if (!can_read_raw_devices() && may_offer_elevation()) {
        int exit_code = 0;
        if (offer_elevation(exit_code) == 0)
            return exit_code;
    }

    auto* window = new main_window_c();
    auto* worker = new init_c();
    QObject::connect(worker, &init_c::init_finished, window, &main_window_c::on_init_finished);
    worker->start(QThread::InheritPriority);
    window->show();

    const int result = application.exec();

    // The window can be closed while discovery still runs: the worker object must not be
    // destroyed under its running thread.
    worker->wait();
    delete worker;
    delete window;
    return result;
}
