// SPDX-License-Identifier: GPL-3.0-or-later
// Output of pellucan-cli: the result stream, JSON lines, tables and the terminal progress bar.
#pragma once

#include <QElapsedTimer>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <cstdio>

// Standard output is kept for results only: cli_take_stdout() moves the process's fd 1
// aside, so that trace lines written by the engines and libraries to standard output go
// to standard error (trace on) or nowhere, while results still reach the real stdout.
int cli_take_stdout(bool trace_to_stderr);
FILE* cli_out();

// Writes one line (a newline is added) to the result stream / to standard error.
void print_line(const QString& line);
void print_error(const QString& line);
// One JSON object, compact, on one line of the result stream.
void print_json(const QJsonObject& object);

// Lays out rows as left- or right-aligned columns; right_aligned lists column numbers.
QStringList format_table(const QList<QStringList>& rows, const QList<int>& right_aligned);

// "1.5 MiB"-style size text for tables.
QString human_size(quint64 bytes);
// Local date and time "yyyy-MM-dd HH:mm:ss", or "-" for 0 (unknown).
QString date_text(qint64 seconds_since_1970);

// One line of the progress bar: bar, percentage, count or byte rate, elapsed time; at most
// `width` characters. total_bytes > 0 shows the rate in bytes (a scan over the whole
// source), else in entries per second from `scanned`.
QString format_progress(double fraction, qint64 scanned, qint64 found, quint64 total_bytes,
                        qint64 elapsed_ms, int width);

// Live progress on standard error, drawn only when standard error is a terminal.
class terminal_progress_c {
public:
    explicit terminal_progress_c(bool enabled);
    ~terminal_progress_c();
    void update(double fraction, qint64 scanned, qint64 found, quint64 total_bytes);
    void finish();  // clears the line

private:
    bool enabled_ = false;
    bool drawn_ = false;
    QElapsedTimer clock_;
};
