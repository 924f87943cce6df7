// SPDX-License-Identifier: GPL-3.0-or-later
// Moves a frameless window by dragging it and resizes it at its edges.
#include "skin/qskin_resize_handler.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWindow>

#include <algorithm>

#include "skin/qskin_widget.h"

QSkinWidgetResizeHandler::QSkinWidgetResizeHandler(QSkinWidget* target)
    : QObject(target), window(target)
{
    window->installEventFilter(this);
}

int QSkinWidgetResizeHandler::edges_at(const QPoint& local) const
{
    const QRect area = window->resize_area();
    if (!area.contains(local))
        return EDGE_NONE;
    int edges = EDGE_NONE;
    if (local.x() < area.left() + edge_range)
        edges |= EDGE_LEFT;
    else if (local.x() > area.right() - edge_range)
        edges |= EDGE_RIGHT;
    if (local.y() < area.top() + edge_range)
        edges |= EDGE_TOP;
    else if (local.y() > area.bottom() - edge_range)
        edges |= EDGE_BOTTOM;
    return edges;
}

bool QSkinWidgetResizeHandler::eventFilter(QObject* object, QEvent* event)
{
    if (object != window)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        window->mousePressEvent(mouse);
        return press(mouse);
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        window->mouseMoveEvent(mouse);
        return move(mouse);
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        window->mouseReleaseEvent(mouse);
        return release(mouse);
    }
    case QEvent::WindowActivate:
        window->update();
        return false;
    default:
        return false;
    }
}

bool QSkinWidgetResizeHandler::press(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || window->isMaximized() || window->isFullScreen())
        return false;
    const int edges = edges_at(event->position().toPoint());
    if (edges == EDGE_NONE && !moving_enabled)
        return false;
    button_down = true;
    system_drag = false;
    drag_edges = edges;
    press_global = event->globalPosition().toPoint();
    press_geometry = window->geometry();
    press_pos = window->pos();
    return true;
}

bool QSkinWidgetResizeHandler::move(QMouseEvent* event)
{
    // A release the window system kept for itself (after it moved the window) leaves the
    // button flag set; the first move without the button ends that drag.
    if (button_down && !(event->buttons() & Qt::LeftButton))
        button_down = false;
    if (!button_down) {
        set_edge_cursor(edges_at(event->position().toPoint()));
        return false;
    }
    if (system_drag)
        return true;

    const QPoint delta = event->globalPosition().toPoint() - press_global;
    QWindow* handle = window->windowHandle();
    if (drag_edges == EDGE_NONE) {
        // Wait for a real drag so that clicks and double clicks on the band stay clicks.
        const bool not_moved_yet = window->pos() == press_pos;
        if (not_moved_yet && delta.manhattanLength() < QApplication::startDragDistance())
            return true;
        if (not_moved_yet && handle && handle->startSystemMove()) {
            system_drag = true;
            return true;
        }
        window->move(press_pos + delta);
        return true;
    }
    if (window->geometry() == press_geometry && handle) {
        Qt::Edges qt_edges;
        if (drag_edges & EDGE_LEFT)
            qt_edges |= Qt::LeftEdge;
        if (drag_edges & EDGE_TOP)
            qt_edges |= Qt::TopEdge;
        if (drag_edges & EDGE_RIGHT)
            qt_edges |= Qt::RightEdge;
        if (drag_edges & EDGE_BOTTOM)
            qt_edges |= Qt::BottomEdge;
        if (!delta.isNull() && handle->startSystemResize(qt_edges)) {
            system_drag = true;
            return true;
        }
    }
    const QRect wanted = resized_geometry(delta);
    if (wanted != window->geometry())
        window->setGeometry(wanted);
    return true;
}

bool QSkinWidgetResizeHandler::release(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !button_down)
        return false;
    button_down = false;
    system_drag = false;
    return true;
}

QRect QSkinWidgetResizeHandler::resized_geometry(const QPoint& delta) const
{
    const QSize min_size = window->minimumSize();
    const QSize max_size = window->maximumSize();
    QRect r = press_geometry;
    // Each dragged edge follows the pointer; the opposite edge stays where it was, and the
    // size stays within the window's minimum and maximum.
    if (drag_edges & EDGE_LEFT) {
        const int width = std::clamp(press_geometry.width() - delta.x(), min_size.width(), max_size.width());
        r.setLeft(press_geometry.right() - width + 1);
    } else if (drag_edges & EDGE_RIGHT) {
        r.setWidth(std::clamp(press_geometry.width() + delta.x(), min_size.width(), max_size.width()));
    }
    if (drag_edges & EDGE_TOP) {
        const int height = std::clamp(press_geometry.height() - delta.y(), min_size.height(), max_size.height());
        r.setTop(press_geometry.bottom() - height + 1);
    } else if (drag_edges & EDGE_BOTTOM) {
        r.setHeight(std::clamp(press_geometry.height() + delta.y(), min_size.height(), max_size.height()));
    }
    return r;
}

void QSkinWidgetResizeHandler::set_edge_cursor(int edges)
{
    // The shape goes on the native window, not on the widget: a widget cursor would be
    // inherited by the pages, and the pointer would keep the resize shape over them.
    // Entering a page puts the widget cursor back on the native window, so the shape is set
    // again on every move within an edge.
    QWindow* handle = window->windowHandle();
    if (!handle)
        return;
    if (edges == EDGE_NONE) {
        if (cursor_edges != EDGE_NONE)
            handle->setCursor(window->cursor());
        cursor_edges = EDGE_NONE;
        return;
    }
    cursor_edges = edges;
    switch (edges) {
    case EDGE_LEFT | EDGE_TOP:
    case EDGE_RIGHT | EDGE_BOTTOM:
        handle->setCursor(Qt::SizeFDiagCursor);
        break;
    case EDGE_RIGHT | EDGE_TOP:
    case EDGE_LEFT | EDGE_BOTTOM:
        handle->setCursor(Qt::SizeBDiagCursor);
        break;
    case EDGE_LEFT:
    case EDGE_RIGHT:
        handle->setCursor(Qt::SizeHorCursor);
        break;
    default:
        handle->setCursor(Qt::SizeVerCursor);
        break;
    }
}
