// SPDX-License-Identifier: GPL-3.0-or-later
// Light buttons drawn into the skinned window's image and driven by its mouse handlers.
#pragma once

#include <QPainter>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>

#include <array>

// A button of the title area. It is not a widget: the window (T) draws it into its own
// image and runs its hit test from its mouse handlers. Each state has its own image.
template <typename T>
class button_c {
public:
    enum state_e { STATE_NORMAL = 0, STATE_HOVER = 1, STATE_PRESSED = 2 };
    using action_t = void (T::*)();

    button_c() = default;
    button_c(const button_c&) = delete;
    button_c& operator=(const button_c&) = delete;

    virtual void setup(const QString& normal, const QString& hover, const QString& pressed,
                       const QRect& button_rect, const QString& button_name)
    {
        set_images(normal, hover, pressed);
        rect = button_rect;
        name = button_name;
    }

    virtual bool hit_test(const QPoint& point, const QRect& window_rect) const = 0;
    virtual void draw(QPainter& painter, const QRect& window_rect) const = 0;

    // Reloads the three images only. An image that cannot be loaded stays empty: the
    // button is then invisible but still reacts in its rectangle.
    virtual void set_images(const QString& normal, const QString& hover, const QString& pressed)
    {
        images[STATE_NORMAL] = QPixmap(normal);
        images[STATE_HOVER] = QPixmap(hover);
        images[STATE_PRESSED] = QPixmap(pressed);
    }

    virtual ~button_c() = default;

    // The image of the current state (an empty pixmap for a state outside 0..2).
    const QPixmap& current_image() const
    {
        static const QPixmap none;
        return state >= 0 && state < 3 ? images[static_cast<size_t>(state)] : none;
    }

    std::array<QPixmap, 3> images;
    int state = STATE_NORMAL;
    QRect rect;
    QString name;
    action_t action = nullptr;
};

// A button placed from the window's left edge; rect is in window coordinates.
template <typename T>
class top_button_c : public button_c<T> {
public:
    // Edges included: right = x + width - 1, bottom = y + height - 1 (QRect's own edges).
    bool hit_test(const QPoint& point, const QRect&) const override
    {
        const QRect& r = this->rect;
        return point.x() >= r.left() && point.x() <= r.right() && point.y() >= r.top() &&
               point.y() <= r.bottom();
    }

    void draw(QPainter& painter, const QRect&) const override
    {
        painter.drawPixmap(this->rect.topLeft(), this->current_image());
    }
};

// A button placed from the window's right edge: rect's x runs leftwards from the right
// edge of the window rectangle, so the button keeps its place when the window is resized.
template <typename T>
class system_button_c : public button_c<T> {
public:
    bool hit_test(const QPoint& point, const QRect& window_rect) const override
    {
        const QPoint mirrored(window_rect.right() - point.x(), point.y());
        const QRect& r = this->rect;
        return mirrored.x() >= r.left() && mirrored.x() <= r.right() && mirrored.y() >= r.top() &&
               mirrored.y() <= r.bottom();
    }

    void draw(QPainter& painter, const QRect& window_rect) const override
    {
        painter.drawPixmap(QPoint(window_rect.right() - this->rect.right(), this->rect.top()),
                           this->current_image());
    }
};
