// SPDX-License-Identifier: GPL-3.0-or-later
// The home page: start a new scan or resume a saved one.
#pragma once

#include "ui_HomeForm.h"

#include <QWidget>

class main_window_c;

class home_window_c : public QWidget, public Ui::HomeForm {
    Q_OBJECT
public:
    // Built without a Qt parent; `main_window` receives the two buttons' clicks.
    explicit home_window_c(main_window_c* main_window);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    main_window_c* main_window = nullptr;
};

// Style sheet of a three-state image button; the paths are resource paths without the
// leading ':' (state 1 normal, 2 hover, 3 pressed).
QString button_style(const QString& normal, const QString& hover, const QString& pressed);
