// SPDX-License-Identifier: GPL-3.0-or-later
// The one recipe for every warning and yes/no question of the program.
#pragma once

#include <QMessageBox>
#include <QString>

// Shows a modal box with the program's icon, `title`, the text of `key` from the language
// table and the given standard buttons (none gives a single OK), over `parent` (or as a
// window of its own when null). Returns the button that closed it; Escape on a Yes/No box
// answers No.
QMessageBox::StandardButton show_message(const QString& title, const char* key,
                                         QMessageBox::StandardButtons buttons, QWidget* parent);
