#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs vidscope on a virtual X server with a virtual camera, presses "&Save" through the File
# menu as a person would, and checks that a JPEG of the camera's frame size was written into
# the working folder.
# Usage: xvfb-save.sh VIDSCOPE_BINARY VIDSCOPE_CLI WORK_DIR
set -eu
binary=$1
cli=$2
work=$3
rm -rf "$work"
mkdir -p "$work"
cd "$work"
printf '[Language]\nLang=1\n[File]\nPath=.\nType=1\n' > setting.ini
export VIDSCOPE_VIRTUAL_DIR="$work"

# The camera's own account of its frame size, e.g. 2592x1944.
size=$("$cli" --virtual-camera 0500 get 0 size | sed -n 's/^size=\([0-9]*\),\([0-9]*\)$/\1x\2/p')
[ -n "$size" ] || { echo "no frame size from $cli" >&2; exit 1; }

cat > session.sh <<'INNER'
#!/bin/sh
"$1" --virtual-camera 0500 > vidscope.log 2>&1 &
pid=$!
win=""
for i in $(seq 1 60); do
    win=$(xdotool search --name '^vidScope' 2>/dev/null | head -n1)
    [ -n "$win" ] && break
    sleep 0.5
done
# Time for the first frames; instrumented builds (VIDSCOPE_TEST_WAIT_SCALE) need longer.
sleep $((4 * ${VIDSCOPE_TEST_WAIT_SCALE:-1}))
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key --window "$win" alt+f
sleep 1
xdotool key s
sleep $((3 * ${VIDSCOPE_TEST_WAIT_SCALE:-1}))
kill "$pid"
wait "$pid" || true
INNER
chmod +x session.sh
VIDSCOPE_INSTANCE_KEY="vidScope-xvfb-save-$$" \
    xvfb-run -a -s "-screen 0 1280x800x24" ./session.sh "$binary"

set -- ./*.jpg
if [ ! -f "$1" ]; then
    echo "no picture was saved" >&2
    cat vidscope.log >&2
    exit 1
fi
# Decoding the whole picture, not only its header, proves it is complete.
got=$(convert "$1" -format '%wx%h' info:)
echo "saved $1: $got (camera frame $size)"
[ "$got" = "$size" ]
