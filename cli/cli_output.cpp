// SPDX-License-Identifier: GPL-3.0-or-later
// Output of pellucan-cli: the result stream, JSON lines, tables and the terminal progress bar.
#include "cli/cli_output.h"

#include <QDateTime>
#include <QJsonDocument>

#include <algorithm>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

FILE* result_stream = nullptr;

int terminal_width()
{
    struct winsize size {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col >= 20)
        return size.ws_col;
    return 80;
}

QString elapsed_text(qint64 elapsed_ms)
{
    const qint64 seconds = std::max<qint64>(0, elapsed_ms / 1000);
    if (seconds >= 3600)
        return QString::asprintf("%lld:%02lld:%02lld", seconds / 3600, (seconds / 60) % 60, seconds % 60);
    return QString::asprintf("%02lld:%02lld", seconds / 60, seconds % 60);
}

}  // namespace

int cli_take_stdout(bool trace_to_stderr)
{
    std::fflush(stdout);
    const int saved = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (saved < 0)
        return -1;
    FILE* stream = ::fdopen(saved, "w");
    if (stream == nullptr) {
        ::close(saved);
        return -1;
    }
    int sink = -1;
    if (trace_to_stderr)
        sink = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    else
        sink = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (sink >= 0) {
        ::dup2(sink, STDOUT_FILENO);
        ::close(sink);
    }
    result_stream = stream;
    return 0;
}

FILE* cli_out()
{
    return result_stream != nullptr ? result_stream : stdout;
}

void print_line(const QString& line)
{
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, bytes.size(), cli_out());
    std::fputc('\n', cli_out());
}

void print_error(const QString& line)
{
    const QByteArray bytes = line.toUtf8();
    std::fflush(cli_out());
    std::fwrite(bytes.constData(), 1, bytes.size(), stderr);
    std::fputc('\n', stderr);
}

void print_json(const QJsonObject& object)
{
    const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Compact);
    std::fwrite(bytes.constData(), 1, bytes.size(), cli_out());
    std::fputc('\n', cli_out());
}

QStringList format_table(const QList<QStringList>& rows, const QList<int>& right_aligned)
{
    QList<qsizetype> widths;
    for (const QStringList& row : rows) {
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (widths.size() <= c)
                widths.append(0);
            widths[c] = std::max(widths[c], row.at(c).size());
        }
    }
    QStringList lines;
    for (const QStringList& row : rows) {
        QString line;
        for (qsizetype c = 0; c < row.size(); ++c) {
            const bool last = c + 1 == row.size();
            if (c > 0)
                line += QStringLiteral("  ");
            if (right_aligned.contains(static_cast<int>(c)))
                line += row.at(c).rightJustified(widths[c]);
            else
                line += last ? row.at(c) : row.at(c).leftJustified(widths[c]);
        }
        lines.append(line);
    }
    return lines;
}

QString human_size(quint64 bytes)
{
    static const char* const units[] = {"KiB", "MiB", "GiB", "TiB", "PiB"};
    if (bytes < 1024)
        return QStringLiteral("%1 B").arg(bytes);
    double value = static_cast<double>(bytes) / 1024.0;
    int unit = 0;
    while (value >= 1024.0 && unit < 4) {
        value /= 1024.0;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(units[unit]));
}

QString date_text(qint64 seconds_since_1970)
{
    if (seconds_since_1970 == 0)
        return QStringLiteral("-");
    return QDateTime::fromSecsSinceEpoch(seconds_since_1970).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString format_progress(double fraction, qint64 scanned, qint64 found, quint64 total_bytes,
                        qint64 elapsed_ms, int width)
{
    if (!(fraction >= 0.0))  // also NaN
        fraction = 0.0;
    fraction = std::min(fraction, 1.0);
    const double seconds = std::max<qint64>(elapsed_ms, 1) / 1000.0;

    QString rate;
    if (total_bytes > 0) {
        const double done = fraction * static_cast<double>(total_bytes);
        rate = QStringLiteral("%1/s").arg(human_size(static_cast<quint64>(done / seconds)));
    } else {
        rate = QStringLiteral("%1 entries, %2/s").arg(scanned).arg(static_cast<qint64>(scanned / seconds));
    }
    QString tail = QStringLiteral(" %1% %2").arg(fraction * 100.0, 5, 'f', 1).arg(rate);
    if (found > 0)
        tail += QStringLiteral(", %1 found").arg(found);
    tail += QStringLiteral(" %1").arg(elapsed_text(elapsed_ms));

    const int bar_width = std::min<int>(40, width - static_cast<int>(tail.size()) - 2);
    if (bar_width < 5)
        return tail.trimmed().left(std::max(0, width));
    const int filled = static_cast<int>(fraction * bar_width);
    return QStringLiteral("[%1%2]").arg(QString(filled, QLatin1Char('#')), QString(bar_width - filled, QLatin1Char('.')))
           + tail;
}

terminal_progress_c::terminal_progress_c(bool enabled)
    : enabled_(enabled && ::isatty(STDERR_FILENO) == 1)
{
    clock_.start();
}

terminal_progress_c::~terminal_progress_c()
{
    finish();
}

void terminal_progress_c::update(double fraction, qint64 scanned, qint64 found, quint64 total_bytes)
{
    if (!enabled_)
        return;
    const int width = terminal_width() - 1;
    const QByteArray line = format_progress(fraction, scanned, found, total_bytes, clock_.elapsed(), width).toUtf8();
    std::fprintf(stderr, "\r%s\033[K", line.constData());
    std::fflush(stderr);
    drawn_ = true;
}

void terminal_progress_c::finish()
{
    if (enabled_ && drawn_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
    drawn_ = false;
}
