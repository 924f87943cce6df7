// SPDX-License-Identifier: GPL-3.0-or-later
// Safe targets for recovered files: sanitised names, directories made inside the chosen folder.
#include "engines/extract/output_path.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Copies that give up on a colliding name after this many numbered variants.
constexpr int max_name_variants = 10000;
// Extensions longer than this (bytes) are not worth keeping when a name must be cut.
constexpr int max_kept_extension = 32;

QString errno_text(int error_number)
{
    return QString::fromLocal8Bit(std::strerror(error_number));
}

int utf8_length(const QString& text)
{
    return static_cast<int>(text.toUtf8().size());
}

// Cuts `text` to at most `max_bytes` of UTF-8 without splitting a surrogate pair.
QString cut_to_bytes(const QString& text, int max_bytes)
{
    if (max_bytes <= 0)
        return QString();
    QString result;
    int bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        int width = 0;
        qsizetype units = 1;
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            width = 4;
            units = 2;
        } else if (c.unicode() < 0x80) {
            width = 1;
        } else if (c.unicode() < 0x800) {
            width = 2;
        } else {
            width = 3;
        }
        if (bytes + width > max_bytes)
            break;
        result.append(text.mid(i, units));
        bytes += width;
        i += units - 1;
    }
    return result;
}

// Splits a file name into stem and extension (".txt"); a leading dot is part of the stem.
void split_extension(const QString& name, QString* stem, QString* extension)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || utf8_length(name.mid(dot)) > max_kept_extension) {
        *stem = name;
        extension->clear();
        return;
    }
    *stem = name.left(dot);
    *extension = name.mid(dot);
}

// stem + suffix + extension, the stem cut so that the whole fits output_name_max bytes.
QString fit_name(const QString& stem, const QString& suffix, const QString& extension)
{
    const int room = output_name_max - utf8_length(suffix) - utf8_length(extension);
    QString cut = cut_to_bytes(stem, room);
    if (cut.isEmpty())
        cut = QStringLiteral("_");
    return cut + suffix + extension;
}

int open_directory_at(int dir_fd, const QByteArray& name)
{
    return ::openat(dir_fd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Enters (creating it when missing) the directory `name` below dir_fd. When the name is
// taken by something that is not a directory (a file, a planted link), a numbered
// variant is used instead. Answers the new descriptor or -1 with *error.
int enter_directory(int dir_fd, const QString& name, QString* used, QString* error)
{
    for (int n = 1; n <= max_name_variants; ++n) {
        const QString candidate = numbered_name(name, n);
        const QByteArray encoded = candidate.toUtf8();
        if (::mkdirat(dir_fd, encoded.constData(), 0755) != 0 && errno != EEXIST) {
            *error = QStringLiteral("cannot create folder \"%1\": %2").arg(candidate, errno_text(errno));
            return -1;
        }
        const int fd = open_directory_at(dir_fd, encoded);
        if (fd >= 0) {
            *used = candidate;
            return fd;
        }
        // ELOOP: a symbolic link; ENOTDIR: a file or a link to one. Anything else is a
        // real failure of the output folder.
        if (errno != ELOOP && errno != ENOTDIR) {
            *error = QStringLiteral("cannot open folder \"%1\": %2").arg(candidate, errno_text(errno));
            return -1;
        }
    }
    *error = QStringLiteral("no free name for folder \"%1\"").arg(name);
    return -1;
}

// The folder itself when it exists, else its nearest existing parent.
QString nearest_existing(const QString& folder)
{
    QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    for (int guard = 0; guard < 4096 && !path.isEmpty(); ++guard) {
        struct stat st;
        if (::stat(path.toUtf8().constData(), &st) == 0)
            return path;
        if (path == QStringLiteral("/"))
            break;
        path = QFileInfo(path).path();
    }
    return QString();
}

}  // namespace

QString sanitize_name(const QString& name)
{
    QString clean;
    clean.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            clean.append(c);
            clean.append(name.at(i + 1));
            ++i;
        } else if (c.isSurrogate()) {
            clean.append(QChar(0xfffd));  // half of a pair: not representable in UTF-8
        } else if (u < 0x20 || u == 0x7f || (u >= 0x80 && u < 0xa0) || u == u'/') {
            clean.append(QLatin1Char('_'));
        } else {
            clean.append(c);
        }
    }
    if (clean.isEmpty())
        return QStringLiteral("_");
    if (clean == QStringLiteral("."))
        return QStringLiteral("_");
    if (clean == QStringLiteral(".."))
        return QStringLiteral("__");
    if (utf8_length(clean) > output_name_max) {
        QString stem;
        QString extension;
        split_extension(clean, &stem, &extension);
        clean = fit_name(stem, QString(), extension);
    }
    return clean;
}

QString numbered_name(const QString& name, int n)
{
    if (n <= 1)
        return name;
    QString stem;
    QString extension;
    split_extension(name, &stem, &extension);
    return fit_name(stem, QStringLiteral(" (%1)").arg(n), extension);
}

int open_output_root(const QString& folder, int* fd, QString* error)
{
    *fd = -1;
    if (folder.isEmpty()) {
        *error = QStringLiteral("no output folder given");
        return -1;
    }
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot create output folder \"%1\"").arg(folder);
        return -1;
    }
    const int opened = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (opened < 0) {
        *error = QStringLiteral("cannot open output folder \"%1\": %2").arg(folder, errno_text(errno));
        return -1;
    }
    *fd = opened;
    return 0;
}

int prepare_output_file(int root_fd, const QStringList& dirs, const QString& name,
                        output_target_s* target, QString* error)
{
    close_output_target(target);
    target->relative_path.clear();
    target->file_name.clear();
    target->open_path.clear();

    int dir_fd = ::fcntl(root_fd, F_DUPFD_CLOEXEC, 0);
    if (dir_fd < 0) {
        *error = QStringLiteral("cannot use output folder: %1").arg(errno_text(errno));
        return -1;
    }
    QStringList made;
    for (const QString& dir : dirs) {
        QString used;
        const int next = enter_directory(dir_fd, sanitize_name(dir), &used, error);
        ::close(dir_fd);
        if (next < 0)
            return -1;
        dir_fd = next;
        made.append(used);
    }

    const QString clean = sanitize_name(name);
    for (int n = 1; n <= max_name_variants; ++n) {
        const QString candidate = numbered_name(clean, n);
        const int fd = ::openat(dir_fd, candidate.toUtf8().constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0) {
            made.append(candidate);
            target->dir_fd = dir_fd;
            target->file_fd = fd;
            target->file_name = candidate;
            target->relative_path = made.join(QLatin1Char('/'));
            target->open_path = QStringLiteral("/proc/self/fd/%1/").arg(dir_fd) + candidate;
            return 0;
        }
        if (errno != EEXIST) {
            *error = QStringLiteral("cannot create \"%1\": %2").arg(candidate, errno_text(errno));
            ::close(dir_fd);
            return -1;
        }
    }
    *error = QStringLiteral("no free name for \"%1\"").arg(clean);
    ::close(dir_fd);
    return -1;
}

void close_output_target(output_target_s* target)
{
    if (target->file_fd >= 0)
        ::close(target->file_fd);
    if (target->dir_fd >= 0)
        ::close(target->dir_fd);
    target->file_fd = -1;
    target->dir_fd = -1;
}

int folder_on_volume(const QString& folder, const QString& device_path,
                     const QStringList& mount_points)
{
    const QString existing = nearest_existing(folder);
    if (existing.isEmpty())
        return -1;
    struct stat folder_st;
    if (::stat(QFile::encodeName(existing).constData(), &folder_st) != 0)
        return -1;

    struct stat device_st;
    if (!device_path.isEmpty() && ::stat(QFile::encodeName(device_path).constData(), &device_st) == 0
        && S_ISBLK(device_st.st_mode) && device_st.st_rdev == folder_st.st_dev)
        return 1;

    for (const QString& mount_point : mount_points) {
        if (mount_point.isEmpty() || mount_point == device_path)
            continue;
        struct stat mount_st;
        if (::stat(QFile::encodeName(mount_point).constData(), &mount_st) != 0 || !S_ISDIR(mount_st.st_mode))
            continue;
        if (mount_st.st_dev == folder_st.st_dev)
            return 1;
    }
    return 0;
}
