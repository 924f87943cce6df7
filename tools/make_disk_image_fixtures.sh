#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Regenerates tests/fixtures/disk_images.tar.gz: small disk and volume images for the
# platform, sector access and enumeration tests.
#   disk_mbr.img      16 MiB, MBR by sfdisk: 1 FAT12 "PART1" at 2048 (2048 sectors),
#                     2 extended 8192..32767 holding 5 FAT16 "LOGICAL5" at 10240 (16384 sectors)
#   disk_garbage.img  4 MiB, hand-written MBR: 1 and 2 overlap, 3 runs past the end,
#                     4 is sound (start 6144, 1024 sectors)
#   volume_fat.img    1 MiB FAT12 volume without a partition table, label "SUPERFLOPPY"
# Needs sfdisk (fdisk), mkfs.fat (dosfstools), python3.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

truncate -s 16M "$work/disk_mbr.img"
sfdisk --quiet "$work/disk_mbr.img" <<'TABLE'
label: dos
label-id: 0x11223344
unit: sectors
start=2048, size=2048, type=1
start=8192, size=24576, type=5
start=10240, size=16384, type=6
TABLE
mkfs.fat -F 12 -n PART1 -i 12345678 --offset 2048 "$work/disk_mbr.img" 1024 >/dev/null 2>&1
mkfs.fat -F 16 -s 1 -n LOGICAL5 -i 5555AAAA --offset 10240 "$work/disk_mbr.img" 8192 >/dev/null 2>&1

truncate -s 4M "$work/disk_garbage.img"
python3 - "$work/disk_garbage.img" <<'PY'
import struct, sys
entries = [(0x83, 2048, 2048), (0x83, 3000, 2048), (0x83, 7000, 100000), (0x83, 6144, 1024)]
mbr = bytearray(512)
struct.pack_into('<I', mbr, 440, 0x99887766)
for i, (kind, start, size) in enumerate(entries):
    off = 446 + 16 * i
    mbr[off + 4] = kind
    struct.pack_into('<II', mbr, off + 8, start, size)
mbr[510], mbr[511] = 0x55, 0xAA
with open(sys.argv[1], 'r+b') as f:
    f.write(mbr)
PY

truncate -s 1M "$work/volume_fat.img"
mkfs.fat -F 12 -n SUPERFLOPPY -i 0BADF00D "$work/volume_fat.img" >/dev/null

tar -C "$work" --owner=0 --group=0 --mtime=@0 -czf "$here/tests/fixtures/disk_images.tar.gz" \
  disk_mbr.img disk_garbage.img volume_fat.img
echo "wrote tests/fixtures/disk_images.tar.gz"
