// SPDX-License-Identifier: GPL-3.0-or-later
// The drive table: one read-only descriptor per drive of the drive order, a 64 KiB transfer
// buffer, one timed mutex around every device access, and a monitor thread that marks
// removed media.
//
// Notes:
// - The table's sector count is the geometric one (whole cylinders, 32-bit product), as
//   the drive list shows it; bounds checks use the device's real byte size instead, so the
//   tail beyond the last whole cylinder stays readable and nothing is read past the end.
// - A volume is bound through the platform layer, which knows its disk's place in the
//   drive order, its partition number and its first sector.
#include "engines/disk/sector_access.h"

#include "platform/block_device.h"
#include "platform/devices.h"
#include "platform/volumes.h"

#include <QByteArray>
#include <QFile>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;

struct drive_slot_s {
    uint8_t status = DISK_STATUS_NOT_READY;
    uint16_t sector_size = 0;
    uint32_t sector_count = 0;    // cylinders x heads x sectors, 32-bit product
    uint64_t size_bytes = 0;      // what the device really holds
    platform::block_device_c device;
};

struct drive_table_s {
    std::timed_mutex lock;
    std::array<drive_slot_s, drive_table_max> entries;
    std::atomic<int> count{0};
    std::unique_ptr<unsigned char[]> transfer;  // transfer_buffer_size bytes
    std::array<volume_partition_s, drive_table_max> volume_map{};

    // The monitor thread runs detached for the life of the process.
    bool monitor_started = false;
    std::mutex monitor_lock;
    std::condition_variable monitor_wake;
    bool monitor_stop = false;
};

// NOTE: the table is never destroyed. Threads still reading when the process ends are
// not waited for, so the table must outlive every static destructor.
drive_table_s& table()
{
    static drive_table_s* instance = new drive_table_s;
    return *instance;
}

// Sleeps for the given time; false when the process is ending.
bool monitor_sleep(drive_table_s& t, std::chrono::milliseconds span)
{
    std::unique_lock<std::mutex> guard(t.monitor_lock);
    return !t.monitor_wake.wait_for(guard, span, [&] { return t.monitor_stop; });
}

// Measures one drive; the caller holds the table lock.
int probe_locked(drive_table_s& t, int index)
{
    if (index < 0 || index >= drive_table_max)
        return 0;
    drive_slot_s& slot = t.entries[index];
    platform::device_info_s info;
    if (!slot.device.is_open() || !slot.device.answers() || slot.device.query(info) != 0) {
        slot.status = DISK_STATUS_NOT_READY;
        return 0;
    }
    slot.sector_size = uint16_t(info.sector_size > 0xFFFF ? 0 : info.sector_size);
    slot.size_bytes = info.size_bytes;
    if (info.sector_size != 512)
        return 0;
    // The geometric size: whole cylinders of heads x sectors per track.
    const uint64_t per_cylinder = uint64_t(info.heads) * info.sectors_per_track * info.sector_size;
    const uint64_t cylinders = per_cylinder != 0 ? info.size_bytes / per_cylinder : 0;
    slot.sector_count = uint32_t(cylinders) * info.heads * info.sectors_per_track;
    slot.status = slot.device.writable() ? 0 : DISK_STATUS_READ_ONLY;
    return 1;
}

// Opens the drives of the drive order from drive 0; the caller holds the table lock.
int open_drives_locked(drive_table_s& t)
{
    for (drive_slot_s& slot : t.entries) {
        slot.device.close();
        slot.status = DISK_STATUS_NOT_READY;
        slot.sector_size = 0;
        slot.sector_count = 0;
        slot.size_bytes = 0;
    }
    const QList<platform::disk_s> order = platform::disk_order();
    int count = 0;
    for (int n = 0; n < order.size() && n < drive_table_max; ++n) {
        drive_slot_s& slot = t.entries[n];
        if (slot.device.open(order[n].node) != 0) {
            // The first drive that cannot be opened ends the table: drives are numbered
            // without gaps. NOTE: an unreadable real disk (no raw read rights, or a device
            // the container does not pass through) does not hide the images the user
            // attached: their numbers stay those of the drive order, and the slots of the
            // real disks that could not be opened stay not ready.
            if (order[n].image)
                break;
            while (n + 1 < order.size() && !order[n + 1].image)
                ++n;
            continue;
        }
        slot.status = 0;
        count = n + 1;
        console_print("Disk# %u <== %s", unsigned(n), QFile::encodeName(order[n].node).constData());
        if (probe_locked(t, n) == 1) {
            const uint64_t mib = uint64_t(slot.sector_size) * slot.sector_count / 1024 / 1024;
            console_print(" (%lluMB, %u bytes * %u sectors)\n", static_cast<unsigned long long>(mib),
                          unsigned(slot.sector_size), unsigned(slot.sector_count));
        } else {
            console_print(" (Not Ready)\n");
        }
    }
    t.count = count;
    return count;
}

void monitor_run()
{
    drive_table_s& t = table();
    while (monitor_sleep(t, 100ms)) {
        const int count = t.count;
        // Drive 0 is not polled: it holds the system and does not go away.
        for (int n = 1; n < count && n < drive_table_max; ++n) {
            if (!monitor_sleep(t, 1ms))
                return;
            std::unique_lock<std::timed_mutex> guard(t.lock, std::defer_lock);
            if (!guard.try_lock_for(100ms))
                continue;
            drive_slot_s& slot = t.entries[n];
            if (!slot.device.is_open() || (slot.status & DISK_STATUS_NOT_READY) != 0)
                continue;
            if (!slot.device.answers())
                slot.status |= DISK_STATUS_NOT_READY;
            guard.unlock();
            if (!monitor_sleep(t, 100ms))
                return;
        }
    }
}

}  // namespace

int drive_table_init()
{
    drive_table_s& t = table();
    std::lock_guard<std::timed_mutex> guard(t.lock);
    if (!t.transfer) {
        t.transfer.reset(new (std::nothrow) unsigned char[transfer_buffer_size]);
        if (!t.transfer)
            return 0;
    }
    const int opened = open_drives_locked(t);
    if (!t.monitor_started) {
        std::thread(monitor_run).detach();
        t.monitor_started = true;
    }
    return opened;
}

int drive_table_reopen()
{
    drive_table_s& t = table();
    std::lock_guard<std::timed_mutex> guard(t.lock);
    return open_drives_locked(t);
}

int drive_probe(int index)
{
    drive_table_s& t = table();
    std::unique_lock<std::timed_mutex> guard(t.lock, std::defer_lock);
    if (!guard.try_lock_for(5000ms))
        return 0;
    if (index < 0 || index >= t.count)
        return 0;
    return probe_locked(t, index);
}

uint8_t drive_status(int index)
{
    drive_table_s& t = table();
    std::unique_lock<std::timed_mutex> guard(t.lock, std::defer_lock);
    if (!guard.try_lock_for(5000ms))
        return DISK_STATUS_NOT_READY;
    if (index < 0 || index >= t.count)
        return DISK_STATUS_NOT_READY;
    probe_locked(t, index);
    return t.entries[index].status;
}

int drive_read(int index, void* destination, uint32_t first_sector, uint8_t count)
{
    drive_table_s& t = table();
    if (index < 0 || index >= t.count || index >= drive_table_max)
        return DISK_NOT_READY;
    std::unique_lock<std::timed_mutex> guard(t.lock, std::defer_lock);
    if (!guard.try_lock_for(3000ms))
        return DISK_NOT_READY;
    // The table may have been reopened while we waited.
    if (index >= t.count)
        return DISK_NOT_READY;
    drive_slot_s& slot = t.entries[index];
    if ((slot.status & DISK_STATUS_NOT_READY) != 0 || !slot.device.is_open() || !t.transfer)
        return DISK_NOT_READY;
    const uint64_t bytes = uint64_t(count) * slot.sector_size;
    if (bytes > transfer_buffer_size || (bytes > 0 && destination == nullptr))
        return DISK_BAD_PARAM;
    const uint64_t offset = uint64_t(slot.sector_size) * first_sector;
    if (offset > slot.size_bytes || bytes > slot.size_bytes - offset)
        return DISK_ERROR;
    if (bytes == 0)
        return DISK_OK;
    if (slot.device.read_at(offset, t.transfer.get(), size_t(bytes)) != 0)
        return DISK_ERROR;
    std::memcpy(destination, t.transfer.get(), size_t(bytes));
    return DISK_OK;
}

int bind_volume(const QString& path)
{
    platform::volume_s v;
    if (platform::find_volume(path, v, false) != 0)
        return -1;
    if (v.disk_no < 0 || v.disk_no >= drive_table_max || v.partition_no < 0 || v.partition_no > 255)
        return -1;
    volume_partition_s entry;
    entry.disk_no = uint8_t(v.disk_no);
    entry.partition_no = uint8_t(v.partition_no);
    // Sector numbers of this layer are 32-bit; a volume that starts beyond them cannot be
    // read through it.
    if (v.start_sector > UINT32_MAX)
        return -1;
    entry.start_sector = uint32_t(v.start_sector);
    drive_table_s& t = table();
    std::lock_guard<std::timed_mutex> guard(t.lock);
    t.volume_map[0] = entry;
    return 0;
}

const volume_partition_s& volume_partition(int volume_no)
{
    drive_table_s& t = table();
    if (volume_no < 0 || volume_no >= drive_table_max)
        volume_no = 0;
    return t.volume_map[volume_no];
}

int drive_count()
{
    return table().count;
}

uint32_t drive_sector_count(int index)
{
    drive_table_s& t = table();
    std::unique_lock<std::timed_mutex> guard(t.lock, std::defer_lock);
    if (!guard.try_lock_for(5000ms))
        return 0;
    if (index < 0 || index >= t.count || index >= drive_table_max)
        return 0;
    const uint64_t sectors = t.entries[index].size_bytes / 512;
    return sectors > UINT32_MAX ? UINT32_MAX : uint32_t(sectors);
}

void console_print(const char* format, ...)
{
    if (format == nullptr)
        return;
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    // Line-buffered: a finished line reaches the console at once, even through a pipe.
    if (std::strchr(format, '\n') != nullptr)
        std::fflush(stdout);
}
