#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes a FAT32 volume image for the scan benchmark directly (mtools takes minutes for
# 50,000 files): DIRS directories under the root, FILES files each (long name + short
# name, one cluster of data). Every 10th file and every 50th directory (with its files)
# is then deleted the way a FAT driver deletes: 0xE5 over the first byte of the short
# entry and of its long-name parts, and the clusters freed in the FAT.
#
# Usage: make_fat32_tree.py IMAGE [DIRS [FILES]]
import struct
import sys

path = sys.argv[1]
dirs = int(sys.argv[2]) if len(sys.argv) > 2 else 500
files = int(sys.argv[3]) if len(sys.argv) > 3 else 100

SPC = 8                  # 4 KiB clusters
CLUSTER = SPC * 512
RESERVED = 32
FATS = 2
clusters = max(70000, dirs * (files + 8) + 1000)
spf = ((clusters + 2) * 4 + 511) // 512
data_start = RESERVED + FATS * spf
total = data_start + clusters * SPC

fat = [0] * (clusters + 2)
fat[0] = 0x0FFFFFF8
fat[1] = 0x0FFFFFFF
next_free = [2]
image = {}               # cluster -> bytes


def alloc(count):
    first = next_free[0]
    for i in range(count):
        c = first + i
        fat[c] = c + 1 if i + 1 < count else 0x0FFFFFFF
    next_free[0] += count
    return first


def checksum(short):
    s = 0
    for b in short:
        s = (((s & 1) << 7) + (s >> 1) + b) & 0xFF
    return s


def entries_for(long_name, short, attr, cluster, size, deleted):
    out = []
    units = [ord(c) for c in long_name] + [0]
    while len(units) % 13:
        units.append(0xFFFF)
    parts = [units[i:i + 13] for i in range(0, len(units), 13)]
    csum = checksum(short)
    for n in range(len(parts), 0, -1):
        u = parts[n - 1]
        seq = n | (0x40 if n == len(parts) else 0)
        e = bytearray(32)
        e[0] = 0xE5 if deleted else seq
        struct.pack_into("<5H", e, 1, *u[0:5])
        e[11] = 0x0F
        e[13] = csum
        struct.pack_into("<6H", e, 14, *u[5:11])
        struct.pack_into("<2H", e, 28, *u[11:13])
        out.append(bytes(e))
    e = bytearray(32)
    e[0:11] = short
    if deleted:
        e[0] = 0xE5
    e[11] = attr
    date = (41 << 9) | (3 << 5) | 4
    time = (5 << 11) | (6 << 5) | 4
    struct.pack_into("<HHHHHHHI", e, 14, time, date, date, cluster >> 16, time, date, cluster & 0xFFFF, size)
    out.append(bytes(e))
    return b"".join(out)


def write_dir(cluster_count, first, body):
    data = body.ljust(cluster_count * CLUSTER, b"\0")
    for i in range(cluster_count):
        image[first + i] = data[i * CLUSTER:(i + 1) * CLUSTER]


root_body = []
root_clusters = (dirs * 96 + CLUSTER - 1) // CLUSTER + 1
root = alloc(root_clusters)
freed = []
for d in range(dirs):
    dir_deleted = d % 50 == 49
    per_dir = (files * 96 + 64 + CLUSTER - 1) // CLUSTER
    dc = alloc(per_dir)
    body = [entries_for("", b".          ", 0x10, dc, 0, False)[-32:],
            entries_for("", b"..         ", 0x10, 0, 0, False)[-32:]]
    for f in range(files):
        fc = alloc(1)
        deleted = dir_deleted or f % 10 == 9
        name = "document %03d-%03d.txt" % (d, f)
        short = b"DOC%05d" % (d * files + f % 100000) + b"TXT"
        body.append(entries_for(name, short[:11], 0x20, fc, 1000 + f, deleted))
        if deleted:
            freed.append(fc)
    write_dir(per_dir, dc, b"".join(body))
    if dir_deleted:
        freed.extend(range(dc, dc + per_dir))
    root_body.append(entries_for("directory %03d" % d, b"DIR%05d   " % d, 0x10, dc, 0, dir_deleted))
write_dir(root_clusters, root, b"".join(root_body))
for c in freed:
    fat[c] = 0

boot = bytearray(512)
boot[0:3] = b"\xEB\x58\x90"
boot[3:11] = b"MKBENCH "
struct.pack_into("<HBHBHHBHHHII", boot, 11, 512, SPC, RESERVED, FATS, 0, 0, 0xF8, 0, 63, 255, 0, total)
struct.pack_into("<IHHIHH", boot, 36, spf, 0, 0, root, 1, 6)
boot[64] = 0x80
boot[66] = 0x29
struct.pack_into("<I", boot, 67, 0x12345678)
boot[71:82] = b"BENCH      "
boot[82:90] = b"FAT32   "
boot[510:512] = b"\x55\xAA"
fsinfo = bytearray(512)
struct.pack_into("<I", fsinfo, 0, 0x41615252)
struct.pack_into("<I", fsinfo, 484, 0x61417272)
struct.pack_into("<II", fsinfo, 488, 0xFFFFFFFF, 0xFFFFFFFF)
fsinfo[510:512] = b"\x55\xAA"

fat_bytes = struct.pack("<%dI" % len(fat), *fat)
with open(path, "wb") as out:
    out.truncate(total * 512)
    out.seek(0)
    out.write(boot)
    out.write(fsinfo)
    out.seek(6 * 512)
    out.write(boot)
    for i in range(FATS):
        out.seek((RESERVED + i * spf) * 512)
        out.write(fat_bytes)
    for c in sorted(image):
        out.seek((data_start + (c - 2) * SPC) * 512)
        out.write(image[c])
print("%s: %d directories, %d files, %d clusters" % (path, dirs, dirs * files, clusters))
