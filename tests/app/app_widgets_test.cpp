// SPDX-License-Identifier: GPL-3.0-or-later
// The message box recipe, the progress bar painter and the language choice.
#include "app/language.h"
#include "app/message_box.h"
#include "app/progress_bar.h"
#include "app/settings.h"
#include "tests/app/box_answer.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

void write_file(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

const QColor bar_colour(226, 240, 253);
const QRect bar_rect(120, 50, 450, 12);

}  // namespace

class app_widgets_test : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString old_cwd;
    QString texture_path;

    QImage render_bar(double progress, const QString& texture)
    {
        progress_bar_c bar;
        bar.setup(texture, bar_colour);
        bar.progress = progress;
        QImage image(640, 80, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        bar.paint(&painter, bar_rect);
        painter.end();
        return image;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        old_cwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath(QStringLiteral("config")));
        write_file(dir.filePath(QStringLiteral("language.ini")),
                   "[English]\nstartup_warning=\"Please wait\"\nback_warning=\"Leave?\"\n"
                   "language_warning=\"Restart to apply\"\n[Deutsch]\nlanguage_warning=\"Neu starten\"\n");
        write_file(dir.filePath(QStringLiteral("Pellucan.ini")),
                   "[General]\nrecovery_folder=/srv/out\nlanguage=English\n");
        load_settings();

        QImage texture(8, 8, QImage::Format_RGB32);
        texture.fill(QColor(200, 0, 0));
        texture_path = dir.filePath(QStringLiteral("texture.png"));
        QVERIFY(texture.save(texture_path));
    }

    void cleanupTestCase() { QDir::setCurrent(old_cwd); }

    void message_box_recipe_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("shown_buttons");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("text");

        const int ok = QMessageBox::Ok;
        const int yes_no = QMessageBox::Yes | QMessageBox::No;
        QTest::newRow("no buttons gives a single OK")
            << "Quenfield" << "startup_warning" << int(QMessageBox::NoButton) << int(box_answer_e::click_ok) << ok
            << ok << "Please wait";
        QTest::newRow("escape on yes/no is no") << "Pellucan" << "back_warning" << yes_no
                                                << int(box_answer_e::press_escape) << yes_no
                                                << int(QMessageBox::No) << "Leave?";
        QTest::newRow("yes") << "Pellucan" << "back_warning" << yes_no << int(box_answer_e::click_yes) << yes_no
                             << int(QMessageBox::Yes) << "Leave?";
        QTest::newRow("escape on OK is OK") << "Pellucan" << "startup_warning" << ok
                                            << int(box_answer_e::press_escape) << ok << ok << "Please wait";
        QTest::newRow("missing key shows an empty text") << "Pellucan" << "no_such_key" << ok
                                                         << int(box_answer_e::click_ok) << ok << ok << "";
    }

    void message_box_recipe()
    {
        QFETCH(QString, title);
        QFETCH(QString, key);
        QFETCH(int, buttons);
        QFETCH(int, answer);
        QFETCH(int, shown_buttons);
        QFETCH(int, result);
        QFETCH(QString, text);

        const auto seen = answer_next_box(static_cast<box_answer_e>(answer));
        const QByteArray key_bytes = key.toUtf8();
        const auto clicked =
            show_message(title, key_bytes.constData(), QMessageBox::StandardButtons(buttons), nullptr);
        QVERIFY(seen->seen);
        QCOMPARE(seen->title, title);
        QCOMPARE(seen->text, text);
        QCOMPARE(int(seen->buttons), shown_buttons);
        QCOMPARE(int(clicked), result);
    }

    void message_box_keeps_its_parent()
    {
        QWidget owner;
        const auto seen = answer_next_box(box_answer_e::click_ok);
        show_message(QStringLiteral("Pellucan"), "startup_warning", QMessageBox::Ok, &owner);
        QVERIFY(seen->seen);
        QVERIFY(seen->has_parent);
    }

    void progress_bar_fill_edge_data()
    {
        QTest::addColumn<double>("progress");
        QTest::addColumn<int>("last_filled");  // -1: nothing filled
        // 449 x fraction, cut toward zero, past the left edge.
        QTest::newRow("half") << 0.5 << 120 + 224;
        QTest::newRow("none") << 0.0 << -1;
        QTest::newRow("all") << 1.0 << 569;
        QTest::newRow("a third") << 1.0 / 3.0 << 120 + 149;
        QTest::newRow("above one is clamped") << 7.5 << 569;
        QTest::newRow("negative is nothing") << -2.0 << -1;
        QTest::newRow("not a number is nothing") << std::numeric_limits<double>::quiet_NaN() << -1;
    }

    void progress_bar_fill_edge()
    {
        QFETCH(double, progress);
        QFETCH(int, last_filled);
        const QImage image = render_bar(progress, texture_path);
        // The bottom row of the bar lies under the text's baseline.
        const int y = bar_rect.bottom();
        const QColor texture_colour(200, 0, 0);
        if (last_filled >= 0) {
            QCOMPARE(image.pixelColor(bar_rect.left(), y), texture_colour);
            QCOMPARE(image.pixelColor(last_filled, y), texture_colour);
        }
        if (last_filled < bar_rect.right())
            QCOMPARE(image.pixelColor(last_filled + 1 < bar_rect.left() ? bar_rect.left() : last_filled + 1, y),
                     bar_colour);
        // Nothing is painted outside the rectangle.
        QCOMPARE(image.pixelColor(bar_rect.right() + 1, y), QColor(Qt::white));
        QCOMPARE(image.pixelColor(bar_rect.left() - 1, y), QColor(Qt::white));
        QCOMPARE(image.pixelColor(bar_rect.left(), bar_rect.bottom() + 1), QColor(Qt::white));
    }

    void progress_bar_text_is_centred_percentage()
    {
        // The text is black over the bar, centred across it; "50%" and "49%" differ.
        const QImage half = render_bar(0.5, texture_path);
        const QImage almost = render_bar(0.4999, texture_path);
        qint64 sum_x = 0;
        int dark = 0;
        for (int y = bar_rect.top(); y <= bar_rect.bottom(); ++y) {
            for (int x = bar_rect.left(); x <= bar_rect.right(); ++x) {
                const QColor c = half.pixelColor(x, y);
                if (c.red() < 100 && c.green() < 100 && c.blue() < 100) {
                    sum_x += x;
                    ++dark;
                }
            }
        }
        QVERIFY(dark > 10);
        const double centre = double(sum_x) / dark;
        QVERIFY2(std::abs(centre - (bar_rect.left() + bar_rect.width() / 2.0)) < 6.0, qPrintable(QString::number(centre)));
        QVERIFY(half.copy(bar_rect) != almost.copy(bar_rect));
    }

    void progress_bar_without_texture_still_draws_background_and_text()
    {
        const QImage image = render_bar(0.5, QStringLiteral(":/no/such/image.png"));
        QCOMPARE(image.pixelColor(bar_rect.left(), bar_rect.bottom()), bar_colour);
        QCOMPARE(image.pixelColor(bar_rect.left() + 200, bar_rect.bottom()), bar_colour);
        bool dark = false;
        for (int x = bar_rect.left(); x <= bar_rect.right() && !dark; ++x)
            for (int y = bar_rect.top(); y <= bar_rect.bottom() && !dark; ++y)
                dark = image.pixelColor(x, y).value() < 100;
        QVERIFY(dark);
    }

    void language_choice_saves_and_warns_in_the_old_language()
    {
        QCOMPARE(language_tables().index, 0);
        QCOMPARE(language_tables().names, QStringList({QStringLiteral("English"), QStringLiteral("Deutsch")}));

        // The language in force: nothing happens, no box.
        auto none = answer_next_box(box_answer_e::click_ok, 200);
        choose_language(0, nullptr);
        QTest::qWait(300);
        QVERIFY(!none->seen);

        // An index that names no language: nothing happens.
        choose_language(7, nullptr);
        choose_language(-1, nullptr);
        QCOMPARE(language_tables().index, 0);

        const auto seen = answer_next_box(box_answer_e::click_ok);
        choose_language(1, nullptr);
        QVERIFY(seen->seen);
        QCOMPARE(seen->text, QStringLiteral("Restart to apply"));
        QCOMPARE(language_tables().index, 1);
        QCOMPARE(current_language(), QStringLiteral("Deutsch"));
        // Nothing is re-translated during the run.
        QCOMPARE(text_of("language_warning"), QStringLiteral("Restart to apply"));

        const QSettings written(dir.filePath(QStringLiteral("Pellucan.ini")), QSettings::IniFormat);
        QCOMPARE(written.value(QStringLiteral("language")).toString(), QStringLiteral("Deutsch"));
        QCOMPARE(written.value(QStringLiteral("recovery_folder")).toString(), QStringLiteral("/srv/out"));
    }
};

QTEST_MAIN(app_widgets_test)
#include "app_widgets_test.moc"
