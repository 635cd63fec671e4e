#!/usr/bin/env bash
# Start-up time, memory and CPU of the real Kwadrill executable beside three
# peer games from Debian (ltris, kblocks, gweled), measured in one run on one
# X server of this machine, so the figures compare as ratios.
#
#   bench/session/session.sh [build-dir] [runs]
#
# build-dir holds the kwadrill executable and bench/session/session_first_paint
# (default: build-perf beside this script's repository). Each program is
# started `runs` times (default 5), round-robin so that load from elsewhere
# falls on all of them alike, and the median is reported. Environment:
#   SETTLE_S   seconds on the menu before memory is read (5)
#   IDLE_S     seconds of idle CPU measured on the menu (20)
#   PLAY_S     seconds of play with keys from xdotool (20)
#   PROGRAMS   which rows to run (default: all of them, see ROWS below)
#   WARM_CACHE a filled music cache for the warm rows (see below)
#   EXTRA_KWADRILL  another kwadrill executable measured as extra rows
#                   (for example one built with a proposed change)
# Kwadrill's rows: "kwadrill" starts with an empty music cache (a player's
# first run: live music while the pieces are rendered in the background),
# "kwadrill-warm" with every piece already rendered, "kwadrill-no-cache"
# with a file where the cache folder belongs (music live throughout, as
# before there was a cache), "kwadrill-music-off" with the music switched off. The time from SIGTERM to the end of the
# process is measured for every start.
# The peers are installed with apt-get when missing and selected: they are
# needed here only.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build-perf}" && pwd)
runs=${2:-5}
settle=${SETTLE_S:-5}
idle=${IDLE_S:-20}
play=${PLAY_S:-20}
kwadrill=$build/kwadrill
helper=$build/bench/session/session_first_paint
extra=${EXTRA_KWADRILL:-}
hz=$(getconf CLK_TCK)

for tool in Xvfb xdotool import dbus-daemon; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
done
[[ -x $kwadrill && -x $helper ]] || { echo "build kwadrill and session_first_paint in $build" >&2; exit 2; }


# shellcheck source=desktop.sh
. "$here/desktop.sh"
start_desktop kwadrill-session

# ---- one program start ------------------------------------------------------

# Runs the helper on a command in the row's environment; sets pid, game_pid,
# mapped, painted.
start_program() {
    local dir=$1
    shift
    local out
    out=$(time_first_paint "$dir" 60000 "$@")
    pid=$(awk '{print $2}' <<<"$out")
    mapped=$(awk '{print $4}' <<<"$out")
    painted=$(awk '{print $6}' <<<"$out")
    game_pid=$pid
    window=$(awk '{print $8}' <<<"$out")
}

# Ends a program with SIGTERM as a desktop session does; sets close_ms to
# the time until the process has gone.
stop_timed() {
    local p=$1 start end
    start=$(date +%s%N)
    kill "$p" 2>/dev/null || true
    # Gone, or a zombie waiting for a parent that is not this script.
    for _ in $(seq 5000); do
        [[ $(awk '{print $3}' "/proc/$p/stat" 2>/dev/null || echo Z) == Z ]] && break
        sleep 0.002
    done
    end=$(date +%s%N)
    close_ms=$(((end - start) / 1000000))
    kill -9 "$p" 2>/dev/null || true
}

stop_program() {
    local p
    for p in "$@"; do kill "$p" 2>/dev/null || true; done
    for _ in $(seq 50); do
        local alive=0
        for p in "$@"; do kill -0 "$p" 2>/dev/null && alive=1; done
        ((alive)) || return 0
        sleep 0.1
    done
    for p in "$@"; do kill -9 "$p" 2>/dev/null || true; done
}

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# A thread's ticks from a thread_ticks line, by its name; 0 when absent.
named_ticks() { tr ' ' '\n' <<<"$1" | awk -F= -v n="$2" '$1 == n {t += $2} END {print t + 0}'; }
memory_kb() { awk -v key="$2:" '$1 == key {print $2}' "/proc/$1/smaps_rollup"; }

# Per-thread CPU over the idle window, for the log: which thread spends it.
thread_ticks() {
    local task
    for task in /proc/"$1"/task/*; do
        # A thread may end between the listing and the read.
        local comm ticks
        comm=$(tr ' ' '_' <"$task/comm" 2>/dev/null) || continue
        ticks=$(awk '{print $14 + $15}' "$task/stat" 2>/dev/null) || continue
        printf '%s=%s ' "$comm" "$ticks"
    done
}

# ---- rows ---------------------------------------------------------------------

# name | sound | how to start
ROWS=(
    "kwadrill|alsa-null|kwadrill"
    "kwadrill-warm|alsa-null|kwadrill-warm"
    "kwadrill-no-cache|alsa-null|kwadrill-no-cache"
    "kwadrill-music-off|alsa-null|kwadrill-music-off"
    "kwadrill-no-device|none|kwadrill"
    "kwadrill-pad|alsa-null|kwadrill-pad"
    "kwadrill-music-off-pad|alsa-null|kwadrill-music-off-pad"
    "ltris|alsa-null|/usr/games/ltris"
    "kblocks|alsa-null|/usr/games/kblocks"
    "gweled|alsa-null|/usr/games/gweled"
)
if [[ -n $extra ]]; then
    ROWS+=("kwadrill-changed|alsa-null|extra" "kwadrill-changed-music-off|alsa-null|extra-music-off"
           "kwadrill-changed-no-device|none|extra")
fi
if [[ -n ${PROGRAMS:-} ]]; then
    selected=()
    for row in "${ROWS[@]}"; do
        [[ " $PROGRAMS " == *" ${row%%|*} "* ]] && selected+=("$row")
    done
    ROWS=("${selected[@]}")
fi

missing=()
for package in ltris kblocks gweled; do
    [[ " ${ROWS[*]} " == *"|/usr/games/$package"* ]] || continue
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if ((${#missing[@]})); then
    apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null
fi

# Prepares the command of a row in dir; prints it.
command_for() {
    local how=$1 dir=$2
    case $how in
        kwadrill) copy_game "$kwadrill" "$dir"; echo "$dir/bin/kwadrill" ;;
        kwadrill-pad) copy_game "$kwadrill" "$dir" pad; echo "$dir/bin/kwadrill" ;;
        kwadrill-warm)
            copy_game "$kwadrill" "$dir"
            cp -a "$warm_cache/." "$dir/cache/"
            echo "$dir/bin/kwadrill" ;;
        kwadrill-no-cache)
            copy_game "$kwadrill" "$dir"
            : >"$dir/cache/QZ's Kwadrill"
            echo "$dir/bin/kwadrill" ;;
        kwadrill-music-off|kwadrill-music-off-pad)
            copy_game "$kwadrill" "$dir" "${how##*-}"
            write_music_off_backup "$dir/bin/Kwadrill.hsc"
            echo "$dir/bin/kwadrill" ;;
        extra) copy_game "$extra" "$dir"; echo "$dir/bin/kwadrill" ;;
        extra-music-off)
            copy_game "$extra" "$dir"
            write_music_off_backup "$dir/bin/Kwadrill.hsc"
            echo "$dir/bin/kwadrill" ;;
        *) echo "$how" ;;
    esac
}

# The "-pad" rows plug in a virtual gamepad (the tests' module) that
# presses nothing: the game then reads its pads at input rate.
pad_for() {
    PAD_SCRIPT=
    if [[ $1 == *-pad ]]; then
        PAD_SCRIPT=$2/pad-presses
        : >"$PAD_SCRIPT"
    fi
}

results=$work/results.txt
: >"$results"
log=${SESSION_LOG:-/tmp/kwadrill-session.log}
: >"$log"

# Starts the program of a row in a new home dir: sets name, how, pid and window.
start_row() {
    local row=$1 dir=$2
    IFS='|' read -r name sound how <<<"$row"
    new_home "$dir" "$sound"
    local program
    program=$(command_for "$how" "$dir")
    SDL_DRIVER=
    pad_for "$how" "$dir"
    start_program "$dir" "$program"
}

measure_start() {
    local row=$1 run=$2
    local dir=$work/${row%%|*}-$run
    start_row "$row" "$dir"
    if [[ -z $pid ]]; then
        echo "$name run $run: no painted window" | tee -a "$log"
        tail -5 "$dir/log" >>"$log" || true
        return
    fi
    sleep "$settle"
    local rss pss t0 t1 threads0 threads1
    rss=$(memory_kb "$game_pid" Rss)
    pss=$(memory_kb "$game_pid" Pss)
    t0=$(cpu_ticks "$game_pid")
    threads0=$(thread_ticks "$game_pid")
    sleep "$idle"
    t1=$(cpu_ticks "$game_pid")
    threads1=$(thread_ticks "$game_pid")
    local rss_after
    rss_after=$(memory_kb "$game_pid" Rss)
    local cpu render0 render1 render_cpu
    cpu=$(awk -v a="$t0" -v b="$t1" -v hz="$hz" -v s="$idle" 'BEGIN {printf "%.2f", (b - a) / hz / s * 100}')
    # The music renderer's share (idle priority), counted apart.
    render0=$(named_ticks "$threads0" music-render)
    render1=$(named_ticks "$threads1" music-render)
    render_cpu=$(awk -v a="$render0" -v b="$render1" -v hz="$hz" -v s="$idle" 'BEGIN {printf "%.2f", (b - a) / hz / s * 100}')
    stop_timed "$game_pid"
    echo "$name $run painted_ms=$painted mapped_ms=$mapped rss_kb=$rss pss_kb=$pss rss_after_idle_kb=$rss_after idle_cpu_pct=$cpu renderer_cpu_pct=$render_cpu close_ms=$close_ms" | tee -a "$log"
    echo "  threads before: $threads0" >>"$log"
    echo "  threads after:  $threads1" >>"$log"
    echo "$name painted $painted" >>"$results"
    echo "$name rss $((rss / 1024))" >>"$results"
    echo "$name pss $((pss / 1024))" >>"$results"
    echo "$name rss_idle_end $((rss_after / 1024))" >>"$results"
    echo "$name idle_cpu $cpu" >>"$results"
    echo "$name idle_cpu_without_renderer $(awk -v a="$cpu" -v b="$render_cpu" 'BEGIN {printf "%.2f", a - b}')" >>"$results"
    echo "$name close $close_ms" >>"$results"
}

# ---- play ---------------------------------------------------------------------

# Starts a game the way a player would, then presses keys (or clicks, for
# the gem game) five times a second for PLAY_S seconds.
measure_play() {
    local row=$1
    local dir=$work/${row%%|*}-play
    start_row "$row" "$dir"
    [[ -n $pid ]] || { echo "$name play: no window" | tee -a "$log"; return; }
    sleep 2
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    case $name in
        kwadrill*) xdotool mousemove --window "$window" 64 27 click 1 ;;   # Start
        ltris)   # New Game, the game type from Demo to Classic, Start Game
            sleep 1
            xdotool mousemove --window "$window" 159 267 sleep 0.3 click 1; sleep 1
            xdotool mousemove --window "$window" 100 332 sleep 0.3 click 1; sleep 1
            xdotool mousemove --window "$window" 160 226 sleep 0.3 click 1 ;;
        kblocks) xdotool mousemove --window "$window" 52 38 click 1 ;;      # Single Game
        gweled) xdotool mousemove --window "$window" 52 178 click 1 ;;      # Normal
    esac
    sleep 1
    local keys=(Left Right Up Left Right Down)
    local t0 t1 end
    t0=$(cpu_ticks "$game_pid")
    end=$((SECONDS + play))
    while ((SECONDS < end)); do
        if [[ $name == gweled ]]; then
            xdotool mousemove --window "$window" $((30 + RANDOM % 320)) $((60 + RANDOM % 320)) click 1
        else
            xdotool key "${keys[RANDOM % ${#keys[@]}]}"
        fi
        sleep 0.2
    done
    t1=$(cpu_ticks "$game_pid")
    local shot=${SHOT_DIR:-/tmp}/session-play-$name.png
    import -window root "$shot" 2>/dev/null || true
    local cpu
    cpu=$(awk -v a="$t0" -v b="$t1" -v hz="$hz" -v s="$play" 'BEGIN {printf "%.2f", (b - a) / hz / s * 100}')
    echo "$name play_cpu_pct=$cpu rss_kb=$(memory_kb "$game_pid" Rss) (screen: $shot)" | tee -a "$log"
    echo "  threads: $(thread_ticks "$game_pid")" >>"$log"
    echo "$name play_cpu $cpu" >>"$results"
    stop_timed "$game_pid"
    echo "$name close_in_play $close_ms" >>"$results"
    echo "$name play close_ms=$close_ms" | tee -a "$log"
}

# The warm rows start with the cache a first run leaves: one run of the game
# on the menu until all thirteen pieces are rendered.
# WARM_CACHE=<folder holding "QZ's Kwadrill"> takes a cache filled elsewhere
# instead (the tests' build/tests/process/cache-home: the same renderer), as
# on a busy machine the idle renderer may take long.
warm_cache=${WARM_CACHE:-$work/warm-cache}
if [[ -z ${WARM_CACHE:-} && " ${ROWS[*]} " == *"|kwadrill-warm "* ]]; then
    dir=$work/warm-up
    new_home "$dir" alsa-null
    start_program "$dir" "$(command_for kwadrill "$dir")"
    [[ -n $pid ]] || { echo "warm-up: no window" >&2; exit 1; }
    begun=$SECONDS
    until (($(find "$dir/cache" -name '*.ogg' | wc -l) >= 13)) || ((SECONDS - begun > 900)); do
        sleep 1
    done
    echo "warm-up: $(find "$dir/cache" -name '*.ogg' | wc -l) pieces rendered in $((SECONDS - begun)) s" \
         "($(du -sk "$dir/cache" | cut -f1) KiB)" | tee -a "$log"
    stop_program "$game_pid"
    mkdir -p "$warm_cache"
    cp -a "$dir/cache/." "$warm_cache/"
fi

for run in $(seq "$runs"); do
    for row in "${ROWS[@]}"; do measure_start "$row" "$run"; done
done
if ((play > 0)); then
    for row in "${ROWS[@]}"; do measure_play "$row"; done
fi

# ---- medians ------------------------------------------------------------------

value() { awk -v n="$1" -v k="$2" '$1 == n && $2 == k {print $3}' "$results" | median; }

echo
echo "Medians of $runs starts (machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'))"
echo
echo "| program | first painted window ms | RSS MiB | PSS MiB | RSS after idle MiB | idle CPU % | idle CPU % without the renderer | play CPU % | close ms | close in play ms |"
echo "|---|---|---|---|---|---|---|---|---|---|"
for row in "${ROWS[@]}"; do
    name=${row%%|*}
    echo "| $name | $(value "$name" painted) | $(value "$name" rss) | $(value "$name" pss) |" \
         "$(value "$name" rss_idle_end) | $(value "$name" idle_cpu) |" \
         "$(value "$name" idle_cpu_without_renderer) | $(value "$name" play_cpu) |" \
         "$(value "$name" close) | $(value "$name" close_in_play) |"
done
