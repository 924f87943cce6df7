// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's page flow on the offscreen platform, before and after discovery.
#include "app/app_state.h"
#include "app/home_window.h"
#include "app/init_thread.h"
#include "app/main_window.h"
#include "app/settings.h"
#include "partition/partition_window.h"
#include "platform/devices.h"
#include "results/recovery_window.h"
#include "storage/drive_list.h"
#include "storage/drive_window.h"
#include "storage/volume_list.h"
#include "storage/volume_window.h"
#include "tests/app/box_answer.h"

#include <QDir>
#include <QFile>
#include <QListView>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class main_window_test : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString old_cwd;
    std::unique_ptr<main_window_c> window;
    QList<volume_item_s> volumes;
    QList<drive_item_s> drives;

    void check_page(QWidget* expected)
    {
        QCOMPARE(window->current_page(), expected);
        const QList<QWidget*> pages{window->home_page, window->volume_page, window->drive_page,
                                    window->partition_page, window->recovery_page};
        for (QWidget* page : pages)
            QCOMPARE(page->isVisible(), page == expected);
    }

    static void select_row(QListView* view, int row) { view->setCurrentIndex(view->model()->index(row, 0)); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        old_cwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath(QStringLiteral("config")));
        QFile language(dir.filePath(QStringLiteral("language.ini")));
        QVERIFY(language.open(QIODevice::WriteOnly));
        language.write("[English]\nstartup_warning=\"Still starting\"\nback_warning=\"Leave the scan?\"\n"
                       "main_warning1=\"Pick a drive\"\nmain_warning2=\"Pick a volume\"\n"
                       "scan_nosel_warning=\"Nothing selected\"\n");
        language.close();
        load_settings();

        // Discovery runs over an empty machine: no disks, no volumes.
        for (const char* sub : {"sys/block", "dev"})
            QVERIFY(QDir(dir.path()).mkpath(QString::fromLatin1(sub)));
        QFile mountinfo(dir.filePath(QStringLiteral("mountinfo")));
        QVERIFY(mountinfo.open(QIODevice::WriteOnly));
        mountinfo.close();
        platform::roots_s roots;
        roots.sysfs = dir.filePath(QStringLiteral("sys"));
        roots.dev = dir.filePath(QStringLiteral("dev"));
        roots.mountinfo = dir.filePath(QStringLiteral("mountinfo"));
        platform::set_roots(roots);

        window = std::make_unique<main_window_c>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void cleanupTestCase()
    {
        window.reset();
        QDir::setCurrent(old_cwd);
    }

    void starts_on_the_home_page()
    {
        check_page(window->home_page);
        QCOMPARE(window->gridLayout->count(), 5);
        QCOMPARE(window->minimumSize(), QSize(800, 600));
        QVERIFY(window->sizePolicy().hasHeightForWidth());
        // Every page sits in the one cell of the grid.
        for (int i = 0; i < window->gridLayout->count(); ++i) {
            int row = -1, column = -1, rows = 0, columns = 0;
            window->gridLayout->getItemPosition(i, &row, &column, &rows, &columns);
            QCOMPARE(QList<int>({row, column, rows, columns}), QList<int>({0, 0, 1, 1}));
        }
    }

    void home_buttons_before_discovery_warn_and_stay()
    {
        QVERIFY(!init_done);
        for (QPushButton* button : {window->home_page->btn_start, window->home_page->btn_resume}) {
            const auto seen = answer_next_box(box_answer_e::click_ok);
            button->click();
            QVERIFY(seen->seen);
            QCOMPARE(seen->title, QStringLiteral("Pellucan"));
            QCOMPARE(seen->text, QStringLiteral("Still starting"));
            QVERIFY(seen->has_parent);
            check_page(window->home_page);
        }
    }

    void discovery_ends_with_init_finished()
    {
        init_c worker;
        connect(&worker, &init_c::init_finished, window.get(), &main_window_c::on_init_finished);
        QSignalSpy finished(&worker, &init_c::init_finished);
        worker.start(QThread::InheritPriority);
        QVERIFY(finished.wait(20000) || finished.count() == 1);
        QVERIFY(worker.wait(20000));
        QVERIFY(init_done);
        // The queued slot has handed the lists to the pages: the header rows are shown.
        QTRY_VERIFY(window->volume_page->lv_volumes->model() != nullptr);
        QCOMPARE(window->volume_page->lv_volumes->model()->rowCount(), volume_list().size());
        QCOMPARE(window->drive_page->lv_drives->model()->rowCount(), drive_list().size());
        check_page(window->home_page);
    }

    void home_start_after_discovery_and_back()
    {
        window->home_page->btn_start->click();
        check_page(window->volume_page);
        window->volume_page->btn_back->click();
        check_page(window->home_page);
    }

    void home_resume_without_a_file_stays_home()
    {
        window->home_page->btn_resume->click();
        check_page(window->home_page);
    }

    void volume_scan_paths()
    {
        window->show_page(PAGE_VOLUME);
        volume_item_s header;
        volume_item_s fat;
        fat.device_path = QStringLiteral("/dev/fake1");
        fat.volume_name = fat.device_path;
        fat.root_path = fat.device_path;
        fat.file_system = QStringLiteral("FAT32");
        volumes = {header, fat};
        window->volume_page->set_volume_list(&volumes);

        // No row: the page warns itself and nothing else happens.
        auto seen = answer_next_box(box_answer_e::click_ok);
        window->volume_page->btn_scan->click();
        QVERIFY(seen->seen);
        QCOMPARE(seen->text, QStringLiteral("Nothing selected"));
        check_page(window->volume_page);

        // The header row: "main_warning2", a box of its own without a parent.
        select_row(window->volume_page->lv_volumes, 0);
        seen = answer_next_box(box_answer_e::click_ok);
        window->volume_page->btn_scan->click();
        QVERIFY(seen->seen);
        QCOMPARE(seen->title, QStringLiteral("Quenfield"));
        QCOMPARE(seen->text, QStringLiteral("Pick a volume"));
        QCOMPARE(int(seen->buttons), int(QMessageBox::Ok));
        QVERIFY(!seen->has_parent);
        check_page(window->volume_page);

        // A volume the recovery page declines: the volume page stays, no box.
        select_row(window->volume_page->lv_volumes, 1);
        seen = answer_next_box(box_answer_e::click_ok, 300);
        emit window->volume_page->start_scan();
        QTest::qWait(400);
        QVERIFY(!seen->seen);
        check_page(window->volume_page);

        window->volume_page->btn_refresh->click();
        check_page(window->volume_page);
    }

    void drive_scan_paths()
    {
        window->show_page(PAGE_DRIVE);
        check_page(window->drive_page);
        drive_item_s header;
        drive_item_s disk;
        disk.path = QStringLiteral("/dev/fakedisk");
        disk.size = 1 << 20;
        disk.geometry = std::make_shared<disk_geometry_s>();
        drives = {header, disk};
        window->drive_page->set_drive_list(&drives);

        // The header row: "main_warning1".
        select_row(window->drive_page->lv_drives, 0);
        auto seen = answer_next_box(box_answer_e::click_ok);
        window->drive_page->btn_scan->click();
        QVERIFY(seen->seen);
        QCOMPARE(seen->title, QStringLiteral("Quenfield"));
        QCOMPARE(seen->text, QStringLiteral("Pick a drive"));
        QVERIFY(!seen->has_parent);
        check_page(window->drive_page);

        // After a refresh no row is current: nothing happens.
        window->drive_page->btn_refresh->click();
        seen = answer_next_box(box_answer_e::click_ok, 300);
        window->drive_page->btn_scan->click();
        QTest::qWait(400);
        QVERIFY(!seen->seen);
        check_page(window->drive_page);

        // A drive: the search page shows it; back leads to the volume page.
        window->drive_page->set_drive_list(&drives);
        select_row(window->drive_page->lv_drives, 1);
        window->drive_page->btn_scan->click();
        check_page(window->partition_page);
        QCOMPARE(window->partition_page->searched_drive().path, QStringLiteral("/dev/fakedisk"));
        window->partition_page->btn_back->click();
        check_page(window->volume_page);

        window->show_page(PAGE_DRIVE);
        window->drive_page->btn_back->click();
        check_page(window->home_page);
    }

    void recovery_back_asks_only_while_a_scan_runs()
    {
        // No scan: straight to the volume page.
        window->show_page(PAGE_RECOVERY);
        auto seen = answer_next_box(box_answer_e::click_ok, 300);
        window->recovery_page->btn_back->click();
        QTest::qWait(400);
        QVERIFY(!seen->seen);
        check_page(window->volume_page);

        scan_running = true;
        window->show_page(PAGE_RECOVERY);
        // No: the page stays.
        seen = answer_next_box(box_answer_e::click_no);
        window->recovery_page->btn_back->click();
        QVERIFY(seen->seen);
        QCOMPARE(seen->text, QStringLiteral("Leave the scan?"));
        QCOMPARE(int(seen->buttons), int(QMessageBox::Yes | QMessageBox::No));
        check_page(window->recovery_page);
        // Escape counts as No.
        seen = answer_next_box(box_answer_e::press_escape);
        window->recovery_page->btn_back->click();
        QVERIFY(seen->seen);
        check_page(window->recovery_page);
        // Yes: the volume page.
        seen = answer_next_box(box_answer_e::click_yes);
        window->recovery_page->btn_back->click();
        QVERIFY(seen->seen);
        check_page(window->volume_page);
        scan_running = false;
    }

    void home_page_follows_its_height_data()
    {
        QTest::addColumn<int>("height");
        for (int h : {492, 500, 533, 600, 777, 1080})
            QTest::newRow(qPrintable(QString::number(h))) << h;
    }

    void home_page_follows_its_height()
    {
        QFETCH(int, height);
        home_window_c page(nullptr);
        page.resize(800, height);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        // Both buttons end at 0.45 of the height (up to the truncation), side by side.
        for (QPushButton* button : {page.btn_start, page.btn_resume}) {
            QCOMPARE(button->height(), 106);
            QCOMPARE(button->y(), int(height - (0.55 * height + 106)));
        }
        QCOMPARE(page.btn_start->geometry(), QRect(40, page.btn_start->y(), 330, 106));
        QCOMPARE(page.btn_resume->geometry(), QRect(425, page.btn_resume->y(), 323, 106));
        QCOMPARE(page.lbl_wenzi->y(), height - 60 - 188);
        QVERIFY(!page.lbl_wenzi->isVisible());
        // The buttons' pictures come from the language's image folder.
        QVERIFY(page.btn_start->styleSheet().contains(QStringLiteral("url(:/images/multilang/en/btn_start_scan1.png)")));
        QVERIFY(page.btn_resume->styleSheet().contains(
            QStringLiteral("QPushButton:pressed{  border-image: url(:/images/multilang/en/btn_resume_recovery3.png);}")));
    }

    void unknown_page_numbers_are_ignored()
    {
        window->show_page(PAGE_HOME);
        window->show_page(5);
        window->show_page(-1);
        check_page(window->home_page);
    }
};

QTEST_MAIN(main_window_test)
#include "main_window_test.moc"
