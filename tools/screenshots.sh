#!/usr/bin/env bash
# Takes the screenshots under docs/: Cogbook under Xvfb, with settings in a
# scratch folder. Needs xvfb, xdotool and imagemagick.
set -euo pipefail
cd "$(dirname "$0")/.."
program=${COGBOOK:-build/release/src/app/cogbook}
export XDG_CONFIG_HOME=$(mktemp -d)
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT

shoot() { # OUTPUT KEYS [FILE...]
    local output=$1 keys=$2
    shift 2
    xvfb-run -a -s "-screen 0 1100x700x24" bash -c '
        "$0" "${@:3}" & pid=$!
        sleep 3
        window=$(xdotool search --sync --onlyvisible --class cogbook | head -1)
        xdotool windowsize "$window" 1000 600 windowmove "$window" 0 0
        if [ -n "$2" ]; then xdotool windowfocus --sync "$window" key --delay 200 $2; fi
        sleep 1
        import -window root -crop 1000x600+0+0 "$1"
        kill $pid' "$program" "$output" "$keys" "$@"
}

shoot docs/new-bike.png "Down Down Down Right Down"
shoot docs/sample-record.png "ctrl+Right Down" resources/sample.cogbook
shoot docs/editing.png "ctrl+Right Down Down Down Down ctrl+shift+e" resources/sample.cogbook
shoot docs/context-menu.png "ctrl+Right Down Down Down ctrl+c Down Menu" resources/sample.cogbook
shoot docs/preferences.png "ctrl+comma" resources/sample.cogbook
shoot docs/print-preview.png "alt+f w" resources/sample.cogbook

# The toolbar's search field finds "waxed"; the report opens beside the record,
# and its first row is chosen.
xvfb-run -a -s "-screen 0 1100x700x24" bash -c '
    "$0" resources/sample.cogbook & pid=$!
    sleep 3
    window=$(xdotool search --sync --onlyvisible --class cogbook | head -1)
    xdotool windowsize "$window" 1000 600 windowmove "$window" 0 0
    xdotool windowfocus --sync "$window" key --delay 200 ctrl+shift+f
    xdotool type --delay 100 waxed
    xdotool key Return
    sleep 2
    report=$(xdotool search --sync --onlyvisible --name "Search Results" | head -1)
    xdotool windowsize "$report" 560 230 windowmove "$report" 430 360
    xdotool windowfocus --sync "$report" key Down
    sleep 1
    import -window root -crop 1000x600+0+0 "$1"
    kill $pid' "$program" docs/search-report.png
