#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# FAT quick-scan benchmark: builds a FAT32 image of 50,000 files in 500 directories (10 %
# of the files and 10 directories deleted), then times our full quick scan and The Sleuth
# Kit's `fls -r -d` on the same image, and prints the ratio and our peak memory.
#
# Usage: bench/fat_scan.sh [BUILD_DIR] [DIRS] [FILES_PER_DIR]
#   BUILD_DIR defaults to build-bench next to the source tree; it is configured with
#   -DPELLUCAN_BENCH=ON and fat_scan_bench is built there.
set -eu

src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$src/../build-bench}
dirs=${2:-500}
files=${3:-100}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

command -v fls >/dev/null || { echo "fls (sleuthkit) is not installed" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is not installed" >&2; exit 1; }

cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELLUCAN_BENCH=ON -DPELLUCAN_TESTS=OFF >/dev/null
cmake --build "$build" --target fat_scan_bench >/dev/null

image=$work/bench.img
python3 "$src/bench/make_fat32_tree.py" "$image" "$dirs" "$files"
cat "$image" >/dev/null  # both runs start from a warm page cache

# best of three, wall-clock seconds and peak RSS in KiB, of a command
measure() {
    best=""
    rss=0
    for run in 1 2 3; do
        /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
        read -r secs kib <"$work/time"
        if [ -z "$best" ] || awk "BEGIN{exit !($secs < $best)}"; then best=$secs; fi
        [ "$kib" -gt "$rss" ] && rss=$kib
    done
    echo "$best $rss"
}

ours=$(measure "$build/bench/fat_scan_bench" "$image")
grep scan_ms "$work/err" || true
theirs=$(measure fls -r -d "$image")
deleted=$(fls -r -d "$image" | wc -l)

set -- $ours
our_s=$1
our_kib=$2
set -- $theirs
fls_s=$1
fls_kib=$2
echo "fls -r -d: ${fls_s}s, ${fls_kib} KiB peak, $deleted deleted entries listed"
echo "our quick scan: ${our_s}s, ${our_kib} KiB peak"
awk "BEGIN{ printf \"ratio (ours / fls): %.2f\n\", ($our_s > 0 ? $our_s : 0.01) / ($fls_s > 0 ? $fls_s : 0.01) }"
