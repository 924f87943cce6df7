// SPDX-License-Identifier: GPL-3.0-or-later
// Restarting the program with administrator rights through polkit's pkexec.
#include "app/elevation.h"

#include <QFileInfo>
#include <QProcess>

namespace {

// pkexec's own exit codes: the authentication dialog was dismissed, or not authorised.
constexpr int pkexec_dismissed = 126;
constexpr int pkexec_not_authorised = 127;

}  // namespace

bool may_offer_elevation(const QProcessEnvironment& environment)
{
    if (environment.contains(QStringLiteral("PELLUCAN_NO_ELEVATE")))
        return false;
    if (environment.value(QStringLiteral("QT_QPA_PLATFORM")).trimmed().startsWith(QStringLiteral("offscreen")))
        return false;
    return true;
}

QStringList elevation_arguments(const QString& env_program, const QProcessEnvironment& environment,
                                const QString& home, const QString& workdir, const QString& program)
{
    QStringList arguments{env_program};
    const QString display = environment.value(QStringLiteral("DISPLAY"));
    if (!display.isEmpty())
        arguments << QStringLiteral("DISPLAY=") + display;
    QString xauthority = environment.value(QStringLiteral("XAUTHORITY"));
    if (xauthority.isEmpty()) {
        const QString fallback = home + QStringLiteral("/.Xauthority");
        if (QFileInfo::exists(fallback))
            xauthority = fallback;
    }
    if (!xauthority.isEmpty())
        arguments << QStringLiteral("XAUTHORITY=") + xauthority;
    arguments << QStringLiteral("PELLUCAN_NO_ELEVATE=1") << QStringLiteral("PELLUCAN_WORKDIR=") + workdir << program;
    return arguments;
}

int run_elevated(const QString& pkexec, const QStringList& arguments, int& exit_code)
{
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
