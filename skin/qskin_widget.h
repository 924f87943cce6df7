// SPDX-License-Identifier: GPL-3.0-or-later
// The skinned, frameless top-level window the main window is built on.
// NOTE: minimal base until the skin layer lands: it declares the page operations only.
#pragma once

#include <QWidget>

class QSkinWidget : public QWidget {
    Q_OBJECT
public:
    explicit QSkinWidget(QWidget* parent = nullptr) : QWidget(parent) {}

    virtual void show_page(int page_index) = 0;
    virtual void stop_work() = 0;

    bool scan_mode_deep = false;
};
