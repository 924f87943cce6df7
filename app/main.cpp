// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point of the desktop program: one instance, settings, window, start-up worker.
#include "app/elevation.h"
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
#include <QLoggingCategory>
#include <QStandardPaths>

namespace {

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

    // This process keeps its single-instance lock while the copy runs, so no further copy
    // of this user starts meanwhile (the copy, as root, takes a lock of its own).
    const QStringList arguments =
        elevation_arguments(env, QProcessEnvironment::systemEnvironment(), QDir::homePath(), QDir::currentPath(),
                            QCoreApplication::applicationFilePath());
    return run_elevated(pkexec, arguments, exit_code);
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

    if (!can_read_raw_devices() && may_offer_elevation(QProcessEnvironment::systemEnvironment())) {
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
