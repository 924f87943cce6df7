#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Redraws every image under resources/images: builds the small generator program, runs it,
# and joins the animation frames into recovery/ani.gif with ImageMagick.
# Needs: cmake, a C++ compiler, Qt 6 (Gui), imagemagick, fonts-liberation, fonts-dejavu,
# fonts-noto-cjk.   Usage: tools/make_images/make_images.sh
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cmake -S "$here" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/build" >/dev/null

images="$root/resources/images"
rm -rf "$images"  # start clean so a renamed image leaves nothing stale behind
mkdir -p "$images"
QT_QPA_PLATFORM=offscreen "$work/build/make_images" "$images" "$work/frames"

# 16 frames at 80 ms, looping forever; each frame replaces the last (no trails).
convert -delay 8 -loop 0 -dispose Background "$work"/frames/frame_*.png "$images/recovery/ani.gif"

# The resource list: every image under the prefix "/", so that images/x/y.png is ":/images/x/y.png".
{
  echo '<!DOCTYPE RCC>'
  echo '<!-- Written by tools/make_images/make_images.sh: every file under images/. -->'
  echo '<RCC version="1.0">'
  echo '<qresource prefix="/">'
  (cd "$root/resources" && find images -type f | LC_ALL=C sort | sed 's|.*|    <file>&</file>|')
  echo '</qresource>'
  echo '</RCC>'
} > "$root/resources/resources.qrc"
echo "images written to $images, resource list to $root/resources/resources.qrc"
