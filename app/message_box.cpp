// SPDX-License-Identifier: GPL-3.0-or-later
// The shared message box recipe.
#include "app/message_box.h"

#include "app/language.h"

#include <QPixmap>

QMessageBox::StandardButton show_message(const QString& title, const char* key,
                                         QMessageBox::StandardButtons buttons, QWidget* parent)
{
    QMessageBox box(QMessageBox::Warning, title, text_of(key), buttons, parent,
                    Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    box.setIconPixmap(QPixmap(QStringLiteral(":/images/top.ico")));
    const int result = box.exec();
    return static_cast<QMessageBox::StandardButton>(result);
}
