// SPDX-License-Identifier: GPL-3.0-or-later
// Command line of pellucan-cli: the command table, its options and the parser.
#include "cli/cli_options.h"

#include <QStringList>

namespace {

struct option_name_s {
    const char* name;
    cli_option_e option;
    bool takes_value;
};

const option_name_s option_names[] = {
    {"--json", OPTION_JSON, false},         {"--deep", OPTION_DEEP, false},
    {"--partition", OPTION_PARTITION, true}, {"--save", OPTION_SAVE, true},
    {"--out", OPTION_OUT, true},             {"--from", OPTION_FROM, true},
    {"--all", OPTION_ALL, false},            {"--id", OPTION_ID, true},
    {"--match", OPTION_MATCH, true},         {"--repair", OPTION_REPAIR, false},
    {"--yes", OPTION_YES, false},            {"--trace", OPTION_TRACE, false},
    {"--force", OPTION_FORCE, false},
};

const option_name_s* find_option(const QString& name)
{
    for (const option_name_s& o : option_names) {
        if (name == QLatin1String(o.name))
            return &o;
    }
    return nullptr;
}

bool parse_id(const QString& text, quint64* id)
{
    bool ok = false;
    const quint64 value = text.toULongLong(&ok, 10);
    if (!ok || text.isEmpty() || !text.at(0).isDigit())
        return false;
    *id = value;
    return true;
}

}  // namespace

const QList<cli_command_s>& cli_commands()
{
    static const QList<cli_command_s> commands = {
        {"volumes", COMMAND_VOLUMES, OPTION_JSON, false, "volumes [--json]",
         "List the volumes (partitions and whole-disk file systems) of the disks.\n"
         "  --json        one JSON object per line\n"},
        {"drives", COMMAND_DRIVES, OPTION_JSON, false, "drives [--json]",
         "List the disks in drive order, with size and geometry.\n"
         "  --json        one JSON object per line\n"},
        {"scan", COMMAND_SCAN, OPTION_JSON | OPTION_DEEP | OPTION_PARTITION | OPTION_SAVE | OPTION_TRACE, true,
         "scan SOURCE [--deep] [--partition N] [--json] [--save FILE.sav] [--trace]",
         "Scan SOURCE and list every deleted file found, with its path in the volume.\n"
         "SOURCE is a device node, a volume shown by 'volumes' (device path or volume\n"
         "name), or an image file: a volume image, or a disk image with --partition N.\n"
         "  --deep            search the whole source for files by their signatures\n"
         "  --partition N     the partition N of a disk image or drive (as 'volumes' numbers it)\n"
         "  --json            one JSON object per line: id, path, name, size, date1, date2,\n"
         "                    flags, deleted, engine (and offset, type for carved files)\n"
         "  --save FILE.sav   save the result of a deep scan to a scan file\n"
         "  --trace           copy the engines' trace lines to standard error\n"},
        {"recover", COMMAND_RECOVER,
         OPTION_JSON | OPTION_DEEP | OPTION_PARTITION | OPTION_OUT | OPTION_FROM | OPTION_ALL | OPTION_ID
             | OPTION_MATCH | OPTION_TRACE | OPTION_FORCE,
         true,
         "recover SOURCE --out DIR [--deep] [--partition N] [--from FILE.sav]\n"
         "                     [--all | --id ID ... | --match GLOB] [--json] [--trace] [--force]",
         "Scan SOURCE (or load a scan file) and write the chosen files below DIR, keeping\n"
         "their folders. Names from the volume are made safe; nothing is written outside\n"
         "DIR, links found in DIR are not followed, existing files are never overwritten\n"
         "(a new file gets \" (2)\", \" (3)\" ... instead).\n"
         "  --out DIR         the output folder (created when missing); it must not lie on\n"
         "                    the scanned volume unless --force is given\n"
         "  --all             every file found\n"
         "  --id ID ...       the files with these ids (as 'scan' lists them)\n"
         "  --match GLOB      the files whose path or name matches GLOB (*, ?, [..];\n"
         "                    case-insensitive; '*' does not cross '/')\n"
         "  --deep, --partition N, --trace   as for 'scan'\n"
         "  --from FILE.sav   take the files of a saved deep scan instead of scanning\n"
         "  --json            one JSON object per file: path, target, ok, bytes\n"
         "  --force           write even when DIR lies on the scanned volume\n"},
        {"partitions", COMMAND_PARTITIONS, OPTION_JSON | OPTION_REPAIR | OPTION_YES, true,
         "partitions DRIVE [--json] [--repair --yes]",
         "Search DRIVE (a disk or disk image) for lost NTFS and FAT32 partitions.\n"
         "  --json          one JSON object per partition found\n"
         "  --repair --yes  write a new partition table holding the partitions found\n"
         "                  (the old sector 0 is saved to a backup file first)\n"},
    };
    return commands;
}

const cli_command_s* find_command(cli_command_e command)
{
    for (const cli_command_s& c : cli_commands()) {
        if (c.command == command)
            return &c;
    }
    return nullptr;
}

QString usage_text()
{
    QString text = QStringLiteral("Usage:\n");
    for (const cli_command_s& c : cli_commands())
        text += QStringLiteral("  pellucan-cli %1\n").arg(QLatin1String(c.synopsis));
    text += QStringLiteral(
        "  pellucan-cli COMMAND --help\n"
        "\n"
        "Finds deleted files on a volume or image and copies them out; the source is only\n"
        "ever read. Exit codes: 0 done, 2 usage error, 3 source cannot be opened or has no\n"
        "supported file system, 4 some files could not be written.\n");
    return text;
}

QString command_help(cli_command_e command)
{
    const cli_command_s* c = find_command(command);
    if (c == nullptr)
        return usage_text();
    return QStringLiteral("Usage: pellucan-cli %1\n\n%2").arg(QLatin1String(c->synopsis), QLatin1String(c->help));
}

int parse_arguments(const QStringList& arguments, cli_options_s* options, QString* error)
{
    *options = cli_options_s();
    if (arguments.isEmpty()) {
        *error = QStringLiteral("no command given");
        return -1;
    }
    const QString& first = arguments.first();
    if (first == QLatin1String("--help") || first == QLatin1String("-h") || first == QLatin1String("help")) {
        options->command = COMMAND_HELP;
        if (arguments.size() > 1) {
            for (const cli_command_s& c : cli_commands()) {
                if (arguments.at(1) == QLatin1String(c.name))
                    options->help_for = c.command;
            }
            if (options->help_for == COMMAND_NONE) {
                *error = QStringLiteral("unknown command \"%1\"").arg(arguments.at(1));
                return -1;
            }
        }
        return 0;
    }
    if (first == QLatin1String("--version")) {
        options->command = COMMAND_VERSION;
        return 0;
    }

    const cli_command_s* command = nullptr;
    for (const cli_command_s& c : cli_commands()) {
        if (first == QLatin1String(c.name))
            command = &c;
    }
    if (command == nullptr) {
        *error = QStringLiteral("unknown command \"%1\"").arg(first);
        return -1;
    }
    options->command = command->command;

    bool operands_only = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString argument = arguments.at(i);
        if (!operands_only && (argument == QLatin1String("--help") || argument == QLatin1String("-h"))) {
            options->help_for = command->command;
            options->command = COMMAND_HELP;
            return 0;
        }
        if (!operands_only && argument == QLatin1String("--")) {
            operands_only = true;
            continue;
        }
        if (operands_only || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            if (!command->needs_operand) {
                *error = QStringLiteral("%1 takes no operand (got \"%2\")").arg(QLatin1String(command->name), argument);
                return -1;
            }
            if (!options->source.isEmpty()) {
                *error = QStringLiteral("more than one source given (\"%1\" and \"%2\")").arg(options->source, argument);
                return -1;
            }
            options->source = argument;
            continue;
        }

        QString name = argument;
        QString value;
        bool inline_value = false;
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        if (argument.startsWith(QLatin1String("--")) && equals > 2) {
            name = argument.left(equals);
            value = argument.mid(equals + 1);
            inline_value = true;
        }
        const option_name_s* option = find_option(name);
        if (option == nullptr) {
            *error = QStringLiteral("unknown option \"%1\"").arg(name);
            return -1;
        }
        if ((command->options & option->option) == 0) {
            *error = QStringLiteral("%1 does not take %2").arg(QLatin1String(command->name), name);
            return -1;
        }
        if (!option->takes_value && inline_value) {
            *error = QStringLiteral("%1 takes no value").arg(name);
            return -1;
        }
        if (option->takes_value && !inline_value) {
            if (i + 1 >= arguments.size()) {
                *error = QStringLiteral("%1 needs a value").arg(name);
                return -1;
            }
            value = arguments.at(++i);
        }
        if (option->option != OPTION_ID && options->has(option->option)) {
            *error = QStringLiteral("%1 given twice").arg(name);
            return -1;
        }
        options->given |= option->option;

        switch (option->option) {
        case OPTION_PARTITION: {
            bool ok = false;
            const int n = value.toInt(&ok, 10);
            if (!ok || n < 0 || !value.at(0).isDigit()) {
                *error = QStringLiteral("--partition needs a partition number, not \"%1\"").arg(value);
                return -1;
            }
            options->partition = n;
            break;
        }
        case OPTION_ID: {
            quint64 id = 0;
            if (!parse_id(value, &id)) {
                *error = QStringLiteral("--id needs a file id, not \"%1\"").arg(value);
                return -1;
            }
            options->ids.append(id);
            // "--id 5 7 9": further plain numbers belong to --id as well.
            while (!inline_value && i + 1 < arguments.size() && parse_id(arguments.at(i + 1), &id)) {
                options->ids.append(id);
                ++i;
            }
            break;
        }
        case OPTION_SAVE: options->save = value; break;
        case OPTION_OUT: options->out = value; break;
        case OPTION_FROM: options->from = value; break;
        case OPTION_MATCH: options->match = value; break;
        default: break;
        }
        if (option->takes_value && value.isEmpty()) {
            *error = QStringLiteral("%1 needs a value").arg(name);
            return -1;
        }
    }

    // Rules between options, checked once the whole line is known.
    if (command->needs_operand && options->source.isEmpty()) {
        *error = QStringLiteral("%1 needs %2").arg(QLatin1String(command->name),
                                                   command->command == COMMAND_PARTITIONS ? QStringLiteral("a DRIVE")
                                                                                          : QStringLiteral("a SOURCE"));
        return -1;
    }
    if (options->command == COMMAND_RECOVER) {
        if (options->out.isEmpty()) {
            *error = QStringLiteral("recover needs --out DIR");
            return -1;
        }
        const int selectors = (options->has(OPTION_ALL) ? 1 : 0) + (options->has(OPTION_ID) ? 1 : 0)
                              + (options->has(OPTION_MATCH) ? 1 : 0);
        if (selectors != 1) {
            *error = selectors == 0 ? QStringLiteral("recover needs one of --all, --id ID ..., --match GLOB")
                                    : QStringLiteral("give only one of --all, --id, --match");
            return -1;
        }
    }
    if (options->has(OPTION_SAVE) && !options->has(OPTION_DEEP)) {
        *error = QStringLiteral("--save needs --deep: only deep scan results are saved");
        return -1;
    }
    if (options->has(OPTION_YES) && !options->has(OPTION_REPAIR)) {
        *error = QStringLiteral("--yes only confirms --repair");
        return -1;
    }
    if (options->has(OPTION_REPAIR) && !options->has(OPTION_YES)) {
        *error = QStringLiteral("--repair rewrites sector 0 of the drive; confirm it with --yes");
        return -1;
    }
    return 0;
}
