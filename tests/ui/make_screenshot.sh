#!/usr/bin/env bash
# Makes docs/screenshot.png, the window after comparing the two sample
# articles, and docs/partner.png, the same after a double click on
# "beginners" in article 2 has selected its passage's copy in article 1:
# drawn by the real program code on an Xvfb display and captured with
# ImageMagick's import (apt-get install imagemagick; not a build need).
# Usage: tests/ui/make_screenshot.sh [BUILD_DIR]   (default: build-ui)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-ui}
tool=$build/tests/ui/glenvary_screenshot
command -v import >/dev/null || { echo "make_screenshot: needs ImageMagick's import" >&2; exit 1; }
[ -x "$tool" ] || { echo "make_screenshot: build the glenvary_screenshot target first" >&2; exit 1; }

# shot OUT [WxH WORD]: one run of the tool, captured once it is ready.
shot() {
  xvfb-run -a -s "-screen 0 1024x768x24" bash -s "$tool" "$root/examples/article1.txt" \
    "$root/examples/article2.txt" "$@" <<'SHOT'
set -euo pipefail
tool=$1 article1=$2 article2=$3 out=$4
shift 4
coproc TOOL { QT_QPA_PLATFORM=xcb "$tool" "$article1" "$article2" 3 20 "$@"; }
pid=$TOOL_PID
read -r ready geometry <&"${TOOL[0]}"
[ "$ready" = ready ] || { echo "make_screenshot: the window did not come up" >&2; exit 1; }
sleep 1
import -window root -crop "$geometry" +repage "$out"
kill "$pid"
SHOT
  echo "make_screenshot: wrote $1"
}

shot "$root/docs/screenshot.png"
shot "$root/docs/partner.png" 753x520 beginners
