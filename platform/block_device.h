// SPDX-License-Identifier: GPL-3.0-or-later
// Read-only access to a block device node or a regular image file through one file descriptor.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

namespace platform {

// What the device says about itself.
struct device_info_s {
    uint64_t size_bytes = 0;
    uint32_t sector_size = 512;        // logical sector size; 512 for a regular file
    uint32_t heads = 255;              // from the legacy geometry query where it answers
    uint32_t sectors_per_track = 63;   // else the usual 255 x 63
    bool regular_file = false;
};

// An open, read-only device or image. Moves, never copies; closes itself.
class block_device_c {
public:
    block_device_c() = default;
    ~block_device_c();
    block_device_c(const block_device_c&) = delete;
    block_device_c& operator=(const block_device_c&) = delete;
    block_device_c(block_device_c&& other) noexcept;
    block_device_c& operator=(block_device_c&& other) noexcept;

    // Opens with O_RDONLY | O_CLOEXEC: a device node or a regular file, nothing else.
    int open(const QString& path);
    void close();
    bool is_open() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const QString& path() const { return path_; }

    // Size, logical sector size and heads/sectors per track. 0 or -1.
    int query(device_info_s& out) const;
    // The device still answers: a block device reports a size above 0, a regular file
    // still has a name in the file system.
    bool answers() const;
    // The device would accept writes (its read-only flag is clear; for a file, the user
    // may write it). Nothing is ever written through this object.
    bool writable() const;
    // Reads exactly length bytes at a 64-bit offset; retries on EINTR and continues after
    // short reads. 0 when every byte was read, -1 on an error or at the end of the device.
    int read_at(uint64_t offset, void* buffer, size_t length) const;

private:
    int fd_ = -1;
    QString path_;
};

}  // namespace platform
