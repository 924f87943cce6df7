// SPDX-License-Identifier: GPL-3.0-or-later
// The skinned, frameless top-level window: composes the shadow frame, title, logo, pages
// and title-area buttons into one image with per-pixel alpha and drives the buttons.
#include "skin/qskin_widget.h"

#include <QAction>
#include <QBitmap>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include "app/app_state.h"
#include "app/language.h"
#include "app/message_box.h"
#include "skin/compositing.h"
#include "skin/qskin_resize_handler.h"

namespace {

// Width of the fixed corner pieces of the top strip; only the part between them stretches.
constexpr int top_corner_width = 64;
// Interval of the repaint that keeps the composed image in step with the pages.
constexpr int repaint_interval_ms = 400;
constexpr int compositing_check_interval_ms = 2000;
// Without a compositing manager the window is cut to the pixels of the skin at least this
// opaque (soft shadow pixels would show black), plus the whole content area.
constexpr int shape_alpha_threshold = 200;

const QString program_title = QStringLiteral("Pellucan");

QString system_image(const char* name, int state)
{
    return QStringLiteral(":/images/system/%1%2.png").arg(QLatin1String(name)).arg(state);
}

}  // namespace

QSkinWidget::QSkinWidget(QWidget* parent) : QWidget(parent)
{
    normal_size = true;
    scan_mode_deep = false;

    logo = QPixmap(QStringLiteral(":/images/top/logo.png"));
    create_buttons();
    create_settings_menu();

    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    // The window's pixels carry their own alpha: the shadow blends with the desktop.
    setAttribute(Qt::WA_TranslucentBackground);
    QTimer::singleShot(1, this, &QSkinWidget::setLayered);
    setWindowTitle(QStringLiteral("Quenfield"));

    repaint_timer = new QTimer(this);
    connect(repaint_timer, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    repaint_timer->start(repaint_interval_ms);
    // A compositing manager may start or stop while the program runs: look every few
    // seconds whether the window has to be cut to its opaque part or may be whole again.
    auto* compositing_timer = new QTimer(this);
    connect(compositing_timer, &QTimer::timeout, this, [this] { update_window_shape(false); });
    compositing_timer->start(compositing_check_interval_ms);

    setMouseTracking(true);

    frame_top = QPixmap(QStringLiteral(":/images/system/so.png"));
    frame_left = QPixmap(QStringLiteral(":/images/system/sl.png"));
    frame_right = QPixmap(QStringLiteral(":/images/system/sr.png"));
    frame_bottom = QPixmap(QStringLiteral(":/images/system/su.png"));
    // Child layouts stay inside the shadow border (a missing image counts as 0).
    setContentsMargins(frame_left.width(), frame_top.height(), frame_right.width(), frame_bottom.height());

    resize_handler = new QSkinWidgetResizeHandler(this);
    style_dirty = true;
}

QSkinWidget::~QSkinWidget()
{
    // The handler forwards mouse events to this window: it goes before the buttons do.
    delete resize_handler;
    resize_handler = nullptr;
    qDeleteAll(skin_buttons);
    skin_buttons.clear();
    max_button = nullptr;
}

void QSkinWidget::create_buttons()
{
    using action_t = button_c<QSkinWidget>::action_t;
    // The tool buttons, from the left edge: normal scan, partition tool, deep scan.
    const action_t top_actions[3] = {&QSkinWidget::on_click_normal_scan, &QSkinWidget::on_click_partition_tool,
                                     &QSkinWidget::on_click_deep_scan};
    for (int n = 1; n <= 3; ++n) {
        auto* button = new top_button_c<QSkinWidget>();
        button->setup(top_button_image(n, 1), top_button_image(n, 2), top_button_image(n, 3),
                      QRect(10 + (n - 1) * 103, 25, 95, 70), QString());
        button->action = top_actions[n - 1];
        skin_buttons.append(button);
    }

    // The system buttons, from the right edge inwards: close, maximize, minimize, settings.
    struct system_def_s {
        const char* image;
        int right_offset;
        action_t action;
    };
    const system_def_s system_defs[4] = {
        {"quiButton", 1, &QSkinWidget::on_click_close},
        {"maxButton", 31, &QSkinWidget::on_click_maximize},
        {"minButton", 61, &QSkinWidget::on_click_minimize},
        {"settingButton", 91, &QSkinWidget::on_click_settings},
    };
    for (const system_def_s& def : system_defs) {
        auto* button = new system_button_c<QSkinWidget>();
        button->setup(system_image(def.image, 1), system_image(def.image, 2), system_image(def.image, 3),
                      QRect(def.right_offset, 1, 30, 21), QString());
        button->action = def.action;
        skin_buttons.append(button);
        if (def.action == &QSkinWidget::on_click_maximize)
            max_button = button;
    }
}

void QSkinWidget::create_settings_menu()
{
    auto* help_action = new QAction(text_of("menu_help"), this);
    connect(help_action, &QAction::triggered, this, &QSkinWidget::on_click_help);
    auto* exit_action = new QAction(text_of("menu_exit"), this);
    connect(exit_action, &QAction::triggered, this, &QSkinWidget::on_click_close);

    // The language names in reverse file order, each carrying its position in the file.
    // The title is not looked up in the language table: it reads the same in every language.
    auto* language_menu = new QMenu(tr("Language"), this);
    const QStringList& names = language_tables().names;
    for (qsizetype n = names.size() - 1; n >= 0; --n) {
        auto* action = new QAction(names.at(n), this);
        action->setData(static_cast<int>(n));
        connect(action, &QAction::triggered, this, &QSkinWidget::on_click_language);
        language_menu->addAction(action);
    }

    settings_menu = new QMenu(this);
    settings_menu->addMenu(language_menu);
    settings_menu->addSeparator();
    settings_menu->addAction(help_action);
    settings_menu->addSeparator();
    settings_menu->addAction(exit_action);
}

// ---- skin and composition ----

void QSkinWidget::setLayered()
{
    // From now on the window shows only the composed image.
    layered = true;
    update_window_shape(true);
    update();
}

void QSkinWidget::updateStyle()
{
    const qreal dpr = devicePixelRatioF();
    const QSize pixels(qRound(width() * dpr), qRound(height() * dpr));
    if (skin_layer.size() != pixels || skin_layer.isNull())
        skin_layer = QPixmap(pixels.expandedTo(QSize(1, 1)));
    skin_layer.setDevicePixelRatio(dpr);
    skin_layer.fill(Qt::transparent);

    const int w = width();
    const int h = height();
    const int top_h = frame_top.height();
    const int top_w = frame_top.width();
    const int left_w = frame_left.width();
    const int right_w = frame_right.width();
    const int bottom_h = frame_bottom.height();
    const int bottom_w = frame_bottom.width();

    QPainter painter(&skin_layer);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    // Top strip: fixed 64-pixel corners, the middle stretched between them.
    if (top_h > 0 && top_w >= top_corner_width) {
        painter.drawPixmap(QRect(w - top_corner_width, 0, top_corner_width, top_h), frame_top,
                           QRect(top_w - top_corner_width, 0, top_corner_width, top_h));
        painter.drawPixmap(QRect(0, 0, top_corner_width, top_h), frame_top,
                           QRect(0, 0, top_corner_width, top_h));
        if (top_w > 2 * top_corner_width && w > 2 * top_corner_width)
            painter.drawPixmap(QRect(top_corner_width, 0, w - 2 * top_corner_width, top_h), frame_top,
                               QRect(top_corner_width, 0, top_w - 2 * top_corner_width, top_h));
    }

    // Bottom strip: corners as wide as the side images, the middle stretched.
    if (bottom_h > 0) {
        const int middle_src = bottom_w - left_w - right_w;
        const int middle_dst = w - left_w - right_w;
        if (middle_src > 0 && middle_dst > 0)
            painter.drawPixmap(QRect(left_w, h - bottom_h, middle_dst, bottom_h), frame_bottom,
                               QRect(left_w, 0, middle_src, bottom_h));
        if (left_w > 0 && left_w <= bottom_w)
            painter.drawPixmap(QRect(0, h - bottom_h, left_w, bottom_h), frame_bottom,
                               QRect(0, 0, left_w, bottom_h));
        if (right_w > 0 && right_w <= bottom_w)
            painter.drawPixmap(QRect(w - right_w, h - bottom_h, right_w, bottom_h), frame_bottom,
                               QRect(bottom_w - right_w, 0, right_w, bottom_h));
    }

    // The side edges, stretched between the strips.
    const int side_h = h - top_h - bottom_h;
    if (side_h > 0) {
        if (!frame_right.isNull())
            painter.drawPixmap(QRect(w - right_w, top_h, right_w, side_h), frame_right);
        if (!frame_left.isNull())
            painter.drawPixmap(QRect(0, top_h, left_w, side_h), frame_left);
    }

    painter.drawPixmap(w - 120, 24, logo);

    painter.setFont(QFont(QStringLiteral("Comic Sans MS")));
    painter.setPen(Qt::white);
    painter.drawText(QPoint(10, 20), windowTitle());
    painter.end();

    style_dirty = false;
    // The window's shape follows the new skin; not from within a paint.
    if (layered)
        QTimer::singleShot(0, this, [this] { update_window_shape(true); });
    if (!in_paint)
        update();
}

void QSkinWidget::update_window_shape(bool skin_changed)
{
    if (!layered)
        return;
    if (display_composites_windows()) {
        if (shaped) {
            clearMask();
            shaped = false;
        }
        return;
    }
    // No compositing manager: transparent pixels would show black, so the window is cut to
    // the opaque part of its skin and its whole content area.
    if ((shaped && !skin_changed) || style_dirty || skin_layer.isNull())
        return;
    const QImage skin = skin_layer.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage bits(skin.size(), QImage::Format_MonoLSB);
    bits.setColorCount(2);
    bits.setColor(0, qRgb(255, 255, 255));
    bits.setColor(1, qRgb(0, 0, 0));
    bits.fill(0);
    for (int y = 0; y < skin.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(skin.constScanLine(y));
        for (int x = 0; x < skin.width(); ++x)
            if (qAlpha(row[x]) >= shape_alpha_threshold)
                bits.setPixel(x, y, 1);
    }
    QRegion region(QBitmap::fromImage(bits));
    const qreal dpr = skin_layer.devicePixelRatio();
    if (dpr != 1.0)
        region = QTransform::fromScale(1.0 / dpr, 1.0 / dpr).map(region);
    region += contentsRect();
    setMask(region);
    shaped = true;
}

QRect QSkinWidget::resize_area() const
{
    return shaped ? mask().boundingRect() : rect();
}

void QSkinWidget::compose_back_buffer()
{
    const qreal dpr = devicePixelRatioF();
    const QSize pixels(qRound(width() * dpr), qRound(height() * dpr));
    // One buffer, reused until the window size changes.
    if (back_buffer.size() != pixels || back_buffer.isNull()) {
        back_buffer = QPixmap(pixels.expandedTo(QSize(1, 1)));
        // NOTE: a new pixmap has no alpha channel until it is filled with transparency.
        back_buffer.fill(Qt::transparent);
    }
    back_buffer.setDevicePixelRatio(dpr);

    QPainter painter(&back_buffer);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawPixmap(0, 0, skin_layer);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);

    // The named child widgets in child order, hidden ones too: raising a page moves it to the
    // end, so the page shown is drawn last, over the others. Each is drawn with its own
    // background. A child wholly covered by a later child whose background is opaque would
    // be painted over completely, so it is not drawn at all.
    const QObjectList& kids = children();
    const auto drawn = [](QObject* object) -> QWidget* {
        auto* widget = qobject_cast<QWidget*>(object);
        return widget && !widget->isWindow() && !widget->objectName().isEmpty() ? widget : nullptr;
    };
    const auto opaque = [](const QWidget* widget) {
        if (widget->testAttribute(Qt::WA_OpaquePaintEvent))
            return true;
        return !widget->testAttribute(Qt::WA_NoSystemBackground) &&
               !widget->testAttribute(Qt::WA_TranslucentBackground) &&
               widget->palette().brush(QPalette::Window).isOpaque() &&
               widget->palette().brush(widget->backgroundRole()).isOpaque();
    };
    for (qsizetype i = 0; i < kids.size(); ++i) {
        QWidget* child = drawn(kids.at(i));
        if (!child)
            continue;
        bool covered = false;
        for (qsizetype j = i + 1; j < kids.size() && !covered; ++j) {
            const QWidget* later = drawn(kids.at(j));
            covered = later && later->geometry().contains(child->geometry()) && opaque(later);
        }
        if (!covered)
            child->render(&painter, child->pos(), QRegion(),
                          QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }

    const QRect window_rect = rect();
    for (const button_c<QSkinWidget>* button : std::as_const(skin_buttons))
        button->draw(painter, window_rect);
}

void QSkinWidget::updateAlpha()
{
    // The composed image replaces everything the window showed; only a paint event may
    // write to the window, so outside one this asks for a paint.
    if (!in_paint) {
        update();
        return;
    }
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawPixmap(0, 0, back_buffer);
}

void QSkinWidget::paintEvent(QPaintEvent*)
{
    in_paint = true;
    // The skin is rebuilt first, so even the first image after a resize shows the content.
    if (style_dirty)
        updateStyle();
    compose_back_buffer();
    updateAlpha();
    in_paint = false;
}

void QSkinWidget::resizeEvent(QResizeEvent*)
{
    style_dirty = true;
}

void QSkinWidget::closeEvent(QCloseEvent* event)
{
    emit aboutToClose();
    event->accept();
}

// ---- mouse handling ----

void QSkinWidget::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (p.y() > top_band_height) {
        resize_handler->setMovingEnabled(false);
        return;
    }
    const QRect window_rect = rect();
    bool hit = false;
    for (button_c<QSkinWidget>* button : std::as_const(skin_buttons)) {
        if (!button->hit_test(p, window_rect))
            continue;
        resize_handler->setMovingEnabled(false);
        if (button->state != button_c<QSkinWidget>::STATE_PRESSED) {
            button->state = button_c<QSkinWidget>::STATE_PRESSED;
            update();
            return;
        }
        hit = true;
    }
    // Dragging the band outside every button moves the window.
    resize_handler->setMovingEnabled(!hit);
}

void QSkinWidget::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    const QRect window_rect = rect();
    // At most one button changes its look per move.
    for (button_c<QSkinWidget>* button : std::as_const(skin_buttons)) {
        if (button->hit_test(p, window_rect)) {
            if (button->state == button_c<QSkinWidget>::STATE_NORMAL) {
                button->state = button_c<QSkinWidget>::STATE_HOVER;
                update();
                return;
            }
            continue;
        }
        if (button->state != button_c<QSkinWidget>::STATE_NORMAL) {
            button->state = button_c<QSkinWidget>::STATE_NORMAL;
            update();
            return;
        }
    }
}

void QSkinWidget::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    const QRect window_rect = rect();
    // A button in hover was not pressed (or its release was handled already): skipped, so
    // a release delivered twice runs the action once.
    for (button_c<QSkinWidget>* button : std::as_const(skin_buttons)) {
        if (!button->hit_test(p, window_rect) || button->state == button_c<QSkinWidget>::STATE_HOVER)
            continue;
        button->state = button_c<QSkinWidget>::STATE_HOVER;
        update();
        const button_c<QSkinWidget>::action_t action = button->action;
        if (action)
            (this->*action)();
        event->accept();
        return;
    }
}

void QSkinWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (p.y() > top_band_height)
        return;
    const QRect window_rect = rect();
    for (const button_c<QSkinWidget>* button : std::as_const(skin_buttons))
        if (button->hit_test(p, window_rect))
            return;
    // NOTE: the action is copied out first; calling through the member expression directly
    // trips GCC's UBSan type check on the window object.
    const button_c<QSkinWidget>::action_t action = max_button ? max_button->action : nullptr;
    if (action)
        (this->*action)();
}

void QSkinWidget::leaveEvent(QEvent* event)
{
    // The pointer left the window: no button keeps its hover look. A pressed button keeps
    // its look until the release.
    bool changed = false;
    for (button_c<QSkinWidget>* button : std::as_const(skin_buttons)) {
        if (button->state == button_c<QSkinWidget>::STATE_HOVER) {
            button->state = button_c<QSkinWidget>::STATE_NORMAL;
            changed = true;
        }
    }
    if (changed)
        update();
    QWidget::leaveEvent(event);
}

// ---- button actions ----

void QSkinWidget::run_top_action(int button_no)
{
    if (!init_done.load()) {
        show_message(program_title, "startup_warning", QMessageBox::Ok, this);
        return;
    }
    // Leaving the recovery page abandons its scan: only on an explicit Yes.
    if (scan_running.load() &&
        show_message(program_title, "back_warning", QMessageBox::Yes | QMessageBox::No, this) != QMessageBox::Yes)
        return;
    if (button_no == 1)
        scan_mode_deep = false;
    else if (button_no == 3)
        scan_mode_deep = true;
    stop_work();
    show_page(button_no == 2 ? 2 : 1);
}

void QSkinWidget::on_click_normal_scan()
{
    run_top_action(1);
}

void QSkinWidget::on_click_partition_tool()
{
    run_top_action(2);
}

void QSkinWidget::on_click_deep_scan()
{
    run_top_action(3);
}

namespace {

// Maximizes (the window fills its screen's available area) or restores the geometry saved
// before; `normal_size` says which.
void toggle_size(QWidget* window, bool& normal_size, QByteArray& saved_geometry)
{
    if (normal_size) {
        saved_geometry = window->saveGeometry();
        QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
        if (screen)
            window->setGeometry(screen->availableGeometry());
    } else {
        window->restoreGeometry(saved_geometry);
    }
    normal_size = !normal_size;
}

}  // namespace

void QSkinWidget::on_click_maximize()
{
    if (max_button) {
        max_button->set_images(system_image("resumeButton", 1), system_image("resumeButton", 2),
                               system_image("resumeButton", 3));
        max_button->action = &QSkinWidget::on_click_restore;
    }
    toggle_size(this, normal_size, saved_geometry);
}

void QSkinWidget::on_click_restore()
{
    if (max_button) {
        max_button->set_images(system_image("maxButton", 1), system_image("maxButton", 2),
                               system_image("maxButton", 3));
        max_button->action = &QSkinWidget::on_click_maximize;
    }
    toggle_size(this, normal_size, saved_geometry);
}

void QSkinWidget::on_click_minimize()
{
    for (button_c<QSkinWidget>* button : std::as_const(skin_buttons))
        button->state = button_c<QSkinWidget>::STATE_NORMAL;
    showMinimized();
}

void QSkinWidget::on_click_settings()
{
    settings_menu->exec(QCursor::pos());
    // The menu took the pointer while it was open: a button the pointer has left since
    // loses its hover look now rather than on the next move. NOTE: only once the release
    // that opened the menu has been handled; that release may still reach the window a
    // second time, and it must find the settings button in hover then, or it would open
    // the menu again.
    QTimer::singleShot(0, this, [this] {
        const QPoint p = mapFromGlobal(QCursor::pos());
        const QRect window_rect = rect();
        for (button_c<QSkinWidget>* button : std::as_const(skin_buttons))
            if (button->state == button_c<QSkinWidget>::STATE_HOVER && !button->hit_test(p, window_rect))
                button->state = button_c<QSkinWidget>::STATE_NORMAL;
        update();
    });
}

void QSkinWidget::on_click_close()
{
    if (scan_running.load() &&
        show_message(program_title, "quit_warning", QMessageBox::Yes | QMessageBox::No, this) != QMessageBox::Yes)
        return;
    close();
}

QString QSkinWidget::help_page_path()
{
    const QString name = QStringLiteral("help.html");
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    if (QFileInfo(beside).isFile())
        return beside;
    const QString working = QDir::current().absoluteFilePath(name);
    if (QFileInfo(working).isFile())
        return working;
    return QString();
}

void QSkinWidget::on_click_help()
{
    // The page ships with the program; without it, or without a desktop session to show it,
    // nothing happens.
    const QString path = help_page_path();
    if (!path.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void QSkinWidget::on_click_language()
{
    const auto* action = qobject_cast<const QAction*>(sender());
    if (!action)
        return;
    bool ok = false;
    const int index = action->data().toInt(&ok);
    if (ok)
        choose_language(index, this);
}
