// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up worker: finds the volumes and drives while the window is already up.
#pragma once

#include <QThread>

class init_c : public QThread {
    Q_OBJECT
public:
    using QThread::QThread;

signals:
    // Sent once discovery has ended, whatever it found; init_done is set by then.
    void init_finished();

protected:
    void run() override;
};
