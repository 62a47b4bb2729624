#!/bin/sh
# SPDX-License-Identifier: MIT
# Redraws the tool bar icons and the logo with ImageMagick; the PNGs are committed so that a
# build needs no ImageMagick. Run from this folder after changing a drawing.
set -eu
cd "$(dirname "$0")/icons"

ink='#2b3a4a'
accent='#1f7a3a'
warm='#c0392b'

draw() {  # draw NAME DRAW-COMMANDS...
    name=$1
    shift
    convert -size 32x32 xc:none -strokewidth 2.5 "$@" "$name.png"
}

draw play -fill "$accent" -stroke "$accent" -draw "polygon 9,6 26,16 9,26"
draw pause -fill "$ink" -stroke none -draw "rectangle 8,6 13,26" -draw "rectangle 19,6 24,26"
draw save -fill none -stroke "$ink" -draw "rectangle 5,5 27,27" -fill "$ink" -draw "rectangle 10,5 22,12" \
    -fill none -draw "rectangle 9,17 23,27"
draw zoomin -fill none -stroke "$ink" -draw "circle 13,13 13,4" -draw "line 19,19 28,28" \
    -draw "line 9,13 17,13" -draw "line 13,9 13,17"
draw zoomout -fill none -stroke "$ink" -draw "circle 13,13 13,4" -draw "line 19,19 28,28" \
    -draw "line 9,13 17,13"
draw view-refresh -fill none -stroke "$accent" -draw "arc 5,5 27,27 40,320" \
    -fill "$accent" -draw "polygon 22,3 28,10 20,11"
draw setting -fill none -stroke "$ink" -draw "circle 16,16 16,10" \
    -draw "line 16,2 16,7" -draw "line 16,25 16,30" -draw "line 2,16 7,16" -draw "line 25,16 30,16" \
    -draw "line 6,6 9,9" -draw "line 23,23 26,26" -draw "line 6,26 9,23" -draw "line 23,9 26,6"
draw port -fill none -stroke "$ink" -draw "rectangle 6,10 26,22" -fill "$ink" \
    -draw "rectangle 10,14 12,18" -draw "rectangle 15,14 17,18" -draw "rectangle 20,14 22,18"
draw fitscreen -fill none -stroke "$ink" -draw "rectangle 8,8 24,24" \
    -draw "polyline 3,9 3,3 9,3" -draw "polyline 23,3 29,3 29,9" \
    -draw "polyline 29,23 29,29 23,29" -draw "polyline 9,29 3,29 3,23"
draw brush -fill none -stroke "$ink" -draw "line 26,4 13,19" -fill "$warm" -stroke "$warm" \
    -draw "ellipse 10,23 5,5 0,360"
draw calibration -fill none -stroke "$ink" -draw "rectangle 3,11 29,21" \
    -draw "line 8,11 8,16" -draw "line 13,11 13,18" -draw "line 18,11 18,16" -draw "line 23,11 23,18"
draw horizontal -fill none -stroke "$warm" -draw "line 2,16 30,16" -stroke "$ink" \
    -draw "line 4,12 4,20" -draw "line 28,12 28,20"
draw vertical -fill none -stroke "$warm" -draw "line 16,2 16,30" -stroke "$ink" \
    -draw "line 12,4 20,4" -draw "line 12,28 20,28"
draw line -fill none -stroke "$warm" -draw "line 5,27 27,5" -fill "$ink" -stroke "$ink" \
    -draw "circle 5,27 7,27" -draw "circle 27,5 29,5"
draw arc -fill none -stroke "$warm" -draw "line 5,27 27,27" -draw "line 5,27 22,8" \
    -stroke "$ink" -draw "arc -7,15 17,39 -50,0"
draw rectangle -fill none -stroke "$warm" -draw "rectangle 5,8 27,24"
draw circle -fill none -stroke "$warm" -draw "circle 16,16 16,5"
draw arrow -fill "$ink" -stroke "$ink" -strokewidth 1 -draw "polygon 8,3 8,25 13,20 17,29 20,28 16,19 23,19"
draw property -fill none -stroke "$ink" -draw "rectangle 6,4 26,28" \
    -draw "line 10,10 22,10" -draw "line 10,16 22,16" -draw "line 10,22 18,22"
draw markload -fill none -stroke "$ink" -draw "polyline 4,10 4,27 28,27 28,10" \
    -stroke "$accent" -draw "line 16,3 16,20" -draw "polyline 10,14 16,20 22,14"
draw marksave -fill none -stroke "$ink" -draw "polyline 4,10 4,27 28,27 28,10" \
    -stroke "$warm" -draw "line 16,20 16,3" -draw "polyline 10,9 16,3 22,9"
draw playstop -fill "$accent" -stroke "$accent" -draw "polygon 5,7 17,16 5,25" \
    -fill "$ink" -stroke none -draw "rectangle 20,7 27,25"
draw details -fill none -stroke "$ink" -draw "rectangle 4,5 28,27" \
    -draw "line 4,12 28,12" -draw "line 4,19 28,19" -draw "line 13,5 13,27"
draw cross -fill none -stroke "$warm" -draw "line 16,3 16,29" -draw "line 3,16 29,16" \
    -stroke "$ink" -draw "circle 16,16 16,10"
draw polygon -fill none -stroke "$warm" -draw "polygon 6,10 17,4 28,13 23,27 8,25"
draw folder-open -fill '#e0b040' -stroke "$ink" -strokewidth 1.5 \
    -draw "polygon 3,8 12,8 14,11 27,11 27,26 3,26" -fill '#f2d27a' -draw "polygon 6,15 30,15 27,26 3,26"

# The application icon and the larger logo of the About box: a lens over a sensor grid.
convert -size 64x64 xc:none -fill '#1d2b38' -stroke none -draw "roundrectangle 2,2 61,61 10,10" \
    -fill '#3b8fd0' -draw "circle 32,32 32,12" -fill '#0d1822' -draw "circle 32,32 32,21" \
    -fill '#ffffff' -draw "circle 27,27 30,27" app.png
convert -size 160x160 xc:none -fill '#1d2b38' -stroke none -draw "roundrectangle 4,4 155,155 24,24" \
    -fill '#3b8fd0' -draw "circle 80,80 80,30" -fill '#0d1822' -draw "circle 80,80 80,53" \
    -fill '#ffffff' -draw "circle 67,67 75,67" logo.png
