// SPDX-License-Identifier: GPL-3.0-or-later
// The progress bar painter.
#include "app/progress_bar.h"

#include <QPainter>
#include <QRect>

#include <cmath>

void progress_bar_c::setup(const QString& image_path, const QColor& colour)
{
    texture = QPixmap(image_path);
    brush.setTexture(texture);
    background = colour;
    progress = 0.0;
}

void progress_bar_c::paint(QPainter* painter, const QRect& rect) const
{
    if (!painter)
        return;
    // The value comes from another thread's counters: keep it a fraction, so a stray
    // value never paints outside the bar or prints a nonsense percentage.
    double done = progress;
    if (!std::isfinite(done) || done < 0.0)
        done = 0.0;
    if (done > 1.0)
        done = 1.0;

    painter->fillRect(rect, background);

    // right - left is the width less one, so a full bar ends on the rectangle's right edge.
    QRect filled = rect;
    filled.setRight(rect.left() + static_cast<int>((rect.right() - rect.left()) * done));
    // Nothing done fills nothing (a rectangle whose right edge is its left edge would
    // still cover one column); a texture that failed to load leaves an empty brush.
    if (done > 0.0 && !texture.isNull())
        painter->fillRect(filled, brush);

    painter->setPen(Qt::black);
    painter->drawText(rect, Qt::AlignHCenter, QString::asprintf("%d%%", static_cast<int>(done * 100.0)));
}
