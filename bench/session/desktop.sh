# A desktop for timing programs, shared by session.sh and first-paint.sh
# (sourced, not run): one Xvfb and one session bus for everybody, a fresh
# home for every start, the helper that times a start to its first painted
# window. Needs $helper (session_first_paint) set by the caller.

# Starts the X server and the session bus; sets work (a scratch folder) and
# runtime_root (tmpfs, for the private runtime folders a desktop has). All
# of it goes when the script exits.
start_desktop() {
    local name=$1
    work=$(mktemp -d "/tmp/$name.XXXXXX")
    runtime_root=$(mktemp -d "/dev/shm/$name.XXXXXX")
    xvfb_pid=
    dbus_pid=
    trap stop_desktop EXIT

    display=:$((200 + $$ % 500))
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=$display
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    read -r dbus_address dbus_pid < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 | paste -s -d ' ')
    export DBUS_SESSION_BUS_ADDRESS=$dbus_address
}

stop_desktop() {
    [[ -n $dbus_pid ]] && kill "$dbus_pid" 2>/dev/null || true
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work" "$runtime_root"
}

# A fresh home for every start. Sound goes to ALSA's null device unless
# `sound` asks for no device at all (SDL then falls back to its dummy driver).
new_home() {
    local dir=$1 sound=${2:-alsa-null}
    mkdir -p "$dir"/{home,config,data,cache,bin}
    local runtime
    runtime=$(mktemp -d "$runtime_root/run.XXXXXX")
    chmod 700 "$runtime"
    echo "$runtime" >"$dir/runtime"
    if [[ $sound == alsa-null ]]; then
        printf 'pcm.!default {\n    type null\n}\n' >"$dir/home/.asoundrc"
    fi
}

# The backup file beside the executable with music off and sounds on:
# 664 record bytes (byte 640 musicOn, 641 soundOn) and their XOR check byte,
# seeded with 80.
write_music_off_backup() {
    local file=$1
    {
        head -c 640 /dev/zero
        printf '\x00\x01'
        head -c 22 /dev/zero
        printf '\x51'   # 80 ^ 0x01
    } >"$file"
}

# Copies a game into dir/bin with the devices module of its build where the
# copy looks for it (the build tree is laid out as installed: bin/, lib/).
# With "pad", the tests' build of the module, which reads KWADRILL_VIRTUAL_PAD.
copy_game() {
    local program=$1 dir=$2 pad=${3:-}
    local from
    from=$(dirname "$(realpath "$program")")/..
    cp "$program" "$dir/bin/kwadrill"
    [[ -d $from/lib ]] || return 0   # an older build finds its module itself
    cp -a "$from/lib" "$dir/"
    if [[ $pad == pad ]]; then
        cp "$from/scripted-pad/kwadrill-devices.so" \
            "$(find "$dir/lib" -name kwadrill-devices.so -print -quit)"
    fi
}

# Runs the helper on a program in the home made by new_home; prints the
# helper's "pid ..." line (nothing when no window came). SDL_DRIVER and
# PAD_SCRIPT, when set, go to the program.
time_first_paint() {
    local dir=$1 timeout_ms=$2
    shift 2
    env HOME="$dir/home" XDG_CONFIG_HOME="$dir/config" XDG_DATA_HOME="$dir/data" \
        XDG_CACHE_HOME="$dir/cache" XDG_RUNTIME_DIR="$(cat "$dir/runtime")" TMPDIR="$dir" \
        ${SDL_DRIVER:+SDL_AUDIODRIVER=$SDL_DRIVER} ${PAD_SCRIPT:+KWADRILL_VIRTUAL_PAD=$PAD_SCRIPT} \
        "$helper" --timeout "$timeout_ms" -- sh -c 'exec "$@" >"$0" 2>&1' "$dir/log" "$@" |
        grep '^pid ' || true
}

# The median of numbers on standard input, "-" for none.
median() {
    sort -n | awk '{v[NR] = $1} END {if (NR == 0) {print "-"; exit}
        if (NR % 2) print v[(NR + 1) / 2]; else printf "%.2f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}
