// SPDX-License-Identifier: GPL-3.0-or-later
// The skinned, frameless top-level window the main window is built on: a shadow frame,
// title, logo and title-area buttons composed with the pages into one per-pixel-alpha image.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPixmap>
#include <QWidget>

#include "skin/skin_button.h"

class QMenu;
class QTimer;
class QSkinWidgetResizeHandler;

class QSkinWidget : public QWidget {
    Q_OBJECT
    friend class QSkinWidgetResizeHandler;

public:
    explicit QSkinWidget(QWidget* parent = nullptr);
    ~QSkinWidget() override;

    // The page switch and the stop of the recovery page's work; the main window implements
    // both (page 1 the volume page, 2 the drive page).
    virtual void show_page(int page_index) = 0;
    virtual void stop_work() = 0;

    // Set by the top buttons (normal scan false, deep scan true); read by the main window.
    bool scan_mode_deep = false;

    // Actions of the title-area buttons (called on the window by the mouse handlers).
    void on_click_normal_scan();
    void on_click_partition_tool();
    void on_click_deep_scan();
    void on_click_maximize();
    void on_click_restore();
    void on_click_minimize();
    void on_click_settings();

    // The help page shipped beside the program ("help.html" next to the executable, else in
    // the working directory); empty when neither exists.
    static QString help_page_path();

    // The title band: presses with y at most this value can drag the window.
    static constexpr int top_band_height = 100;

signals:
    void aboutToClose();

public slots:
    void updateStyle();
    void setLayered();
    void updateAlpha();
    void on_click_close();
    void on_click_help();
    void on_click_language();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void leaveEvent(QEvent* event) override;

    // The part of the window in which the resize handler looks for edges: the whole window,
    // or, when the window is cut to its opaque part (no compositing manager), that part.
    QRect resize_area() const;

    bool style_dirty = true;
    QPixmap back_buffer;
    QSkinWidgetResizeHandler* resize_handler = nullptr;
    QList<button_c<QSkinWidget>*> skin_buttons;
    QPixmap logo;
    system_button_c<QSkinWidget>* max_button = nullptr;
    QMenu* settings_menu = nullptr;
    QByteArray saved_geometry;
    bool normal_size = true;
    // The skin (frame, logo, title) as last rebuilt; copied under every composed image.
    QPixmap skin_layer;

private:
    void create_buttons();
    void create_settings_menu();
    void run_top_action(int button_no);
    void compose_back_buffer();
    void update_window_shape(bool skin_changed);

    // The frame images, loaded once: their sizes are the contents margins.
    QPixmap frame_top;
    QPixmap frame_left;
    QPixmap frame_right;
    QPixmap frame_bottom;
    QTimer* repaint_timer = nullptr;
    bool layered = false;
    bool in_paint = false;
    bool shaped = false;
};
