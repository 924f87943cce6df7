// SPDX-License-Identifier: GPL-3.0-or-later
// Moves a frameless window by dragging it and resizes it at its edges.
#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>

class QMouseEvent;
class QSkinWidget;

// Installed as an event filter on its window. Every mouse press, move and release first
// reaches the window's own mouse handlers (which decide, through setMovingEnabled, whether a
// drag in the middle of the window moves it); then the handler resizes the window when the
// left button is dragged within `edge_range` pixels of an edge, and moves it when dragged
// elsewhere while moving is enabled. An event the handler uses is consumed; any other one
// reaches the window a second time through ordinary delivery, so the window's handlers give
// the same result when run twice.
class QSkinWidgetResizeHandler : public QObject {
    Q_OBJECT
public:
    explicit QSkinWidgetResizeHandler(QSkinWidget* window);

    void setMovingEnabled(bool enabled) { moving_enabled = enabled; }
    bool isMovingEnabled() const { return moving_enabled; }
    // True between a left press the handler took and its release.
    bool is_button_down() const { return button_down; }

    bool eventFilter(QObject* object, QEvent* event) override;

    static constexpr int edge_range = 4;

    enum edges_e { EDGE_NONE = 0, EDGE_LEFT = 1, EDGE_TOP = 2, EDGE_RIGHT = 4, EDGE_BOTTOM = 8 };
    // Which edges the window point lies on (a combination of edges_e).
    int edges_at(const QPoint& local) const;

private:
    bool press(QMouseEvent* event);
    bool move(QMouseEvent* event);
    bool release(QMouseEvent* event);
    void set_edge_cursor(int edges);
    QRect resized_geometry(const QPoint& delta) const;

    QSkinWidget* window;
    bool moving_enabled = true;
    bool button_down = false;
    // The window system took over the drag (it moves or resizes the window itself).
    bool system_drag = false;
    int drag_edges = EDGE_NONE;
    int cursor_edges = EDGE_NONE;
    QPoint press_global;
    QRect press_geometry;
    QPoint press_pos;
};
