// SPDX-License-Identifier: GPL-3.0-or-later
// Read-only block device and image access: open, size and geometry ioctls, positioned reads.
#include "platform/block_device.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/hdreg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

block_device_c::~block_device_c()
{
    close();
}

block_device_c::block_device_c(block_device_c&& other) noexcept
    : fd_(other.fd_), path_(std::move(other.path_))
{
    other.fd_ = -1;
}

block_device_c& block_device_c::operator=(block_device_c&& other) noexcept
{
    if (this != &other) {
        close();
        fd_ = other.fd_;
        path_ = std::move(other.path_);
        other.fd_ = -1;
    }
    return *this;
}

int block_device_c::open(const QString& path)
{
    close();
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty())
        return -1;
    int fd;
    do {
        fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !(S_ISBLK(st.st_mode) || S_ISREG(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    fd_ = fd;
    path_ = path;
    return 0;
}

void block_device_c::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    path_.clear();
}

int block_device_c::query(device_info_s& out) const
{
    out = device_info_s{};
    if (fd_ < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        return -1;
    if (S_ISREG(st.st_mode)) {
        if (st.st_size < 0)
            return -1;
        out.regular_file = true;
        out.size_bytes = uint64_t(st.st_size);
        return 0;
    }
    if (!S_ISBLK(st.st_mode))
        return -1;
    uint64_t size = 0;
    if (::ioctl(fd_, BLKGETSIZE64, &size) != 0)
        return -1;
    out.size_bytes = size;
    int sector_size = 0;
    if (::ioctl(fd_, BLKSSZGET, &sector_size) == 0 && sector_size > 0 && sector_size <= 65536)
        out.sector_size = uint32_t(sector_size);
    struct hd_geometry geo {};
    if (::ioctl(fd_, HDIO_GETGEO, &geo) == 0 && geo.heads != 0 && geo.sectors != 0) {
        out.heads = geo.heads;
        out.sectors_per_track = geo.sectors;
    }
    return 0;
}

bool block_device_c::answers() const
{
    if (fd_ < 0)
        return false;
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        return false;
    if (S_ISREG(st.st_mode))
        return st.st_nlink > 0;
    uint64_t size = 0;
    return ::ioctl(fd_, BLKGETSIZE64, &size) == 0 && size > 0;
}

bool block_device_c::writable() const
{
    if (fd_ < 0)
        return false;
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        return false;
    if (S_ISREG(st.st_mode))
        return ::access(QFile::encodeName(path_).constData(), W_OK) == 0;
    int read_only = 1;
    if (::ioctl(fd_, BLKROGET, &read_only) != 0)
        return false;
    return read_only == 0;
}

int block_device_c::read_at(uint64_t offset, void* buffer, size_t length) const
{
    if (fd_ < 0 || (length > 0 && buffer == nullptr))
        return -1;
    if (offset > uint64_t(LLONG_MAX) || length > uint64_t(LLONG_MAX) - offset)
        return -1;
    auto* out = static_cast<unsigned char*>(buffer);
    size_t done = 0;
    // Bounded: every pass either moves forward or ends the loop.
    while (done < length) {
        const ssize_t got = ::pread(fd_, out + done, length - done, off_t(offset + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (got == 0)
            return -1;  // end of the device before every byte was read
        done += size_t(got);
    }
    return 0;
}

}  // namespace platform
