// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line parser and the small text helpers of pellucan-cli.
#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "cli/cli_output.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

QStringList split_args(const char* line)
{
    return QString::fromUtf8(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

TEST(ParseArguments, AcceptsEveryCommandForm)
{
    cli_options_s o;
    QString error;

    ASSERT_EQ(parse_arguments(split_args("scan img --partition 2 --json"), &o, &error), 0) << error.toStdString();
    EXPECT_EQ(o.command, COMMAND_SCAN);
    EXPECT_EQ(o.source, QStringLiteral("img"));
    EXPECT_EQ(o.partition, 2);
    EXPECT_TRUE(o.has(OPTION_JSON));
    EXPECT_FALSE(o.has(OPTION_DEEP));

    ASSERT_EQ(parse_arguments(split_args("recover --out=/o img --id 5 7 --id=9 --id 11 --json"), &o, &error), 0)
        << error.toStdString();
    EXPECT_EQ(o.command, COMMAND_RECOVER);
    EXPECT_EQ(o.out, QStringLiteral("/o"));
    EXPECT_EQ(o.source, QStringLiteral("img"));
    EXPECT_EQ(o.ids, (QList<quint64>{5, 7, 9, 11}));

    // A source that looks like a number is still the source when it comes first.
    ASSERT_EQ(parse_arguments(split_args("recover 7 --out d --match *.JPG"), &o, &error), 0) << error.toStdString();
    EXPECT_EQ(o.source, QStringLiteral("7"));
    EXPECT_EQ(o.match, QStringLiteral("*.JPG"));

    ASSERT_EQ(parse_arguments(split_args("scan -- --odd-name"), &o, &error), 0);
    EXPECT_EQ(o.source, QStringLiteral("--odd-name"));

    ASSERT_EQ(parse_arguments(split_args("partitions /dev/sdb --repair --yes"), &o, &error), 0);
    EXPECT_TRUE(o.has(OPTION_REPAIR));

    ASSERT_EQ(parse_arguments(split_args("recover --help"), &o, &error), 0);
    EXPECT_EQ(o.command, COMMAND_HELP);
    EXPECT_EQ(o.help_for, COMMAND_RECOVER);
    EXPECT_TRUE(command_help(o.help_for).contains(QStringLiteral("--match GLOB")));

    ASSERT_EQ(parse_arguments(split_args("--help"), &o, &error), 0);
    EXPECT_EQ(o.command, COMMAND_HELP);
    EXPECT_EQ(o.help_for, COMMAND_NONE);
}

TEST(ParseArguments, RefusesBadLinesWithAReason)
{
    struct bad_case_s {
        const char* line;
        const char* reason;  // part of the message
    };
    const bad_case_s cases[] = {
        {"", "no command"},
        {"frobnicate", "unknown command"},
        {"help frobnicate", "unknown command"},
        {"scan", "needs a SOURCE"},
        {"partitions", "needs a DRIVE"},
        {"volumes extra", "takes no operand"},
        {"scan a b", "more than one source"},
        {"scan img --bogus", "unknown option"},
        {"scan img --out d", "does not take --out"},
        {"volumes --deep", "does not take --deep"},
        {"scan img --partition", "needs a value"},
        {"scan img --partition x", "partition number"},
        {"scan img --partition -1", "partition number"},
        {"scan img --json --json", "given twice"},
        {"scan img --json=1", "takes no value"},
        {"scan img --save f.sav", "needs --deep"},
        {"recover img --all", "needs --out"},
        {"recover img --out d", "one of --all"},
        {"recover img --out d --all --match x", "only one of"},
        {"recover img --out d --id", "needs a value"},
        {"recover img --out d --id x1", "file id"},
        {"recover img --out= --all", "needs a value"},
        {"partitions d --repair", "confirm it with --yes"},
        {"partitions d --yes", "only confirms"},
    };
    for (const bad_case_s& c : cases) {
        SCOPED_TRACE(c.line);
        cli_options_s o;
        QString error;
        EXPECT_EQ(parse_arguments(split_args(c.line), &o, &error), -1);
        EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << error.toStdString();
    }
}

TEST(CliText, ProgressLineStaysInsideItsWidth)
{
    for (int width : {10, 20}) {
        SCOPED_TRACE(width);
        EXPECT_LE(format_progress(0.5, 1234, 12, 0, 65000, width).size(), width);
    }
    for (int width : {40, 79, 200}) {
        SCOPED_TRACE(width);
        const QString line = format_progress(0.5, 1234, 12, 0, 65000, width);
        EXPECT_LE(line.size(), width);
        EXPECT_TRUE(line.contains(QStringLiteral("50.0%")));
        EXPECT_TRUE(line.contains(QStringLiteral("01:05")));
    }
    const QString wide = format_progress(0.25, 0, 0, 4ull << 30, 2000, 120);
    EXPECT_TRUE(wide.startsWith(QStringLiteral("[##########..............................]")));
    EXPECT_TRUE(wide.contains(QStringLiteral("512.0 MiB/s")));
    // A fraction out of range (or not a number) is drawn clamped, never past the bar.
    EXPECT_TRUE(format_progress(7.0, 1, 0, 0, 1000, 80).contains(QStringLiteral("100.0%")));
    EXPECT_TRUE(format_progress(std::nan(""), 1, 0, 0, 1000, 80).contains(QStringLiteral(" 0.0%")));
}

TEST(CliText, TablesAlignAndNamesCannotDriveTheTerminal)
{
    const QStringList lines = format_table({{QStringLiteral("ID"), QStringLiteral("PATH")},
                                            {QStringLiteral("12345"), QStringLiteral("a")}},
                                           {0});
    EXPECT_EQ(lines, (QStringList{QStringLiteral("   ID  PATH"), QStringLiteral("12345  a")}));
    EXPECT_EQ(printable(QString::fromUtf8("a\x1b[2Jb\nc\xc2\x9b" "d")), QString::fromUtf8("a?[2Jb?c?d"));
    EXPECT_EQ(human_size(1023), QStringLiteral("1023 B"));
    EXPECT_EQ(human_size(1536), QStringLiteral("1.5 KiB"));
    EXPECT_EQ(date_text(0), QStringLiteral("-"));
}

}  // namespace
