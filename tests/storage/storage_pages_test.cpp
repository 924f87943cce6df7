// SPDX-License-Identifier: GPL-3.0-or-later
// The volume and drive pages: their models, their row drawing and the selection they report.
#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

#include "app/language.h"
#include "app/settings.h"
#include "platform/devices.h"
#include "storage/drive_delegate.h"
#include "storage/drive_list.h"
#include "storage/drive_model.h"
#include "storage/drive_window.h"
#include "storage/volume_delegate.h"
#include "storage/volume_list.h"
#include "storage/volume_model.h"
#include "storage/volume_window.h"

namespace {

constexpr quint64 gib = 1024ull * 1024 * 1024;
constexpr int row_width = 600;
constexpr int row_height = 30;

volume_item_s make_volume(const QString& device, const QString& label, const QString& fs, quint64 total, quint64 free)
{
    volume_item_s v;
    v.device_path = device;
    v.volume_name = device;
    v.label = label;
    v.file_system = fs;
    v.root_path = device;
    v.total_size = total;
    v.free_size = free;
    v.partition_no = 1;
    v.disk_no = 0;
    return v;
}

drive_item_s make_drive(const QString& path, quint64 cylinders)
{
    auto geometry = std::make_shared<disk_geometry_s>();
    geometry->cylinders = static_cast<qint64>(cylinders);
    geometry->media_type = media_type_fixed;
    geometry->tracks_per_cylinder = 255;
    geometry->sectors_per_track = 63;
    geometry->bytes_per_sector = 512;
    drive_item_s d;
    d.path = path;
    d.size = cylinders * 255 * 63 * 512;
    d.geometry = geometry;
    return d;
}

// Paints row `row` of `model` with `delegate` into a white image, the row at height y.
QImage paint_row(const QStyledItemDelegate& delegate, const QAbstractItemModel& model, int row, int y,
                 bool selected = false)
{
    QImage image(row_width, y + row_height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    QStyleOptionViewItem option;
    option.rect = QRect(0, y, row_width, row_height);
    option.state = QStyle::State_Enabled;
    if (selected)
        option.state |= QStyle::State_Selected;
    delegate.paint(&painter, option, model.index(row, 0));
    return image;
}

// Whether any pixel of `area` is dark (drawn text).
bool has_dark_pixel(const QImage& image, const QRect& area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                return true;
    return false;
}

// The same area of two images holds the same pixels.
bool same_area(const QImage& a, const QImage& b, const QRect& area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return false;
    return true;
}

// Closes every message box that comes up while it lives and remembers the texts shown.
class box_closer_c {
public:
    box_closer_c()
    {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || box->buttons().isEmpty())
                return;
            texts << box->text();
            box->buttons().first()->click();
        });
        timer.start();
    }
    QStringList texts;

private:
    QTimer timer;
};

}  // namespace

class storage_pages_test : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void models_show_the_list_rows();
    void volume_display_names_data();
    void volume_display_names();
    void usage_bar_colour_and_length_data();
    void usage_bar_colour_and_length();
    void volume_header_and_rows();
    void long_paths_stay_in_their_column();
    void drive_header_keeps_english_titles();
    void drive_rows_show_path_size_and_number();
    void volume_page_selection();
    void volume_page_double_click_starts_scan();
    void drive_page_selection();
    void pages_keep_their_layout_when_resized();

private:
    QTemporaryDir empty_machine;
};

void storage_pages_test::initTestCase()
{
    QVERIFY(empty_machine.isValid());
    // Refresh enumerates the machine; an empty fake tree keeps the tests independent of it.
    QDir(empty_machine.path()).mkpath(QStringLiteral("sys/block"));
    QDir(empty_machine.path()).mkpath(QStringLiteral("dev"));
    QFile mountinfo(empty_machine.filePath(QStringLiteral("mountinfo")));
    QVERIFY(mountinfo.open(QIODevice::WriteOnly));
    mountinfo.close();
    platform::roots_s roots;
    roots.sysfs = empty_machine.filePath(QStringLiteral("sys"));
    roots.dev = empty_machine.filePath(QStringLiteral("dev"));
    roots.mountinfo = empty_machine.filePath(QStringLiteral("mountinfo"));
    platform::set_roots(roots);

    auto& table = language_tables().table;
    table.insert("local_disk", QStringLiteral("Local Disk"));
    table.insert("recovery_free", QStringLiteral(" free of "));
    table.insert("scan_nosel_warning", QStringLiteral("Select a volume first."));
    table.insert("btn_back", QStringLiteral("Go back"));
    table.insert("btn_scan", QStringLiteral("Scan now"));
    table.insert("btn_refresh", QStringLiteral("Look again"));
}

void storage_pages_test::models_show_the_list_rows()
{
    QList<volume_item_s> volumes{volume_item_s{}, make_volume(QStringLiteral("/dev/sdb1"), QStringLiteral("STICK"),
                                                              QStringLiteral("FAT32"), 8 * gib, 2 * gib)};
    volume_model_c volume_model(&volumes);
    QCOMPARE(volume_model.rowCount(), 2);
    QCOMPARE(volume_model.rowCount(volume_model.index(1)), 0);
    const QVariant second = volume_model.index(1).data();
    QCOMPARE(second.metaType(), QMetaType::fromType<volume_item_s>());
    QCOMPARE(second.value<volume_item_s>().label, QStringLiteral("STICK"));
    QCOMPARE(second.value<volume_item_s>().total_size, 8 * gib);
    QVERIFY(volume_model.index(0).data().value<volume_item_s>().device_path.isEmpty());
    QVERIFY(!volume_model.index(1).data(Qt::DecorationRole).isValid());
    // The model never copies the list: a rebuilt list shows at once, and a row the view
    // still asks for after the list shrank answers nothing instead of reading past its end.
    const QModelIndex stale = volume_model.index(1);
    volumes.removeLast();
    QCOMPARE(volume_model.rowCount(), 1);
    QVERIFY(!volume_model.data(stale, Qt::DisplayRole).isValid());

    QList<drive_item_s> drives{drive_item_s{}, make_drive(QStringLiteral("/dev/sda"), 1000),
                               make_drive(QStringLiteral("/dev/sdb"), 20)};
    drive_model_c drive_model(&drives);
    QCOMPARE(drive_model.rowCount(), 3);
    const drive_item_s copy = drive_model.index(2).data().value<drive_item_s>();
    QCOMPARE(copy.path, QStringLiteral("/dev/sdb"));
    // Copies share the geometry block of the listed record.
    QCOMPARE(copy.geometry.get(), drives[2].geometry.get());
    QVERIFY(!drive_model.index(0).data().value<drive_item_s>().geometry);
    QVERIFY(!drive_model.index(1).data(Qt::ToolTipRole).isValid());
}

void storage_pages_test::volume_display_names_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("shown");
    QTest::newRow("drive letter") << "Data" << "D:\\" << "Data (D:)";
    QTest::newRow("mount point") << "Data" << "/media/data" << "Data (/media/data)";
    QTest::newRow("trailing slash") << "Data" << "/media/data/" << "Data (/media/data)";
    QTest::newRow("root directory") << "System" << "/" << "System (/)";
    QTest::newRow("no label") << "" << "/dev/sdb1" << "Local Disk (/dev/sdb1)";
}

void storage_pages_test::volume_display_names()
{
    QFETCH(QString, label);
    QFETCH(QString, root);
    QFETCH(QString, shown);
    QCOMPARE(volume_display_name(label, root), shown);
}

void storage_pages_test::usage_bar_colour_and_length_data()
{
    QTest::addColumn<int>("free_percent");
    QTest::addColumn<bool>("red");
    QTest::newRow("15 % free") << 15 << true;
    QTest::newRow("19 % free") << 19 << true;
    // 0.2 held in single precision is slightly above 0.2: exactly a fifth free is green.
    QTest::newRow("20 % free") << 20 << false;
    QTest::newRow("21 % free") << 21 << false;
}

void storage_pages_test::usage_bar_colour_and_length()
{
    QFETCH(int, free_percent);
    QFETCH(bool, red);
    const quint64 total = 100 * gib;
    const quint64 free = total / 100 * static_cast<quint64>(free_percent);
    QCOMPARE(volume_usage_is_low(free, total), red);

    const QImage red_image(QStringLiteral(":/images/partition_search/red.png"));
    const QImage green_image(QStringLiteral(":/images/partition_search/green.png"));
    if (red_image.isNull() || green_image.isNull())
        QSKIP("the bar images are not among the compiled-in resources");

    QList<volume_item_s> volumes{volume_item_s{},
                                 make_volume(QStringLiteral("/dev/sdc1"), QString(), QStringLiteral("NTFS"), total, free)};
    volume_model_c model(&volumes);
    volume_delegate_c delegate;
    const int y = 40;
    const QImage image = paint_row(delegate, model, 1, y);

    // The bar b = w * 0.53 - 170 pixels wide; its used share (1 - free share) less 2 pixels
    // is filled from w * 0.32 + 11 with the red or green image, tiled from (0, y + 6).
    const int bar = static_cast<int>(row_width * 0.53 - 170);
    const float share = static_cast<float>(static_cast<double>(free) / static_cast<double>(total));
    const int fill_left = static_cast<int>(row_width * 0.32 + 11);
    const int fill_width = static_cast<int>((1 - share) * bar - 2);
    const int probe_y = y + 6 + red_image.height() / 2;
    const QImage& texture = red ? red_image : green_image;
    const QImage& other = red ? green_image : red_image;
    for (int x : {fill_left, fill_left + fill_width / 2, fill_left + fill_width - 1}) {
        const QColor want = texture.pixelColor(x % texture.width(), (probe_y - y - 6) % texture.height());
        const QColor not_want = other.pixelColor(x % other.width(), (probe_y - y - 6) % other.height());
        QVERIFY2(want != not_want, "the red and green images do not differ at the probe");
        QCOMPARE(image.pixelColor(x, probe_y).rgb(), want.rgb());
    }
    // The fill ends there: the free share of the bar stays empty (white on an odd row).
    QCOMPARE(image.pixelColor(fill_left + fill_width, probe_y), QColor(Qt::white));
}

void storage_pages_test::volume_header_and_rows()
{
    auto& table = language_tables().table;
    table.insert("volume_logical_drives", QStringLiteral("Logical drives"));
    QList<volume_item_s> volumes{volume_item_s{},
                                 make_volume(QStringLiteral("/dev/sdb1"), QStringLiteral("A"), QStringLiteral("FAT16"), 0, 0),
                                 make_volume(QStringLiteral("/dev/sdb2"), QStringLiteral("B"), QStringLiteral("FAT32"), 0, 0)};
    volume_model_c model(&volumes);
    volume_delegate_c delegate;
    const int first_line = static_cast<int>(row_width * 0.32);
    const int second_line = static_cast<int>(row_width * 0.85);
    const QColor line(211, 231, 255);

    const QImage header = paint_row(delegate, model, 0, 0);
    QCOMPARE(header.pixelColor(5, 15), QColor(232, 246, 255));
    QCOMPARE(header.pixelColor(first_line, 3), line);
    QCOMPARE(header.pixelColor(second_line, 27), line);
    QVERIFY(has_dark_pixel(header, QRect(60, 8, first_line - 60, 14)));

    struct case_s {
        int row;
        bool selected;
        QColor background;
    };
    const case_s cases[] = {
        {1, false, QColor(Qt::white)},
        {2, false, QColor(241, 250, 255)},
        {1, true, QColor(81, 149, 206)},
        {2, true, QColor(81, 149, 206)},
    };
    for (const case_s& c : cases) {
        const QByteArray name = "row " + QByteArray::number(c.row) + (c.selected ? " selected" : "");
        const int y = 30 * c.row;
        const QImage image = paint_row(delegate, model, c.row, y, c.selected);
        QVERIFY2(image.pixelColor(5, y + 2) == c.background, name.constData());
        QVERIFY2(image.pixelColor(first_line, y + 2) == line, name.constData());
        QVERIFY2(image.pixelColor(second_line, y + 28) == line, name.constData());
        // A volume of size 0 shows the outline of the bar and no fill inside it.
        const int bar_left = static_cast<int>(row_width * 0.32 + 10);
        QVERIFY2(image.pixelColor(bar_left, y + 15) == QColor(139, 184, 241), name.constData());
        QVERIFY2(image.pixelColor(bar_left + 5, y + 15) == c.background, name.constData());
        // The file system name stands after the second line.
        QVERIFY2(has_dark_pixel(image, QRect(second_line + 20, y + 8, 60, 14)), name.constData());
    }
}

void storage_pages_test::long_paths_stay_in_their_column()
{
    auto& table = language_tables().table;
    table.insert("volume_logical_drives", QStringLiteral("Logical drives ").repeated(20));
    const QString long_mount = QStringLiteral("/media/technician/") + QStringLiteral("customer-disk-").repeated(12);
    volume_item_s volume = make_volume(QStringLiteral("/dev/sdb1"), QStringLiteral("LABEL"), QStringLiteral("FAT32"), 0, 0);
    volume.root_path = long_mount;
    QList<volume_item_s> volumes{volume_item_s{}, volume};
    volume_model_c model(&volumes);
    volume_delegate_c delegate;
    const int first_line = static_cast<int>(row_width * 0.32);

    for (int row : {0, 1}) {
        const int y = 30 * row;
        const QImage image = paint_row(delegate, model, row, y);
        QVERIFY(has_dark_pixel(image, QRect(45, y + 8, first_line - 45, 14)));
        // Between the first column line and the start of the bar (or the size title)
        // nothing may be written.
        QVERIFY2(!has_dark_pixel(image, QRect(first_line + 1, y + 2, 8, 26)), row == 0 ? "header" : "volume");
    }

    QList<drive_item_s> drives{drive_item_s{}, make_drive(QStringLiteral("/dev/disk/by-id/") +
                                                              QStringLiteral("usb-Vendor_Product_0123456789-").repeated(8),
                                                          100)};
    drive_model_c drive_model(&drives);
    drive_delegate_c drive_delegate;
    const QImage image = paint_row(drive_delegate, drive_model, 1, 30);
    const int drive_line = static_cast<int>(row_width * 0.5);
    QVERIFY(has_dark_pixel(image, QRect(60, 38, drive_line - 60, 14)));
    QVERIFY(!has_dark_pixel(image, QRect(drive_line, 32, 60, 26)));
}

void storage_pages_test::drive_header_keeps_english_titles()
{
    language_tables().table.insert("drive_physical_drives", QStringLiteral("Physische Laufwerke"));
    QList<drive_item_s> drives{drive_item_s{}};
    drive_model_c model(&drives);
    drive_delegate_c delegate;
    const QImage header = paint_row(delegate, model, 0, 0);
    const int first_line = static_cast<int>(row_width * 0.5);
    const int second_line = static_cast<int>(row_width * 0.85);
    const QColor line(211, 231, 255);
    QCOMPARE(header.pixelColor(5, 15), QColor(232, 246, 255));
    QCOMPARE(header.pixelColor(first_line, 2), line);
    QCOMPARE(header.pixelColor(second_line, 27), line);

    // The two right titles are the fixed English words, whatever the language table says.
    QImage expected(row_width, row_height, QImage::Format_ARGB32_Premultiplied);
    expected.fill(QColor(232, 246, 255));
    {
        QPainter painter(&expected);
        painter.setFont(QFont(QStringLiteral("Verdana"), 10));
        painter.setPen(Qt::black);
        painter.drawText(QPoint(60, 20), QStringLiteral("Physische Laufwerke"));
        painter.drawText(QPoint(static_cast<int>(row_width * 0.5 + 70), 20), QStringLiteral("Size"));
        painter.drawText(QPoint(static_cast<int>(row_width * 0.85 + 15), 20), QStringLiteral("Number"));
    }
    QVERIFY(same_area(header, expected, QRect(first_line + 1, 0, second_line - first_line - 1, row_height)));
    QVERIFY(same_area(header, expected, QRect(second_line + 1, 0, row_width - second_line - 1, row_height)));
    QVERIFY(same_area(header, expected, QRect(0, 0, first_line, row_height)));
}

void storage_pages_test::drive_rows_show_path_size_and_number()
{
    QList<drive_item_s> drives{drive_item_s{}, make_drive(QStringLiteral("/dev/sda"), 30401),
                               make_drive(QStringLiteral("/dev/loop0"), 2)};
    drive_model_c model(&drives);
    drive_delegate_c delegate;
    for (int row : {1, 2}) {
        const int y = 30 * row;
        const QImage image = paint_row(delegate, model, row, y);
        QImage expected(row_width, y + row_height, QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::white);
        {
            QPainter painter(&expected);
            if (row % 2 == 0)
                painter.fillRect(QRect(0, y, row_width, row_height), QColor(241, 250, 255));
            painter.setFont(QFont(QStringLiteral("Verdana"), 8));
            painter.setPen(Qt::black);
            painter.drawText(QPoint(60, y + 20), drives[row].path);
            painter.drawText(QPoint(static_cast<int>(row_width * 0.5 + 70), y + 20), format_size(drives[row].size));
            // The number column counts from 1 for the first drive: it is the row.
            painter.drawText(QPoint(static_cast<int>(row_width * 0.85 + 15), y + 20), QString::number(row));
        }
        QVERIFY2(same_area(image, expected, QRect(0, y, row_width, row_height)), qPrintable(drives[row].path));
    }
}

void storage_pages_test::volume_page_selection()
{
    volume_window_c page(nullptr);
    QCOMPARE(page.btn_back->text(), QStringLiteral("Go back"));
    QCOMPARE(page.btn_scan->text(), QStringLiteral("Scan now"));
    QCOMPARE(page.btn_refresh->text(), QStringLiteral("Look again"));

    {
        // Before any list was handed over there is no row at all.
        box_closer_c closer;
        QCOMPARE(page.selected_volume(), nullptr);
        QCOMPARE(closer.texts, QStringList{QStringLiteral("Select a volume first.")});
    }

    QList<volume_item_s> volumes{volume_item_s{},
                                 make_volume(QStringLiteral("/dev/sdb1"), QStringLiteral("A"), QStringLiteral("FAT32"), gib, 0),
                                 make_volume(QStringLiteral("/dev/sdb2"), QStringLiteral("B"), QStringLiteral("NTFS"), gib, 0)};
    page.set_volume_list(&volumes);
    {
        box_closer_c closer;
        QCOMPARE(page.selected_volume(), nullptr);
        QCOMPARE(closer.texts.size(), 1);
    }
    {
        // A chosen row answers the listed record itself, not a copy; the header row too.
        box_closer_c closer;
        page.lv_volumes->setCurrentIndex(page.lv_volumes->model()->index(2, 0));
        QCOMPARE(page.selected_volume(), &volumes[2]);
        page.lv_volumes->setCurrentIndex(page.lv_volumes->model()->index(0, 0));
        QCOMPARE(page.selected_volume(), &volumes[0]);
        QVERIFY(closer.texts.isEmpty());
    }

    // Refresh installs a new model over the process-wide list and deletes the old one; the
    // current row is gone, so Scan warns again.
    QPointer<QAbstractItemModel> old_model = page.lv_volumes->model();
    page.refresh();
    QVERIFY(old_model.isNull());
    QVERIFY(page.lv_volumes->model() != nullptr);
    QCOMPARE(page.lv_volumes->model()->rowCount(), static_cast<int>(volume_list().size()));
    {
        box_closer_c closer;
        QCOMPARE(page.selected_volume(), nullptr);
        QCOMPARE(closer.texts.size(), 1);
    }
}

void storage_pages_test::volume_page_double_click_starts_scan()
{
    volume_window_c page(nullptr);
    QList<volume_item_s> volumes{volume_item_s{},
                                 make_volume(QStringLiteral("/dev/sdb1"), QStringLiteral("A"), QStringLiteral("FAT32"), gib, 0),
                                 make_volume(QStringLiteral("/dev/sdb2"), QStringLiteral("B"), QStringLiteral("NTFS"), gib, 0)};
    page.set_volume_list(&volumes);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QSignalSpy spy(&page, &volume_window_c::start_scan);
    const QRect row = page.lv_volumes->visualRect(page.lv_volumes->model()->index(2, 0));
    QVERIFY(row.isValid());
    // A double click as the window system delivers it: press, release, then the second
    // press arrives as the double-click event.
    QTest::mouseClick(page.lv_volumes->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(page.lv_volumes->viewport(), Qt::LeftButton, {}, row.center());
    QCOMPARE(spy.count(), 1);
    box_closer_c closer;
    QCOMPARE(page.selected_volume(), &volumes[2]);
    QVERIFY(closer.texts.isEmpty());
}

void storage_pages_test::drive_page_selection()
{
    drive_window_c page(nullptr);
    box_closer_c closer;  // the drive page shows no box of its own
    QCOMPARE(page.selected_drive(), nullptr);

    QList<drive_item_s> header_only{drive_item_s{}};
    page.set_drive_list(&header_only);
    QCOMPARE(page.selected_drive(), nullptr);

    // With drives listed the first one is chosen in advance.
    QList<drive_item_s> drives{drive_item_s{}, make_drive(QStringLiteral("/dev/sda"), 100),
                               make_drive(QStringLiteral("/dev/sdb"), 10)};
    page.set_drive_list(&drives);
    QCOMPARE(page.selected_drive(), &drives[1]);
    page.lv_drives->setCurrentIndex(page.lv_drives->model()->index(0, 0));
    QCOMPARE(page.selected_drive(), &drives[0]);

    QPointer<QAbstractItemModel> old_model = page.lv_drives->model();
    page.refresh();
    QVERIFY(old_model.isNull());
    QCOMPARE(page.lv_drives->model()->rowCount(), static_cast<int>(drive_list().size()));
    QCOMPARE(page.selected_drive(), nullptr);
    QVERIFY(closer.texts.isEmpty());
}

void storage_pages_test::pages_keep_their_layout_when_resized()
{
    volume_window_c volume_page(nullptr);
    drive_window_c drive_page(nullptr);
    struct page_s {
        QWidget* page;
        QPushButton* back;
        QPushButton* refresh;
        QPushButton* scan;
        QAbstractItemView* list;
    };
    const page_s pages[] = {
        {&volume_page, volume_page.btn_back, volume_page.btn_refresh, volume_page.btn_scan, volume_page.lv_volumes},
        {&drive_page, drive_page.btn_back, drive_page.btn_refresh, drive_page.btn_scan, drive_page.lv_drives},
    };
    for (const page_s& p : pages) {
        for (QSize size : {QSize(800, 600), QSize(1001, 700)}) {
            p.page->resize(size);
            p.page->show();
            QVERIFY(QTest::qWaitForWindowExposed(p.page));
            const int w = size.width();
            const int h = size.height();
            QCOMPARE(p.back->geometry(), QRect(175, h - 54, 100, 30));
            QCOMPARE(p.refresh->geometry(), QRect(w / 2 - 50, h - 54, 100, 30));
            QCOMPARE(p.scan->geometry(), QRect(w - 275, h - 54, 100, 30));
            QCOMPARE(p.list->geometry(), QRect(25, 45, w - 50, h - 140));
        }
        p.page->hide();
    }
}

QTEST_MAIN(storage_pages_test)
#include "storage_pages_test.moc"
