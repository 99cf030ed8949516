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

# A dark desktop: the palette comes from the colour scheme a KDE session
# hands every Qt program (Breeze Dark's colours).
dark_desktop() {
    mkdir -p "$XDG_CONFIG_HOME"
    cat > "$XDG_CONFIG_HOME/kdeglobals" <<'SCHEME'
[Colors:Button]
BackgroundNormal=49,54,59
ForegroundNormal=252,252,252
[Colors:Selection]
BackgroundNormal=61,174,233
ForegroundNormal=252,252,252
[Colors:View]
BackgroundNormal=35,38,41
BackgroundAlternate=39,44,49
ForegroundNormal=252,252,252
ForegroundInactive=161,169,177
[Colors:Window]
BackgroundNormal=42,46,50
ForegroundNormal=252,252,252
ForegroundInactive=161,169,177
[Colors:Tooltip]
BackgroundNormal=49,54,59
ForegroundNormal=252,252,252
SCHEME
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

# The calendar of a date cell (Alt+Down in its editor), the bike's details,
# the handbook.
shoot docs/calendar.png "ctrl+Right Down Down Down Down F2 shift+Tab alt+Down" resources/sample.cogbook
shoot docs/bike-details.png "ctrl+i" resources/sample.cogbook
shoot docs/handbook.png "F1" resources/sample.cogbook

# The same record on a dark desktop.
(
    export XDG_CURRENT_DESKTOP=KDE KDE_SESSION_VERSION=5 KDE_FULL_SESSION=true
    dark_desktop
    shoot docs/sample-record-dark.png "ctrl+Right Down Down" resources/sample.cogbook
)

# Service planning, with amounts in a British locale: the Cost, Odometer and
# Due columns shown from the View menu (on a dark desktop) with the overdue
# chain, and the service log beside the record, filtered.
export LANG=en_GB.UTF-8
(
    export XDG_CURRENT_DESKTOP=KDE KDE_SESSION_VERSION=5 KDE_FULL_SESSION=true
    dark_desktop
    shoot docs/due-column.png "alt+v m c alt+v m o alt+v m d Down Down Down Down Down Down Right Down Right Down" \
        resources/sample.cogbook
)
xvfb-run -a -s "-screen 0 1100x700x24" bash -c '
    "$0" resources/sample.cogbook & pid=$!
    sleep 3
    window=$(xdotool search --sync --onlyvisible --class cogbook | head -1)
    xdotool windowsize "$window" 1000 600 windowmove "$window" 0 0
    xdotool windowfocus --sync "$window" key --delay 200 ctrl+shift+l
    sleep 2
    log=$(xdotool search --sync --onlyvisible --name "Service Log" | head -1)
    xdotool windowsize "$log" 820 420 windowmove "$log" 170 170
    xdotool windowfocus --sync "$log" key --delay 200 ctrl+f
    xdotool type --delay 100 tyre
    sleep 1
    import -window root -crop 1000x600+0+0 "$1"
    kill $pid' "$program" docs/service-log.png
