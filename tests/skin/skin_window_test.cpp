// SPDX-License-Identifier: GPL-3.0-or-later
// The skinned window: button hit tests and drawing, mouse sequences, maximize and restore,
// dragging and resizing, the settings menu, the top-button flows and closing.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "app/app_state.h"
#include "app/language.h"
#include "skin/qskin_resize_handler.h"
#include "skin/qskin_widget.h"

namespace {

// A window that records the page operations the title-area buttons call.
class test_window_c : public QSkinWidget {
public:
    QStringList calls;

    void show_page(int page_index) override { calls << QStringLiteral("page %1").arg(page_index); }
    void stop_work() override { calls << QStringLiteral("stop"); }

    using QSkinWidget::back_buffer;
    using QSkinWidget::max_button;
    using QSkinWidget::normal_size;
    using QSkinWidget::resize_handler;
    using QSkinWidget::settings_menu;
    using QSkinWidget::skin_buttons;
    using QSkinWidget::skin_layer;
    using QSkinWidget::style_dirty;
};

// Answers every message box that comes up with `answer` and remembers the texts shown.
class box_answerer_c {
public:
    explicit box_answerer_c(QMessageBox::StandardButton answer)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, answer] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(widget);
                if (!box || !box->isVisible())
                    continue;
                texts << box->text();
                if (QAbstractButton* button = box->button(answer))
                    button->click();
                else
                    box->reject();
            }
        });
        timer.start(10);
    }

    QStringList texts;

private:
    QTimer timer;
};

void send_mouse(QWidget* window, QEvent::Type type, const QPoint& local, Qt::MouseButton button,
                Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(local), QPointF(window->mapToGlobal(local)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(window, &event);
}

void press(QWidget* w, const QPoint& p) { send_mouse(w, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton); }
void release(QWidget* w, const QPoint& p) { send_mouse(w, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton); }
void move_held(QWidget* w, const QPoint& p) { send_mouse(w, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton); }
void hover(QWidget* w, const QPoint& p) { send_mouse(w, QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton); }
void double_click(QWidget* w, const QPoint& p)
{
    press(w, p);
    release(w, p);
    send_mouse(w, QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton);
    release(w, p);
}

// Where the buttons of a 640-pixel-wide window react: the tool buttons from the left edge,
// the system buttons (close, maximize, minimize, settings) from the right edge.
constexpr int window_w = 640;
constexpr int window_h = 420;
const QPoint top_button_at[3] = {{50, 50}, {150, 50}, {250, 50}};
QPoint system_button_at(int n) { return {window_w - 1 - (1 + 30 * n + 15), 10}; }
const QPoint band_outside_buttons{420, 60};

}  // namespace

class skin_window_test : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void button_hit_tests();
    void button_hit_tests_data();
    void system_button_draws_from_right_edge();
    void buttons_are_created_in_order();
    void press_move_release_sequences();
    void press_move_release_sequences_data();
    void top_band_ends_at_100();
    void top_band_ends_at_100_data();
    void maximize_then_restore_returns_exact_geometry();
    void maximize_then_restore_returns_exact_geometry_data();
    void edges_resize_within_minimum();
    void edges_resize_within_minimum_data();
    void edges_show_resize_cursor();
    void minimize_clears_button_looks();
    void settings_button_opens_menu_once();
    void settings_menu_lists_languages_in_reverse();
    void language_entry_stores_new_choice_once();
    void top_button_flows();
    void top_button_flows_data();
    void close_button_asks_only_while_scanning();
    void close_button_asks_only_while_scanning_data();
    void system_close_never_asks();
    void pages_are_composed_in_child_order();
    void idle_window_repaints_itself();
    void help_page_is_found_beside_the_program();
    void frame_keeps_64_pixel_corners();

private:
    QTemporaryDir work_dir;
    test_window_c* window = nullptr;
};

void skin_window_test::initTestCase()
{
    // Three languages; the texts name their keys so that a test sees which box came up.
    QVERIFY(work_dir.isValid());
    QVERIFY(QDir::setCurrent(work_dir.path()));
    QFile file(QStringLiteral("language.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray text = "[English]\n"
                            "menu_help=\"Help text\"\n"
                            "menu_exit=\"Exit text\"\n"
                            "startup_warning=\"startup_warning\"\n"
                            "back_warning=\"back_warning\"\n"
                            "quit_warning=\"quit_warning\"\n"
                            "language_warning=\"language_warning\"\n"
                            "[Deutsch]\n"
                            "menu_help=\"Hilfe\"\n"
                            "[Fran\xc3\xa7" "ais]\n"
                            "menu_help=\"Aide\"\n";
    QCOMPARE(file.write(text), text.size());
    file.close();
    QCOMPARE(load_language(QStringLiteral("English"), true), 0);
    QCOMPARE(language_tables().names.size(), 3);
}

void skin_window_test::init()
{
    init_done = true;
    scan_running = false;
    window = new test_window_c();
    window->setGeometry(40, 50, window_w, window_h);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void skin_window_test::cleanup()
{
    delete window;
    window = nullptr;
    init_done = false;
    scan_running = false;
}

void skin_window_test::button_hit_tests_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("hit");
    // In an 800-pixel window (right edge 799) the close button reacts for x 769..798 and
    // y 1..21; the first tool button for x 10..104 and y 25..94.
    const struct {
        const char* name;
        int button;
        QPoint point;
        bool hit;
    } cases[] = {
        {"close left edge", 3, {769, 1}, true},   {"close right edge", 3, {798, 21}, true},
        {"close left of it", 3, {768, 10}, false}, {"close window edge", 3, {799, 10}, false},
        {"close above", 3, {780, 0}, false},       {"close below", 3, {780, 22}, false},
        {"top1 top left", 0, {10, 25}, true},      {"top1 bottom right", 0, {104, 94}, true},
        {"top1 left of it", 0, {9, 50}, false},    {"top1 right of it", 0, {105, 50}, false},
        {"top1 above", 0, {50, 24}, false},        {"top1 below", 0, {50, 95}, false},
        {"top2 left edge", 1, {113, 25}, true},    {"top3 right edge", 2, {310, 94}, true},
        {"settings", 6, {800 - 1 - 91, 1}, true},  {"settings outer", 6, {800 - 1 - 121, 1}, false},
    };
    for (const auto& c : cases)
        QTest::newRow(c.name) << c.button << c.point << c.hit;
}

void skin_window_test::button_hit_tests()
{
    QFETCH(int, button);
    QFETCH(QPoint, point);
    QFETCH(bool, hit);
    QCOMPARE(window->skin_buttons.at(button)->hit_test(point, QRect(0, 0, 800, 600)), hit);
}

void skin_window_test::system_button_draws_from_right_edge()
{
    // A 30 x 21 red image drawn by a button at (1, 1) from the right edge of an 800-pixel
    // window covers x 769..798, y 1..21.
    const QString image_path = work_dir.filePath(QStringLiteral("red.png"));
    QImage red(30, 21, QImage::Format_ARGB32);
    red.fill(Qt::red);
    QVERIFY(red.save(image_path));
    system_button_c<QSkinWidget> button;
    button.setup(image_path, image_path, image_path, QRect(1, 1, 30, 21), QString());

    QImage canvas(800, 40, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    button.draw(painter, QRect(0, 0, 800, 600));
    painter.end();
    QCOMPARE(canvas.pixelColor(769, 1), QColor(Qt::red));
    QCOMPARE(canvas.pixelColor(798, 21), QColor(Qt::red));
    QCOMPARE(qAlpha(canvas.pixel(768, 1)), 0);
    QCOMPARE(qAlpha(canvas.pixel(799, 1)), 0);
    QCOMPARE(qAlpha(canvas.pixel(780, 0)), 0);
    QCOMPARE(qAlpha(canvas.pixel(780, 22)), 0);
}

void skin_window_test::buttons_are_created_in_order()
{
    // Three tool buttons, then close, maximize, minimize, settings; the fifth is max_button.
    QCOMPARE(window->skin_buttons.size(), 7);
    QCOMPARE(window->skin_buttons.at(4), static_cast<button_c<QSkinWidget>*>(window->max_button));
    const QRect rects[7] = {{10, 25, 95, 70}, {113, 25, 95, 70}, {216, 25, 95, 70}, {1, 1, 30, 21},
                            {31, 1, 30, 21},  {61, 1, 30, 21},   {91, 1, 30, 21}};
    for (int i = 0; i < 7; ++i) {
        QCOMPARE(window->skin_buttons.at(i)->rect, rects[i]);
        QCOMPARE(window->skin_buttons.at(i)->state, 0);
        QVERIFY(window->skin_buttons.at(i)->name.isEmpty());
    }
}

void skin_window_test::press_move_release_sequences_data()
{
    // Steps: p = press, m = move with the button held, h = move without buttons, r = release.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QList<QPoint>>("points");
    QTest::addColumn<int>("actions");
    const QPoint on = top_button_at[0];
    const QPoint content{300, 300};
    QTest::newRow("press and release on the button") << "pr" << QList<QPoint>{on, on} << 1;
    QTest::newRow("hover, press, release") << "hpr" << QList<QPoint>{on, on, on} << 1;
    QTest::newRow("press elsewhere, move onto it, release") << "pmr" << QList<QPoint>{content, on, on} << 0;
    QTest::newRow("press, leave, come back, release")
        << "pmmr" << QList<QPoint>{on, content, on, on} << 0;
    QTest::newRow("press on it, release elsewhere") << "pmr" << QList<QPoint>{on, content, content} << 0;
    QTest::newRow("two clicks") << "prpr" << QList<QPoint>{on, on, on, on} << 2;
}

void skin_window_test::press_move_release_sequences()
{
    QFETCH(QString, steps);
    QFETCH(QList<QPoint>, points);
    QFETCH(int, actions);
    for (qsizetype i = 0; i < steps.size(); ++i) {
        switch (steps.at(i).toLatin1()) {
        case 'p': press(window, points.at(i)); break;
        case 'm': move_held(window, points.at(i)); break;
        case 'h': hover(window, points.at(i)); break;
        case 'r': release(window, points.at(i)); break;
        }
    }
    QCOMPARE(window->calls.count(QStringLiteral("page 1")), actions);
    QCOMPARE(window->calls.count(QStringLiteral("stop")), actions);
    // Each release over the button leaves it in its hover look.
    const int expected_state = steps.endsWith(QLatin1Char('r')) && points.last() == top_button_at[0] ? 1 : 0;
    QCOMPARE(window->skin_buttons.at(0)->state, expected_state);
}

void skin_window_test::top_band_ends_at_100_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<bool>("moves");
    QTest::newRow("y 100 is the band") << 100 << true;
    QTest::newRow("y 101 is content") << 101 << false;
    QTest::newRow("y 60 outside buttons") << 60 << true;
}

void skin_window_test::top_band_ends_at_100()
{
    QFETCH(int, y);
    QFETCH(bool, moves);
    const QPoint start_pos = window->pos();
    const QPoint at(band_outside_buttons.x(), y);
    press(window, at);
    QCOMPARE(window->resize_handler->isMovingEnabled(), moves);
    move_held(window, at + QPoint(30, 20));
    release(window, at + QPoint(30, 20));
    QTRY_COMPARE(window->pos(), moves ? start_pos + QPoint(30, 20) : start_pos);
    QCOMPARE(window->size(), QSize(window_w, window_h));
    QVERIFY(window->calls.isEmpty());
}

void skin_window_test::maximize_then_restore_returns_exact_geometry_data()
{
    QTest::addColumn<bool>("by_double_click");
    QTest::newRow("double click on the band") << true;
    QTest::newRow("maximize button") << false;
}

void skin_window_test::maximize_then_restore_returns_exact_geometry()
{
    QFETCH(bool, by_double_click);
    const QRect before = window->geometry();
    const QRect available = window->screen()->availableGeometry();
    QVERIFY(available != before);

    const auto toggle = [&] {
        if (by_double_click) {
            double_click(window, band_outside_buttons);
        } else {
            const QPoint max_at(window->width() - 1 - 46, 10);
            press(window, max_at);
            release(window, max_at);
        }
    };

    toggle();
    QTRY_COMPARE(window->geometry(), available);
    QVERIFY(!window->normal_size);
    QVERIFY(window->max_button->action == &QSkinWidget::on_click_restore);

    toggle();
    QTRY_COMPARE(window->geometry(), before);
    QVERIFY(window->normal_size);
    QVERIFY(window->max_button->action == &QSkinWidget::on_click_maximize);

    // Double clicks on a button or below the band change nothing.
    double_click(window, top_button_at[1]);
    double_click(window, QPoint(band_outside_buttons.x(), 101));
    QCOMPARE(window->geometry(), before);
    QVERIFY(window->normal_size);
}

void skin_window_test::edges_resize_within_minimum_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QPoint>("drag");
    QTest::addColumn<QRect>("expected");  // relative to the geometry before: dx, dy, dw, dh
    const int r = window_w - 2;
    const int b = window_h - 2;
    QTest::newRow("right edge") << QPoint(r, 200) << QPoint(40, 0) << QRect(0, 0, 40, 0);
    QTest::newRow("bottom edge") << QPoint(300, b) << QPoint(0, 30) << QRect(0, 0, 0, 30);
    QTest::newRow("left edge") << QPoint(1, 200) << QPoint(-25, 0) << QRect(-25, 0, 25, 0);
    QTest::newRow("top edge") << QPoint(300, 1) << QPoint(0, -15) << QRect(0, -15, 0, 15);
    QTest::newRow("bottom left corner") << QPoint(1, b) << QPoint(-30, 20) << QRect(-30, 0, 30, 20);
    QTest::newRow("top right corner") << QPoint(r, 1) << QPoint(10, -10) << QRect(0, -10, 10, 10);
    // The minimum (600 x 400) stops the left edge; the right edge stays where it was.
    QTest::newRow("left edge past the minimum") << QPoint(1, 200) << QPoint(100, 0) << QRect(40, 0, -40, 0);
    QTest::newRow("content does not resize") << QPoint(300, 200) << QPoint(40, 40) << QRect(0, 0, 0, 0);
}

void skin_window_test::edges_resize_within_minimum()
{
    QFETCH(QPoint, at);
    QFETCH(QPoint, drag);
    QFETCH(QRect, expected);
    window->setMinimumSize(600, 400);
    const QRect before = window->geometry();
    press(window, at);
    move_held(window, at + drag);
    release(window, at + drag);
    const QRect wanted(before.x() + expected.x(), before.y() + expected.y(), before.width() + expected.width(),
                       before.height() + expected.height());
    QTRY_COMPARE(window->geometry(), wanted);
    QVERIFY(window->calls.isEmpty());
}

void skin_window_test::edges_show_resize_cursor()
{
    const struct {
        QPoint at;
        Qt::CursorShape shape;
    } cases[] = {
        {{window_w - 2, 200}, Qt::SizeHorCursor}, {{300, 200}, Qt::ArrowCursor},
        {{1, 200}, Qt::SizeHorCursor},            {{300, window_h - 1}, Qt::SizeVerCursor},
        {{1, 1}, Qt::SizeFDiagCursor},            {{window_w - 1, window_h - 1}, Qt::SizeFDiagCursor},
        {{1, window_h - 2}, Qt::SizeBDiagCursor}, {{300, 60}, Qt::ArrowCursor},
    };
    for (const auto& c : cases) {
        hover(window, c.at);
        QCOMPARE(window->windowHandle()->cursor().shape(), c.shape);
        // The widget's own cursor stays as it was, so the pages never inherit a resize shape.
        QCOMPARE(window->cursor().shape(), Qt::ArrowCursor);
    }
}

void skin_window_test::minimize_clears_button_looks()
{
    hover(window, top_button_at[2]);
    press(window, system_button_at(0));
    QCOMPARE(window->skin_buttons.at(2)->state, 1);
    QCOMPARE(window->skin_buttons.at(3)->state, 2);
    window->on_click_minimize();
    for (const auto* button : std::as_const(window->skin_buttons))
        QCOMPARE(button->state, 0);
}

void skin_window_test::settings_button_opens_menu_once()
{
    // The release over the button reaches the window twice (the resize handler passes it
    // on); the menu opens once, and after it closes no button keeps the pressed look.
    int opened = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&opened] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            ++opened;
            popup->close();
        }
    });
    closer.start(10);
    press(window, system_button_at(3));
    release(window, system_button_at(3));
    QTest::qWait(100);
    QCOMPARE(opened, 1);
    QVERIFY(window->calls.isEmpty());
    for (const auto* button : std::as_const(window->skin_buttons))
        QVERIFY(button->state != 2);
}

void skin_window_test::settings_menu_lists_languages_in_reverse()
{
    // language.ini holds English, Deutsch, Français in this order.
    const QList<QAction*> entries = window->settings_menu->actions();
    QCOMPARE(entries.size(), 5);
    QVERIFY(entries.at(0)->menu());
    QCOMPARE(entries.at(0)->text(), QStringLiteral("Language"));
    QVERIFY(entries.at(1)->isSeparator());
    QCOMPARE(entries.at(2)->text(), QStringLiteral("Help text"));
    QVERIFY(entries.at(3)->isSeparator());
    QCOMPARE(entries.at(4)->text(), QStringLiteral("Exit text"));

    const QList<QAction*> languages = entries.at(0)->menu()->actions();
    QStringList names;
    QList<int> data;
    for (const QAction* action : languages) {
        names << action->text();
        data << action->data().toInt();
        QVERIFY(!action->isCheckable());
    }
    QCOMPARE(names, (QStringList{QStringLiteral("Fran\u00e7ais"), QStringLiteral("Deutsch"), QStringLiteral("English")}));
    QCOMPARE(data, (QList<int>{2, 1, 0}));
}

void skin_window_test::language_entry_stores_new_choice_once()
{
    const QList<QAction*> languages = window->settings_menu->actions().at(0)->menu()->actions();
    QAction* deutsch = languages.at(1);
    QAction* english = languages.at(2);
    {
        // The language in force: nothing is stored, nothing is shown.
        box_answerer_c answerer(QMessageBox::Ok);
        english->trigger();
        QTest::qWait(50);
        QVERIFY(answerer.texts.isEmpty());
        QVERIFY(!QFile::exists(QStringLiteral("Pellucan.ini")));
    }
    {
        box_answerer_c answerer(QMessageBox::Ok);
        deutsch->trigger();
        QCOMPARE(answerer.texts, QStringList{QStringLiteral("language_warning")});
        QCOMPARE(language_tables().index, 1);
        QSettings stored(QStringLiteral("Pellucan.ini"), QSettings::IniFormat);
        QCOMPARE(stored.value(QStringLiteral("language")).toString(), QStringLiteral("Deutsch"));
        // Choosing it again does nothing more.
        deutsch->trigger();
        QTest::qWait(50);
        QCOMPARE(answerer.texts.size(), 1);
        // The texts stay those of the start.
        QCOMPARE(text_of("menu_help"), QStringLiteral("Help text"));
    }
    language_tables().index = 0;
    QFile::remove(QStringLiteral("Pellucan.ini"));
}

void skin_window_test::top_button_flows_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("ready");
    QTest::addColumn<bool>("scanning");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("deep_before");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<bool>("deep_after");
    const int yes = QMessageBox::Yes;
    const int no = QMessageBox::No;
    const QString none;
    const QStringList to_volumes{QStringLiteral("stop"), QStringLiteral("page 1")};
    const QStringList to_drives{QStringLiteral("stop"), QStringLiteral("page 2")};
    QTest::newRow("deep scan before start-up ends") << 3 << false << false << yes << false
                                                    << "startup_warning" << QStringList() << false;
    QTest::newRow("normal scan before start-up ends") << 1 << false << true << yes << true
                                                      << "startup_warning" << QStringList() << true;
    QTest::newRow("deep scan") << 3 << true << false << yes << false << none << to_volumes << true;
    QTest::newRow("normal scan resets the mode") << 1 << true << false << yes << true << none << to_volumes << false;
    QTest::newRow("partition tool keeps the mode") << 2 << true << false << yes << true << none << to_drives << true;
    QTest::newRow("scan running, No") << 1 << true << true << no << true << "back_warning" << QStringList() << true;
    QTest::newRow("scan running, No, partition") << 2 << true << true << no << false << "back_warning"
                                                 << QStringList() << false;
    QTest::newRow("scan running, Yes") << 3 << true << true << yes << false << "back_warning" << to_volumes << true;
}

void skin_window_test::top_button_flows()
{
    QFETCH(int, button);
    QFETCH(bool, ready);
    QFETCH(bool, scanning);
    QFETCH(int, answer);
    QFETCH(bool, deep_before);
    QFETCH(QString, box);
    QFETCH(QStringList, calls);
    QFETCH(bool, deep_after);
    init_done = ready;
    scan_running = scanning;
    window->scan_mode_deep = deep_before;
    box_answerer_c answerer(static_cast<QMessageBox::StandardButton>(answer));
    const QPoint at = top_button_at[button - 1];
    press(window, at);
    release(window, at);
    QCOMPARE(answerer.texts, box.isEmpty() ? QStringList() : QStringList{box});
    QCOMPARE(window->calls, calls);
    QCOMPARE(window->scan_mode_deep, deep_after);
    QVERIFY(window->isVisible());
}

void skin_window_test::close_button_asks_only_while_scanning_data()
{
    QTest::addColumn<bool>("scanning");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("closed");
    QTest::newRow("no scan") << false << int(QMessageBox::No) << false << true;
    QTest::newRow("scan, No") << true << int(QMessageBox::No) << true << false;
    QTest::newRow("scan, Yes") << true << int(QMessageBox::Yes) << true << true;
}

void skin_window_test::close_button_asks_only_while_scanning()
{
    QFETCH(bool, scanning);
    QFETCH(int, answer);
    QFETCH(bool, asked);
    QFETCH(bool, closed);
    scan_running = scanning;
    QSignalSpy about_to_close(window, &QSkinWidget::aboutToClose);
    box_answerer_c answerer(static_cast<QMessageBox::StandardButton>(answer));
    press(window, system_button_at(0));
    release(window, system_button_at(0));
    QCOMPARE(answerer.texts, asked ? QStringList{QStringLiteral("quit_warning")} : QStringList());
    QCOMPARE(window->isVisible(), !closed);
    QCOMPARE(about_to_close.size(), closed ? 1 : 0);
    QVERIFY(window->calls.isEmpty());
}

void skin_window_test::system_close_never_asks()
{
    // A close that does not come through the close button or the exit entry asks nothing.
    scan_running = true;
    box_answerer_c answerer(QMessageBox::No);
    QSignalSpy about_to_close(window, &QSkinWidget::aboutToClose);
    QVERIFY(window->close());
    QVERIFY(answerer.texts.isEmpty());
    QCOMPARE(about_to_close.size(), 1);
}

void skin_window_test::pages_are_composed_in_child_order()
{
    // Two named pages in one place and an unnamed widget beside them.
    const auto make_child = [this](const char* name, const QColor& colour, const QRect& geometry) {
        auto* child = new QWidget(window);
        child->setObjectName(QLatin1String(name));
        QPalette palette = child->palette();
        palette.setColor(QPalette::Window, colour);
        child->setPalette(palette);
        child->setGeometry(geometry);
        return child;
    };
    const QRect page_rect(20, 120, 200, 150);
    QWidget* red = make_child("red_page", Qt::red, page_rect);
    QWidget* blue = make_child("blue_page", Qt::blue, page_rect);
    make_child("", Qt::green, QRect(300, 200, 50, 50))->show();
    red->show();
    blue->hide();

    const auto pixel = [this](const QPoint& p) {
        return window->back_buffer.toImage().pixelColor(p * window->back_buffer.devicePixelRatio());
    };
    // The page raised last is drawn over the others, even when it is hidden.
    blue->raise();
    window->repaint();
    QCOMPARE(pixel(QPoint(100, 200)), QColor(Qt::blue));
    red->raise();
    window->repaint();
    QCOMPARE(pixel(QPoint(100, 200)), QColor(Qt::red));
    // A child without an object name is not part of the composed image.
    QCOMPARE(pixel(QPoint(320, 220)).alpha(), 0);

    // The skin is rebuilt once after a resize and the first image already shows the pages.
    window->resize(window_w + 20, window_h + 10);
    QTRY_VERIFY(window->style_dirty);
    window->repaint();
    QVERIFY(!window->style_dirty);
    QCOMPARE(window->back_buffer.size(), QSize(window_w + 20, window_h + 10) * window->back_buffer.devicePixelRatio());
    QCOMPARE(pixel(QPoint(100, 200)), QColor(Qt::red));
}

void skin_window_test::idle_window_repaints_itself()
{
    // The composed image follows the pages without any event: the window repaints itself.
    class paint_counter_c : public QObject {
    public:
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                ++paints;
            return false;
        }
    } counter;
    QTest::qWait(50);
    window->installEventFilter(&counter);
    QTRY_VERIFY(counter.paints >= 3);
    window->removeEventFilter(&counter);
}

void skin_window_test::help_page_is_found_beside_the_program()
{
    // The test runs in a folder of its own; the build puts no help page beside the test.
    QVERIFY(QSkinWidget::help_page_path().isEmpty());
    QFile page(QStringLiteral("help.html"));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.close();
    QCOMPARE(QSkinWidget::help_page_path(), QDir::current().absoluteFilePath(QStringLiteral("help.html")));
    QVERIFY(page.remove());
}

void skin_window_test::frame_keeps_64_pixel_corners()
{
    const QImage top(QStringLiteral(":/images/system/so.png"));
    if (top.isNull() || top.width() <= 128)
        QSKIP("the compiled-in frame images are not linked into this test");
    const QImage source = top.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // Without a title only the logo (at 120 pixels from the right edge, from y 24 down) is
    // drawn over the strip: the left corner is compared whole, the right one above the logo.
    window->setWindowTitle(QString());
    for (const int width : {window_w, window_w + 333}) {
        window->resize(width, window_h);
        window->updateStyle();
        const QImage skin = window->skin_layer.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(skin.width(), width);
        for (int y = 0; y < source.height(); ++y) {
            for (int x = 0; x < 64; ++x) {
                QCOMPARE(skin.pixel(x, y), source.pixel(x, y));
                if (y < 24)
                    QCOMPARE(skin.pixel(width - 64 + x, y), source.pixel(source.width() - 64 + x, y));
            }
        }
    }
}

QTEST_MAIN(skin_window_test)
#include "skin_window_test.moc"
