// SPDX-License-Identifier: GPL-3.0-or-later
// The single-instance lock file.
#include "platform/single_instance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int held_fd = -1;  // kept open (and locked) until the process ends

int lock_file(const QString& path)
{
    // O_NOFOLLOW: in a shared temp folder another user could plant a link at this name.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return -1;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

QString single_instance_lock_path(const QString& name)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    QString path;
    if (!runtime.isEmpty() && QFileInfo(QFile::decodeName(runtime)).isDir() &&
        QFileInfo(QFile::decodeName(runtime)).isWritable())
        path = QFile::decodeName(runtime) + QLatin1Char('/') + name + QStringLiteral(".lock");
    else
        path = QDir::tempPath() + QLatin1Char('/') + name + QLatin1Char('-') +
               QString::number(::geteuid()) + QStringLiteral(".lock");
    return path;
}

int acquire_single_instance(const QString& name)
{
    if (held_fd >= 0)
        return 0;
    const int fd = lock_file(single_instance_lock_path(name));
    if (fd < 0)
        return -1;
    held_fd = fd;
    return 0;
}
