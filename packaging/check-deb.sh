#!/usr/bin/env bash
# Builds the .deb from a configured and built tree and checks that it holds
# the program, the desktop entry, the icon and the udev rule.
#   packaging/check-deb.sh <build-dir>
set -euo pipefail
build=$(cd "${1:?usage: check-deb.sh <build-dir>}" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1 || {
    cat "$out/cpack.log"
    exit 1
}
deb=$(ls "$out"/*.deb)
contents=$(dpkg-deb -c "$deb")
status=0
for wanted in \
    ./usr/bin/kt7-updater \
    ./usr/share/applications/kt7-updater.desktop \
    ./usr/share/icons/hicolor/256x256/apps/kt7-updater.png \
    ./usr/lib/udev/rules.d/70-kt7-updater.rules; do
    if ! grep -q " $wanted\$" <<<"$contents"; then
        echo "missing from $(basename "$deb"): $wanted"
        status=1
    fi
done
# Captured first: with pipefail, grep -q leaving early could fail the pipe.
info=$(dpkg-deb -I "$deb")
if ! grep -q "Package: kt7-updater" <<<"$info"; then
    echo "the package is not named kt7-updater"
    status=1
fi
[ $status -eq 0 ] && echo "$(basename "$deb"): program, desktop entry, icon and udev rule present"
exit $status
