// SPDX-License-Identifier: GPL-3.0-or-later
// The drawn progress bar of the recovery and partition pages (a painter, not a widget).
#pragma once

#include <QBrush>
#include <QColor>
#include <QObject>
#include <QPixmap>

class QPainter;
class QRect;

class progress_bar_c : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Loads the texture that fills the done part and sets the bar's colour; progress := 0.
    void setup(const QString& image_path, const QColor& colour);
    // Draws the bar into `rect`: the colour over all of it, the texture over the done
    // part, and the percentage centred across the top.
    void paint(QPainter* painter, const QRect& rect) const;

    QPixmap texture;
    QBrush brush;
    QColor background;
    double progress = 0.0;  // fraction done, 0 to 1; written by the owning page
};
