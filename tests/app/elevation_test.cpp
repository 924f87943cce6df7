// SPDX-License-Identifier: GPL-3.0-or-later
// The administrator-rights restart: when it is offered, what pkexec is given, and which
// outcomes count as "the elevated copy ran".
#include "app/elevation.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

TEST(elevation, offered_only_outside_tests_and_the_elevated_copy)
{
    struct case_s {
        const char* name;
        std::vector<std::pair<const char*, const char*>> variables;
        bool offered;
    };
    const std::vector<case_s> cases = {
        {"desktop", {{"DISPLAY", ":0"}}, true},
        {"xcb platform", {{"QT_QPA_PLATFORM", "xcb"}}, true},
        {"offscreen", {{"QT_QPA_PLATFORM", "offscreen"}}, false},
        {"offscreen with options", {{"QT_QPA_PLATFORM", "offscreen:fontengine=freetype"}}, false},
        {"switched off", {{"PELLUCAN_NO_ELEVATE", "1"}}, false},
        {"switched off even when empty", {{"PELLUCAN_NO_ELEVATE", ""}}, false},
    };
    for (const case_s& c : cases) {
        SCOPED_TRACE(c.name);
        QProcessEnvironment environment;
        for (const auto& [name, value] : c.variables)
            environment.insert(QString::fromLatin1(name), QString::fromLatin1(value));
        EXPECT_EQ(may_offer_elevation(environment), c.offered);
    }
}

TEST(elevation, copy_gets_display_authority_and_working_folder)
{
    QTemporaryDir home;
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":1"));
    environment.insert(QStringLiteral("XAUTHORITY"), QStringLiteral("/run/user/1000/xauth"));
    environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral("/tmp/evil.so"));
    const QStringList arguments = elevation_arguments(QStringLiteral("/usr/bin/env"), environment, home.path(),
                                                      QStringLiteral("/home/u/work dir"), QStringLiteral("/opt/p/pellucan"));
    EXPECT_EQ(arguments, QStringList({QStringLiteral("/usr/bin/env"), QStringLiteral("DISPLAY=:1"),
                                      QStringLiteral("XAUTHORITY=/run/user/1000/xauth"),
                                      QStringLiteral("PELLUCAN_NO_ELEVATE=1"),
                                      QStringLiteral("PELLUCAN_WORKDIR=/home/u/work dir"),
                                      QStringLiteral("/opt/p/pellucan")}));

    // No XAUTHORITY: the user's ~/.Xauthority when there is one, else nothing.
    environment.remove(QStringLiteral("XAUTHORITY"));
    QStringList without = elevation_arguments(QStringLiteral("/usr/bin/env"), environment, home.path(),
                                              QStringLiteral("/w"), QStringLiteral("/p"));
    EXPECT_FALSE(without.join(QLatin1Char(' ')).contains(QStringLiteral("XAUTHORITY")));
    QFile cookie(home.filePath(QStringLiteral(".Xauthority")));
    ASSERT_TRUE(cookie.open(QIODevice::WriteOnly));
    cookie.close();
    without = elevation_arguments(QStringLiteral("/usr/bin/env"), environment, home.path(), QStringLiteral("/w"),
                                  QStringLiteral("/p"));
    EXPECT_TRUE(without.contains(QStringLiteral("XAUTHORITY=") + home.filePath(QStringLiteral(".Xauthority"))));
}

TEST(elevation, pkexec_outcomes)
{
    // A stand-in for pkexec that ends with the code it is given as its first argument
    // (or is killed, given "crash").
    QTemporaryDir dir;
    const QString fake = dir.filePath(QStringLiteral("pkexec"));
    QFile script(fake);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n[ \"$1\" = crash ] && kill -KILL $$\nexit \"$1\"\n");
    script.close();
    ASSERT_TRUE(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    struct case_s {
        const char* code;
        int result;
        int exit_code;
    };
    const std::vector<case_s> cases = {
        {"0", 0, 0},      // the copy ran and ended normally
        {"3", 0, 3},      // the copy ran and ended with its own code
        {"255", 0, 255},  // the copy found another elevated copy running
        {"126", -1, -7},  // authentication dismissed: run on without the rights
        {"127", -1, -7},  // not authorised
        {"crash", -1, -7},  // killed: no exit code to pass on
    };
    for (const case_s& c : cases) {
        SCOPED_TRACE(c.code);
        int exit_code = -7;
        EXPECT_EQ(run_elevated(fake, {QString::fromLatin1(c.code)}, exit_code), c.result);
        EXPECT_EQ(exit_code, c.exit_code);
    }
    int exit_code = -7;
    EXPECT_EQ(run_elevated(dir.filePath(QStringLiteral("no-such-pkexec")), {}, exit_code), -1);
    EXPECT_EQ(exit_code, -7);
}
