#!/usr/bin/env bash
# make_icon.sh <48x48 PNG> <.ico>: an icon file holding the PNG image as it is (one entry,
# 48 x 48, 32 bits per pixel), as Windows reads them since Vista.
set -euo pipefail
png=$1
ico=$2
size=$(stat -c %s "$png")
# A 32-bit little-endian number as four bytes.
le32() {
  printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) \
    $(($1 >> 16 & 255)) $(($1 >> 24 & 255)))"
}
{
  printf '\x00\x00\x01\x00\x01\x00'          # reserved, type icon, one image
  printf '\x30\x30\x00\x00\x01\x00\x20\x00'  # 48 x 48, no palette, 1 plane, 32 bits
  le32 "$size"
  le32 22                                     # the image follows the 22-byte header
  cat "$png"
} >"$ico.part"
mv "$ico.part" "$ico"
