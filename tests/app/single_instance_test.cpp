// SPDX-License-Identifier: GPL-3.0-or-later
// The built program runs once per user: a second start ends at once with -1 and shows nothing.
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class single_instance_test : public QObject {
    Q_OBJECT

private slots:
    void second_start_exits_with_minus_one()
    {
        QTemporaryDir runtime;
        QVERIFY(runtime.isValid());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("PELLUCAN_NO_ELEVATE"), QStringLiteral("1"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), runtime.filePath(QStringLiteral("config")));

        QProcess first;
        first.setProcessEnvironment(environment);
        first.setWorkingDirectory(runtime.path());
        first.start(QStringLiteral(PELLUCAN_BINARY), {});
        QVERIFY(first.waitForStarted(10000));
        // The lock is taken before anything else; wait until the first copy holds it.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtime.filePath(QStringLiteral("Pellucan.lock"))), 10000);
        QTest::qWait(300);
        QCOMPARE(first.state(), QProcess::Running);

        QProcess second;
        second.setProcessEnvironment(environment);
        second.setWorkingDirectory(runtime.path());
        QElapsedTimer clock;
        clock.start();
        second.start(QStringLiteral(PELLUCAN_BINARY), {});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 255);
        QVERIFY2(clock.elapsed() < 5000, "the second copy must end at once");
        QVERIFY(second.readAllStandardOutput().isEmpty());
        QVERIFY(second.readAllStandardError().isEmpty());

        // The first copy is unaffected.
        QCOMPARE(first.state(), QProcess::Running);
        first.terminate();
        if (!first.waitForFinished(10000)) {
            first.kill();
            first.waitForFinished(5000);
        }
    }
};

QTEST_GUILESS_MAIN(single_instance_test)
#include "single_instance_test.moc"
