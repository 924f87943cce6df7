// SPDX-License-Identifier: GPL-3.0-or-later
// Raw 512-byte sector reads from the drives of the drive order, under one mutex.
#pragma once

#include <QString>
#include <cstdint>

// Result codes of the sector operations.
enum disk_result_e : int {
    DISK_OK = 0,
    DISK_ERROR = 1,       // seek or read failed or was short
    DISK_NOT_READY = 3,   // no such drive, drive not ready, or the mutex was not obtained in time
    DISK_BAD_PARAM = 4,   // the request exceeds the transfer buffer
};

// Drive status flags.
inline constexpr uint8_t DISK_STATUS_NOT_READY = 0x01;
inline constexpr uint8_t DISK_STATUS_READ_ONLY = 0x04;

inline constexpr int drive_table_max = 10;
inline constexpr uint32_t transfer_buffer_size = 0x10000;

// One entry of volume_partition_map: where a bound volume lives.
struct volume_partition_s {
    uint8_t disk_no = 0;
    uint8_t partition_no = 0;
    uint32_t start_sector = 0;
};

int drive_table_init();
int drive_table_reopen();
int drive_probe(int index);
uint8_t drive_status(int index);
int drive_read(int index, void* destination, uint32_t first_sector, uint8_t count);
int bind_volume(const QString& path);
const volume_partition_s& volume_partition(int volume_no);  // entry 0 is the bound volume
int drive_count();
uint32_t drive_sector_count(int index);  // sectors the drive holds, 0 when not known

// Trace line to standard output, printf rules, UTF-8.
void console_print(const char* format, ...) __attribute__((format(printf, 1, 2)));
