// SPDX-License-Identifier: GPL-3.0-or-later
// pellucan-cli: finds deleted files on a volume or image and copies them out, from a shell.
#include "cli/cli_commands.h"
#include "engines/base/recovery_base.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char** argv)
{
    // Arguments are taken as given (UTF-8 file names); no Qt option is looked for.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pellucan-cli"));
    register_engine_types();
    return run_cli(arguments);
}
