#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the .deb from a built tree, unpacks it into a scratch root and checks what a user
# gets: the file list, the programs starting from there, and the desktop, AppStream and
# Debian policy checkers (lintian: no errors).
# usage: check-package.sh BUILD_DIR
set -eu
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "check-package: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) ||
    { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$scratch"/out/vidscope_*.deb) || fail "no package was built"

dpkg-deb -c "$deb" | awk '{ print $6 }' | sed -e 's|^\./|/|' -e 's|/$||' | sort >"$scratch/files"
for expected in \
    /usr/bin/vidscope /usr/bin/vidscope-cli /usr/lib/vidscope/vidscope \
    /usr/lib/vidscope/vidscope-desktop /usr/lib/vidscope/doc \
    /usr/lib/udev/rules.d/70-vidscope.rules \
    /usr/share/applications/io.github.vidscope.vidScope.desktop \
    /usr/share/metainfo/io.github.vidscope.vidScope.metainfo.xml \
    /usr/share/icons/hicolor/64x64/apps/vidscope.png \
    /usr/share/doc/vidscope/vidScope.pdf /usr/share/doc/vidscope/copyright \
    /usr/share/doc/vidscope/changelog.Debian.gz \
    /usr/share/man/man1/vidscope.1.gz /usr/share/man/man1/vidscope-cli.1.gz; do
    grep -qx "$expected" "$scratch/files" || fail "the package lacks $expected"
done
# Nothing from the build's own helpers, headers or test programs.
if grep -E '/include/|/lib/cmake/|test_|\.a$' "$scratch/files"; then
    fail "the package carries build files"
fi

dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "Depends misses Qt (dpkg-shlibdeps?)"
dpkg-deb -e "$deb" "$scratch/control"
grep -q 'udevadm trigger' "$scratch/control/postinst" || fail "postinst does not trigger udev"

dpkg-deb -x "$deb" "$scratch/root"
root=$scratch/root
"$root/usr/bin/vidscope-cli" --help | grep -q '^usage: vidscope-cli' || fail "vidscope-cli --help"
QT_QPA_PLATFORM=offscreen "$root/usr/lib/vidscope/vidscope" --help | grep -q 'vidscope' ||
    fail "vidscope --help"
# The manual is where the program looks: doc/ beside its executable.
[ -s "$root/usr/lib/vidscope/doc/vidScope.pdf" ] || fail "the manual is not beside the program"
[ "$(readlink "$root/usr/bin/vidscope")" = ../lib/vidscope/vidscope ] || fail "/usr/bin/vidscope link"

desktop-file-validate "$root/usr/share/applications/io.github.vidscope.vidScope.desktop"
appstreamcli validate --no-net --pedantic \
    "$root/usr/share/metainfo/io.github.vidscope.vidScope.metainfo.xml" >"$scratch/as.log" 2>&1 ||
    { cat "$scratch/as.log" >&2; fail "appstreamcli validate"; }
# lintian runs where it is installed (CI installs it through packaging/build-deps.txt).
if command -v lintian >/dev/null 2>&1; then
    lintian --fail-on error "$deb" >"$scratch/lintian.log" 2>&1 || { cat "$scratch/lintian.log" >&2; fail "lintian"; }
    cat "$scratch/lintian.log"
fi
echo "check-package: $(basename "$deb") $(wc -l <"$scratch/files") entries, all checks passed"
