// SPDX-License-Identifier: GPL-3.0-or-later
// Restarting the program with administrator rights through polkit's pkexec.
#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Whether the restart may be offered at all: never on the offscreen platform and never
// when PELLUCAN_NO_ELEVATE is set (tests, and the elevated copy itself).
bool may_offer_elevation(const QProcessEnvironment& environment);

// The arguments for pkexec: `env_program` with the display, the X authority (or
// ~/.Xauthority when it exists), PELLUCAN_NO_ELEVATE=1 and PELLUCAN_WORKDIR=`workdir`,
// then `program`. pkexec itself passes on almost no environment.
QStringList elevation_arguments(const QString& env_program, const QProcessEnvironment& environment,
                                const QString& home, const QString& workdir, const QString& program);

// Runs `pkexec` with `arguments` and waits for it. 0 when the elevated copy ran (its exit
// code in `exit_code`); -1 when pkexec could not start, the authentication was dismissed
// or refused, or the copy crashed, so that the caller runs on without the rights.
int run_elevated(const QString& pkexec, const QStringList& arguments, int& exit_code);
