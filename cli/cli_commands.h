// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of pellucan-cli.
#pragma once

#include "cli/cli_options.h"

#include <QStringList>

// Runs the command line (the arguments after the program name); answers the exit code.
int run_cli(const QStringList& arguments);

int run_volumes(const cli_options_s& options);
int run_drives(const cli_options_s& options);
int run_scan(const cli_options_s& options);
int run_recover(const cli_options_s& options);
int run_partitions(const cli_options_s& options);

// Text safe to show on a terminal: control characters of names read from a volume
// (escape sequences included) become "?".
QString printable(const QString& text);
