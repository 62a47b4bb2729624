#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs vidscope on a virtual X server with a virtual camera and checks from a screenshot that
# the view shows the camera's scene rather than the empty grey background.
# Usage: xvfb-screenshot.sh VIDSCOPE_BINARY WORK_DIR
set -eu
binary=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
cd "$work"
printf '[Language]\nLang=1\n' > setting.ini
export VIDSCOPE_VIRTUAL_DIR="$work"

# Inside the X session: start the program, give it time to stream, photograph the screen.
cat > session.sh <<'INNER'
#!/bin/sh
"$1" --virtual-camera 0500 > vidscope.log 2>&1 &
pid=$!
sleep 8
import -window root shot.png
kill "$pid"
wait "$pid" || true
INNER
chmod +x session.sh
VIDSCOPE_INSTANCE_KEY="vidScope-xvfb-$$" \
    xvfb-run -a -s "-screen 0 1280x800x24" ./session.sh "$binary"

# Most of the view, inside the window (placed at the top left without a window manager).
region=800x440+60+80
grey=$(convert shot.png -crop "$region" +repage -fill black +opaque 'rgb(127,127,127)' \
       -fill white -opaque 'rgb(127,127,127)' -format '%[fx:mean]' info:)
spread=$(convert shot.png -crop "$region" +repage -colorspace gray \
         -format '%[fx:standard_deviation]' info:)
echo "grey background fraction $grey, brightness spread $spread (screenshot: $work/shot.png)"
# An empty view is one flat grey; the virtual scene has detail everywhere.
awk -v g="$grey" -v s="$spread" 'BEGIN { exit !(g < 0.2 && s > 0.02) }' || {
    echo "the view does not show the camera picture" >&2
    cat vidscope.log >&2
    exit 1
}
