// SPDX-License-Identifier: GPL-3.0-or-later
// Test helper: answers the next modal message box from a timer and records what it showed.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <memory>

struct box_seen_s {
    bool seen = false;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
    bool has_parent = false;
};

enum class box_answer_e { press_escape, click_ok, click_yes, click_no };

// Waits (polling every 5 ms, at most `limit_ms`) for a QMessageBox to become the active
// modal widget, records it into the returned record and answers it.
inline std::shared_ptr<box_seen_s> answer_next_box(box_answer_e answer, int limit_ms = 5000)
{
    auto seen = std::make_shared<box_seen_s>();
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, seen, answer, clock, limit_ms]() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (clock->elapsed() > limit_ms) {
                timer->stop();
                timer->deleteLater();
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        seen->seen = true;
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->buttons = box->standardButtons();
        seen->has_parent = box->parentWidget() != nullptr;
        switch (answer) {
        case box_answer_e::press_escape: QTest::keyClick(box, Qt::Key_Escape); break;
        case box_answer_e::click_ok: box->button(QMessageBox::Ok)->click(); break;
        case box_answer_e::click_yes: box->button(QMessageBox::Yes)->click(); break;
        case box_answer_e::click_no: box->button(QMessageBox::No)->click(); break;
        }
    });
    timer->start();
    return seen;
}
