#!/bin/sh
# SPDX-License-Identifier: MIT
# Fails when a translation file has messages without a translation, or messages the program no
# longer has: lupdate refreshes a copy of each lang/*.ts from the sources, and any message it
# then marks unfinished, vanished or obsolete is listed.
# Usage: translations-complete.sh LUPDATE SOURCE_DIR
set -eu
lupdate=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dirs=""
for d in app settings measure tools record forms; do
    [ -d "$src/$d" ] && dirs="$dirs $src/$d"
done
status=0
for ts in "$src"/lang/*.ts; do
    copy="$work/$(basename "$ts")"
    cp "$ts" "$copy"
    # shellcheck disable=SC2086  # one argument per folder
    if ! "$lupdate" -locations none $dirs -ts "$copy" >"$work/lupdate.log" 2>&1; then
        cat "$work/lupdate.log" >&2
        exit 1
    fi
    bad=$(grep -c -E 'type="(unfinished|vanished|obsolete)"' "$copy" || true)
    if [ "$bad" -ne 0 ]; then
        echo "$(basename "$ts"): $bad message(s) unfinished or no longer in the program:" >&2
        grep -B3 -E 'type="(unfinished|vanished|obsolete)"' "$copy" | grep '<source>' >&2 || true
        status=1
    fi
done
[ "$status" -eq 0 ] && echo "every message of $(ls "$src"/lang/*.ts | wc -l) translation files is translated"
exit "$status"
