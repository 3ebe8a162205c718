#!/usr/bin/env bash
# Remakes docs/window.png: the window in report view over a folder of
# camera-phone photos, in a throw-away home, so that the picture shows nothing
# of this machine's own folders.
#   scripts/screenshot.sh [LOCALE]    (default en_US.UTF-8; ru_RU.UTF-8 for Russian)
# Needs a build (scripts/build.sh), xvfb-run, xdotool and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."
locale=${1:-en_US.UTF-8}
program=$PWD/build/kadrimarkexif
output=$PWD/docs/window.png
[ -x "$program" ] || { echo "screenshot.sh: build first (scripts/build.sh)" >&2; exit 1; }

base=$(mktemp -d /tmp/kadrimark-screenshot.XXXXXX)
trap 'rm -rf "$base"' EXIT
home=$base/home
settings=$base/settings  # the desktop's own files, out of the picture

# A small home: a few folders, and a phone's photos of a summer.
mkdir -p "$home"/{Desktop,Documents,Music,Videos} "$settings"/{config,cache,data,run}
mkdir -p "$home/Pictures/Phone" "$home/Pictures/Scans" "$home/Desktop/Holiday 2007"
chmod 700 "$settings/run"
colours=(skyblue-seagreen orange-firebrick gold-olivedrab lightsteelblue-navy)
photo=0
for shot in 15-06-07_1230 15-06-07_1245 16-06-07_0910 21-07-07_1800 03-08-07_1422 \
            04-08-07_0755 12-08-07_2031 30-08-07_1603; do
  file=$home/Pictures/Phone/$shot.jpg
  convert -size $((320 + 40 * photo))x240 "gradient:${colours[photo % 4]}" -quality 85 "$file"
  # The phone's clock: the file's time is the moment in its name.
  touch -d "20${shot:6:2}-${shot:3:2}-${shot:0:2} ${shot:9:2}:${shot:11:2}" "$file"
  photo=$((photo + 1))
done
printf 'Holiday list\n' > "$home/Documents/notes.txt"

# No session bus: nothing may write its files into the home.
export HOME=$home XDG_CONFIG_HOME=$settings/config XDG_CACHE_HOME=$settings/cache \
       XDG_DATA_HOME=$settings/data XDG_RUNTIME_DIR=$settings/run \
       XDG_DESKTOP_DIR=$home/Desktop XDG_PICTURES_DIR=$home/Pictures \
       DBUS_SESSION_BUS_ADDRESS=disabled: \
       PROGRAM=$program PROGRAM_LOCALE=$locale OUTPUT=$output
unset LANGUAGE LC_MESSAGES

# The Details button, the toolbar's last, is at (378, 16) in the window.
xvfb-run -a -s '-screen 0 1280x800x24' bash -c '
  LC_ALL=$PROGRAM_LOCALE LANG=$PROGRAM_LOCALE "$PROGRAM" "$HOME/Pictures/Phone" 2>/dev/null &
  window=$(xdotool search --sync --name "^KadrimarkEXIF$" | head -n 1)
  sleep 2
  xdotool mousemove --window "$window" --sync 378 16
  sleep 0.5
  xdotool click 1
  sleep 0.5
  xdotool mousemove --window "$window" 700 500
  sleep 3
  import -window "$window" "$OUTPUT"
  kill %1
'
echo "wrote $output"
