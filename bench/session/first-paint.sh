#!/usr/bin/env bash
# Time to the first painted window only: the game beside the least Qt 6
# Widgets program (one push button with a caption), started many times
# round-robin on one Xvfb, so that the ratio holds whatever else the
# machine is doing.
#
#   bench/session/first-paint.sh [build-dir] [runs]
#
# build-dir holds kwadrill, bench/session/session_first_paint and
# bench/session/session_one_button (default: build beside this script's
# repository); runs per row, default 20. Rows:
#   floor         the one-button program
#   warm          the game with every piece of music already in its cache
#   cold          the game with an empty cache (a player's first start)
#   music-off     the game with music switched off in its backup file
#   floor-2x      the one-button program at twice its size (QT_SCALE_FACTOR=2)
#   warm-2x       the game drawn at twice its size (--zoom 2), warm cache;
#                 the -2x rows are set against floor-2x
# Environment:
#   WARM_CACHE      folder holding "QZ's Kwadrill/" with rendered pieces,
#                   copied for every warm start (default: the tests' shared
#                   cache, .cache/test-cache-home); it is never written
#   EXTRA_KWADRILL  another kwadrill executable, measured as the rows
#                   extra-warm, extra-cold and extra-music-off
#   ROWS            which rows to run (names as above, space-separated)
# Every start has a fresh home, config, data, cache and (tmpfs) runtime
# directory and plays into ALSA's null device; each program is ended with
# SIGTERM and gone before the next one starts.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
runs=${2:-20}
kwadrill=$build/kwadrill
helper=$build/bench/session/session_first_paint
floor=$build/bench/session/session_one_button
extra=${EXTRA_KWADRILL:-}
warm_cache=${WARM_CACHE:-$repo/.cache/test-cache-home}

for tool in Xvfb xdpyinfo dbus-daemon; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
done
for program in "$kwadrill" "$helper" "$floor"; do
    [[ -x $program ]] || { echo "missing: $program (build it in $build)" >&2; exit 2; }
done

rows=(floor warm cold music-off)
[[ -n $extra ]] && rows+=(extra-warm extra-cold extra-music-off)
if [[ -n ${ROWS:-} ]]; then
    read -r -a rows <<<"$ROWS"
fi
if [[ " ${rows[*]} " == *warm* && ! -d $warm_cache/"QZ's Kwadrill" ]]; then
    echo "no music cache in $warm_cache (set WARM_CACHE)" >&2
    exit 2
fi

# shellcheck source=desktop.sh
. "$here/desktop.sh"
start_desktop kwadrill-first-paint

# A private copy of the warm cache; each warm start copies it again, so a
# start never sees what an earlier one wrote.
if [[ " ${rows[*]} " == *warm* ]]; then
    mkdir -p "$work/warm-cache"
    cp -a "$warm_cache/QZ's Kwadrill" "$work/warm-cache/"
fi

# Prepares a fresh start of a row in dir; prints the program to run.
prepare() {
    local row=$1 dir=$2
    new_home "$dir"
    local game=$kwadrill
    [[ $row == extra-* ]] && game=$extra
    local arguments=
    case ${row#extra-} in
        floor) echo "$floor"; return ;;
        floor-2x) echo "env QT_SCALE_FACTOR=2 $floor"; return ;;
        warm) cp -a "$work/warm-cache/." "$dir/cache/" ;;
        warm-2x) cp -a "$work/warm-cache/." "$dir/cache/"; arguments="--zoom 2" ;;
        cold) ;;
        music-off) write_music_off_backup "$dir/bin/Kwadrill.hsc" ;;
        *) echo "unknown row: $row" >&2; exit 2 ;;
    esac
    copy_game "$game" "$dir"
    echo "$dir/bin/kwadrill $arguments"
}

# Waits until the process is gone (or a zombie of nobody's here).
stop() {
    local p=$1
    kill "$p" 2>/dev/null || true
    for _ in $(seq 2500); do
        [[ $(awk '{print $3}' "/proc/$p/stat" 2>/dev/null || echo Z) == Z ]] && return
        sleep 0.002
    done
    kill -9 "$p" 2>/dev/null || true
}

results=$work/results.txt
: >"$results"
log=${FIRST_PAINT_LOG:-/tmp/kwadrill-first-paint.log}
: >"$log"
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)" | tee -a "$log"

for run in $(seq "$runs"); do
    for row in "${rows[@]}"; do
        dir=$work/$row-$run
        program=$(prepare "$row" "$dir")
        sync
        # A command line of words without spaces in them.
        # shellcheck disable=SC2086
        out=$(time_first_paint "$dir" 30000 $program)
        pid=$(awk '{print $2}' <<<"$out")
        painted=$(awk '{print $6}' <<<"$out")
        if [[ -z $pid || -z $painted ]]; then
            echo "$row $run: no painted window" | tee -a "$log"
            tail -5 "$dir/log" >>"$log" 2>/dev/null || true
            [[ -n $pid ]] && stop "$pid"
            continue
        fi
        stop "$pid"
        echo "$row $run painted_ms=$painted" >>"$log"
        echo "$row $painted" >>"$results"
        rm -rf "$dir"
    done
done
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)" | tee -a "$log"

quartile() {
    sort -n | awk -v q="$1" '{v[NR] = $1} END {if (NR == 0) {print "-"; exit}
        i = int(q * (NR - 1)) + 1; print v[i]}'
}
values() { awk -v r="$1" '$1 == r {print $2}' "$results"; }

floor_median=$(values floor | median)
floor_2x_median=$(values floor-2x | median)
echo
echo "First painted window, $runs starts per row, round-robin ($(nproc) cores)"
echo
echo "| row | median ms | quartiles ms | against the floor |"
echo "|---|---|---|---|"
for row in "${rows[@]}"; do
    m=$(values "$row" | median)
    base=$floor_median
    [[ $row == *-2x ]] && base=$floor_2x_median
    ratio=-
    if [[ $m != - && $base != - ]]; then
        ratio=$(awk -v a="$m" -v b="$base" 'BEGIN {printf "%.2fx", a / b}')
    fi
    echo "| $row | $m | $(values "$row" | quartile 0.25) to $(values "$row" | quartile 0.75) | $ratio |"
done
