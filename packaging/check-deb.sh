#!/usr/bin/env bash
# Builds the .deb from a configured and built tree and checks that it holds
# the three programs, their manual pages, the desktop and MIME entries, the
# icon, the udev rule, the copyright file, the changelog, the README and the
# description of kt7-flash --json with its schema, that every manual page
# names the README's path, and that lintian finds no error in it.
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
    ./usr/bin/kt7-flash \
    ./usr/bin/kt7-pack \
    ./usr/share/man/man1/kt7-updater.1.gz \
    ./usr/share/man/man1/kt7-flash.1.gz \
    ./usr/share/man/man1/kt7-pack.1.gz \
    ./usr/share/applications/kt7-updater.desktop \
    ./usr/share/mime/packages/kt7-updater.xml \
    ./usr/share/icons/hicolor/256x256/apps/kt7-updater.png \
    ./usr/lib/udev/rules.d/70-kt7-updater.rules \
    ./usr/share/doc/kt7-updater/copyright \
    ./usr/share/doc/kt7-updater/README.md \
    ./usr/share/doc/kt7-updater/json.md \
    ./usr/share/doc/kt7-updater/kt7-flash.schema.json \
    ./usr/share/doc/kt7-updater/changelog.gz; do
    if ! grep -q " $wanted\$" <<<"$contents"; then
        echo "missing from $(basename "$deb"): $wanted"
        status=1
    fi
done
# The manual pages send the reader to the README: the path they name must be
# the one the package installs, and the file there the whole README.
readme=/usr/share/doc/kt7-updater/README.md
dpkg-deb -x "$deb" "$out/root"
for page in kt7-updater kt7-flash kt7-pack; do
    text=$(zcat "$out/root/usr/share/man/man1/$page.1.gz")
    if ! grep -qF "$readme" <<<"$text"; then
        echo "$page.1 does not name $readme"
        status=1
    fi
done
if [ -f "$out/root$readme" ] && ! cmp -s "$out/root$readme" "$(dirname "$0")/../README.md"; then
    echo "$readme in the package is not the README"
    status=1
fi
# Captured first: with pipefail, grep -q leaving early could fail the pipe.
info=$(dpkg-deb -I "$deb")
if ! grep -q "Package: kt7-updater" <<<"$info"; then
    echo "the package is not named kt7-updater"
    status=1
fi
# Errors only: the informational tags left (hardening flags, .comment
# sections) are the build's choice.
if ! lintian --fail-on error "$deb" >"$out/lintian.log" 2>&1; then
    echo "lintian found errors in $(basename "$deb"):"
    grep -v "running with root privileges" "$out/lintian.log"
    status=1
fi
[ $status -eq 0 ] && echo "$(basename "$deb"): programs, manual pages, desktop and MIME entries, icon, udev rule," \
    "copyright, changelog, README (named by the manual pages) and the --json description present;" \
    "lintian finds no error"
exit $status
