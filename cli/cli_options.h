// SPDX-License-Identifier: GPL-3.0-or-later
// Command line of pellucan-cli: the command table, its options and the parser.
#pragma once

#include <QList>
#include <QString>

// Exit codes of pellucan-cli; scripts rely on them.
enum cli_exit_e : int {
    EXIT_DONE = 0,
    EXIT_USAGE = 2,         // bad command line, unknown id, ambiguous source
    EXIT_SOURCE = 3,        // source cannot be opened, no supported file system, feature missing
    EXIT_WRITE_FAILED = 4,  // some files could not be written
};

enum cli_command_e : int {
    COMMAND_NONE = 0,
    COMMAND_HELP,
    COMMAND_VERSION,
    COMMAND_VOLUMES,
    COMMAND_DRIVES,
    COMMAND_SCAN,
    COMMAND_RECOVER,
    COMMAND_PARTITIONS,
};

// Option bits; each command accepts a subset.
enum cli_option_e : unsigned {
    OPTION_JSON = 1u << 0,
    OPTION_DEEP = 1u << 1,
    OPTION_PARTITION = 1u << 2,
    OPTION_SAVE = 1u << 3,
    OPTION_OUT = 1u << 4,
    OPTION_FROM = 1u << 5,
    OPTION_ALL = 1u << 6,
    OPTION_ID = 1u << 7,
    OPTION_MATCH = 1u << 8,
    OPTION_REPAIR = 1u << 9,
    OPTION_YES = 1u << 10,
    OPTION_TRACE = 1u << 11,
    OPTION_FORCE = 1u << 12,
};

struct cli_options_s {
    cli_command_e command = COMMAND_NONE;
    cli_command_e help_for = COMMAND_NONE;  // with COMMAND_HELP: the command asked about
    unsigned given = 0;                     // cli_option_e bits seen on the line
    QString source;                         // SOURCE of scan/recover, DRIVE of partitions
    QString out;
    QString save;
    QString from;
    QString match;
    QList<quint64> ids;
    int partition = -1;

    bool has(cli_option_e option) const { return (given & option) != 0; }
};

// One row of the command table.
struct cli_command_s {
    const char* name;
    cli_command_e command;
    unsigned options;       // cli_option_e bits the command accepts
    bool needs_operand;     // SOURCE or DRIVE
    const char* synopsis;   // after "pellucan-cli "
    const char* help;       // what it does and its options, ends with a newline
};

// All commands in the order --help lists them.
const QList<cli_command_s>& cli_commands();
const cli_command_s* find_command(cli_command_e command);

// Parses the arguments after the program name. 0 and *options filled, or -1 with a
// one-line reason in *error (a usage error).
int parse_arguments(const QStringList& arguments, cli_options_s* options, QString* error);

// The general usage text, and the help of one command.
QString usage_text();
QString command_help(cli_command_e command);
