#!/usr/bin/env bash
# Makes the files a USB case puts beside the program, with kt7-pack:
#   main.dat               all three areas; the map has a tail shorter than a page
#   decoy.dat              a smaller package with other contents, for the
#                          case where another package must be chosen
#   Smpl_HIDTransfer.bin   a boot-loader image that is not a whole number of pages
#
#   make-packages.sh KT7_PACK DIR
set -euo pipefail
pack=$(cd "$(dirname "$1")" && pwd)/$(basename "$1") dir=$2
mkdir -p "$dir"
cd "$dir"

head -c 65536 /dev/urandom > main.bin
head -c 32768 /dev/urandom > voice.bin
head -c 32868 /dev/urandom > map.bin
"$pack" --out main.dat --main main.bin@0x40010000 --voice voice.bin@0x40100000 --map map.bin@0x40200000 \
    --main-version M101 --voice-version V202 --map-version D303 --time 2026-12-10 --map-scramble 4096 >/dev/null

head -c 8192 /dev/urandom > decoy-main.bin
"$pack" --out decoy.dat --main decoy-main.bin@0x40010000 --main-version X999 --time 2000-01-01 >/dev/null

# Through a file: head closing a pipe early would fail the pipeline.
seq -f 'boot loader line %05g' 1 600 > bootloader.txt
head -c 10000 bootloader.txt > Smpl_HIDTransfer.bin
