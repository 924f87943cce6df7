#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Also writes the seed inputs of the FAT fuzz target to fuzz/corpus/fat_volume/.
#
# Builds the FAT test images with mkfs.fat and mtools (no mounting, no root) and packs them
# into tests/fixtures/fat/fat_images.tar.gz:
#   fat12.img, fat16.img, fat32.img  volume images holding the same set of cases
#   disk_fat32.img                    a disk image: MBR (sfdisk) + one FAT32 partition at 1 MiB
#   expected/<NAME>                   the content every deleted file had
#
# Cases on each volume (names as the tests expect them):
#   /LIVE.TXT                 live file (never listed)
#   /README.TXT               deleted in the root                    -> "#EADME.TXT"
#   /Long File Name.txt       deleted long name (short LONGFI~1.TXT) -> "#ONGFI~1.TXT"
#   /lower.txt                deleted, lower-case flags              -> "#ower.txt"
#   /EMPTY.TXT                deleted empty file (start cluster 0: never listed)
#   /FRAG.BIN                 deleted, fragmented around /FILL2.BIN
#   /DIR1/                    live directory: NOTES.TXT deleted, KEEP.TXT live
#   /My Documents/            live long-named directory: REPORT.DOC deleted
#   /OLDDIR/                  deleted directory holding A.TXT and B.TXT (mdeltree)
#   /CNDIR                    live directory whose short name is patched to code page
#                             936 bytes CE C4 B5 B5 ("文档")
#   /XA                       live directory whose first byte is patched to 0x05 (it then
#                             reads as the double-byte code E5 41)
#   /ZZZZ.TXT                 deleted, name patched to E5 C4 CE C4 "TXT": a deleted
#                             "文文.TXT" whose lead byte the deletion overwrote -> "#文.TXT"
# Dates: every file's write time is 2021-03-04 05:06:08 UTC (tests run with TZ=UTC).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
out_dir=${1:-$here/../tests/fixtures/fat}
corpus_dir=${2:-$here/../fuzz/corpus/fat_volume}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TZ=UTC MTOOLS_SKIP_CHECK=1 MTOOLS_NO_VFAT=0 MTOOLSRC=/dev/null

# Deterministic content: <size> bytes derived from a seed.
make_file() { # path size seed
    python3 - "$1" "$2" "$3" <<'EOF'
import sys
path, size, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
data = bytearray((i * 131 + seed * 17 + (i >> 9)) & 0xFF for i in range(size))
open(path, "wb").write(bytes(data))
EOF
    touch -d '2021-03-04 05:06:08' "$1"
}

# Patches the 11-byte short name `old` (hex) of a directory entry into `new` (hex).
patch_name() { # image offset old_hex new_hex
    python3 - "$@" <<'EOF'
import sys
path, offset, old, new = sys.argv[1], int(sys.argv[2]), bytes.fromhex(sys.argv[3]), bytes.fromhex(sys.argv[4])
data = bytearray(open(path, "rb").read())
hits = [i for i in range(offset, len(data) - 32, 32) if data[i:i + 11] == old]
if len(hits) != 1:
    sys.exit("patch_name: %d entries named %r" % (len(hits), old))
data[hits[0]:hits[0] + len(new)] = new
open(path, "wb").write(bytes(data))
EOF
}

src=$work/src
mkdir -p "$src" "$work/out/expected"
make_file "$src/LIVE.TXT" 700 1
make_file "$src/README.TXT" 1500 2
make_file "$src/Long File Name.txt" 3000 3
make_file "$src/lower.txt" 100 4
make_file "$src/EMPTY.TXT" 0 5
make_file "$src/NOTES.TXT" 5000 6
make_file "$src/KEEP.TXT" 600 7
make_file "$src/REPORT.DOC" 2500 8
make_file "$src/A.TXT" 1200 9
make_file "$src/B.TXT" 800 10
make_file "$src/ZZZZ.TXT" 300 11
make_file "$src/FILL1.BIN" 512 12
make_file "$src/HOLE.BIN" 512 13
make_file "$src/FILL2.BIN" 512 14
make_file "$src/FRAG.BIN" 2048 15
for f in README.TXT "Long File Name.txt" lower.txt NOTES.TXT REPORT.DOC A.TXT B.TXT ZZZZ.TXT FRAG.BIN; do
    cp -p "$src/$f" "$work/out/expected/$f"
done

# populate <image spec> <offset of the volume in the image>
populate() {
    img=$1
    off=$2
    # Fragmentation first: FRAG.BIN takes HOLE.BIN's freed cluster and continues after FILL2.
    mcopy -m -i "$img" "$src/FILL1.BIN" "$src/HOLE.BIN" "$src/FILL2.BIN" ::/
    mdel -i "$img" ::/HOLE.BIN
    # FAT32 keeps a next-free hint in its FSInfo sector (volume sector 1, offset 492);
    # pointing it back at cluster 2 makes the next file start in the hole.
    python3 - "${img%%@@*}" "$off" <<'EOF'
import sys
path, off = sys.argv[1], int(sys.argv[2])
data = bytearray(open(path, "rb").read())
if data[off + 82:off + 87] == b"FAT32":
    data[off + 512 + 492:off + 512 + 496] = (2).to_bytes(4, "little")
    open(path, "wb").write(bytes(data))
EOF
    mcopy -m -i "$img" "$src/FRAG.BIN" ::/
    mcopy -m -i "$img" "$src/LIVE.TXT" "$src/README.TXT" "$src/Long File Name.txt" "$src/lower.txt" \
        "$src/EMPTY.TXT" "$src/ZZZZ.TXT" ::/
    mmd -i "$img" ::/DIR1 "::/My Documents" ::/OLDDIR ::/CNDIR ::/XA
    mcopy -m -i "$img" "$src/NOTES.TXT" "$src/KEEP.TXT" ::/DIR1/
    mcopy -m -i "$img" "$src/REPORT.DOC" "::/My Documents/"
    mcopy -m -i "$img" "$src/A.TXT" "$src/B.TXT" ::/OLDDIR/
    mdel -i "$img" ::/README.TXT "::/Long File Name.txt" ::/lower.txt ::/EMPTY.TXT ::/ZZZZ.TXT ::/FRAG.BIN
    mdel -i "$img" ::/DIR1/NOTES.TXT "::/My Documents/REPORT.DOC"
    mdeltree -i "$img" ::/OLDDIR
    file=${img%%@@*}
    patch_name "$file" "$off" "$(printf 'CNDIR      ' | xxd -p)" cec4b5b5202020202020
    patch_name "$file" "$off" "$(printf 'XA         ' | xxd -p)" 05
    patch_name "$file" "$off" "e5$(printf 'ZZZ    TXT' | xxd -p)" e5c4cec4
}

cd "$work/out"
mkfs.fat -F 12 -s 1 -n FAT12FIX -i 12121212 -C fat12.img 1024 >/dev/null
populate fat12.img 0
mkfs.fat -F 16 -s 1 -n FAT16FIX -i 16161616 -C fat16.img 8192 >/dev/null
populate fat16.img 0
mkfs.fat -F 32 -s 1 -n FAT32FIX -i 32323232 -C fat32.img 34000 >/dev/null 2>&1
populate fat32.img 0

# A disk image: one FAT32 partition (type 0x0c) from sector 2048 to the end.
truncate -s 40M disk_fat32.img
printf 'label: dos\nlabel-id: 0x50454c4c\nstart=2048, type=c\n' | sfdisk -q disk_fat32.img
sectors=$(( (40 * 1024 * 1024 / 512 - 2048) ))
mkfs.fat -F 32 -s 1 -n DISKFIX -i 44444444 --offset 2048 -h 2048 disk_fat32.img $((sectors / 2)) >/dev/null 2>&1
populate "disk_fat32.img@@1M" $((2048 * 512))

mkdir -p "$out_dir"
tar --sort=name --owner=0 --group=0 --numeric-owner --mtime='2021-03-04 00:00:00' \
    -czf "$out_dir/fat_images.tar.gz" fat12.img fat16.img fat32.img disk_fat32.img expected
echo "wrote $out_dir/fat_images.tar.gz"

# Fuzz seeds: a 64 KiB FAT12 volume with a live and a deleted directory and deleted files,
# and broken twins of it (truncated, a directory chain that loops, a zeroed boot field).
cd "$work"
mkfs.fat -F 12 -n SEED -i 5eed5eed -C seed.img 64 >/dev/null
mmd -i seed.img ::/DIR1 ::/OLD
mcopy -m -i seed.img "$src/README.TXT" "$src/lower.txt" ::/
mcopy -m -i seed.img "$src/KEEP.TXT" ::/DIR1/
mcopy -m -i seed.img "$src/B.TXT" ::/OLD/
mdel -i seed.img ::/README.TXT ::/DIR1/KEEP.TXT
mdeltree -i seed.img ::/OLD
mkdir -p "$corpus_dir"
cp seed.img "$corpus_dir/fat12_small.img"
head -c 3000 seed.img >"$corpus_dir/fat12_truncated.img"
python3 - seed.img "$corpus_dir" <<'EOF'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
reserved = data[14] | data[15] << 8
fat = reserved * 512
loop = bytearray(data)
# Every FAT12 entry from cluster 2 on points at cluster 2: all chains loop.
for n in range(2, 100):
    off = fat + n + n // 2
    if n & 1:
        loop[off] = (loop[off] & 0x0F) | 0x20
        loop[off + 1] = 0x00
    else:
        loop[off] = 0x02
        loop[off + 1] = loop[off + 1] & 0xF0
open(sys.argv[2] + "/fat12_looping_chains.img", "wb").write(bytes(loop))
zero = bytearray(data)
zero[13] = 0  # sectors per cluster
open(sys.argv[2] + "/fat12_zero_cluster_size.img", "wb").write(bytes(zero))
EOF
echo "wrote $corpus_dir"
