#!/bin/sh
# Regenerates the program's pictures, icon, cursor and cue into res/.
set -eu
export PYTHONDONTWRITEBYTECODE=1
here=$(cd "$(dirname "$0")" && pwd)
res=${1:-$here/../../res}
mkdir -p "$res"
cd "$here"
/usr/bin/python3 make_pictures.py "$res"
/usr/bin/python3 make_icon.py "$res/app.ico"
/usr/bin/python3 make_cursor.py "$res/hand.cur"
/usr/bin/python3 make_cue.py "$res/cue.wav"
