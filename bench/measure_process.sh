#!/usr/bin/env bash
# What the whole game process costs on X11, beside the floor program of the
# same shape (bench/floor.cpp), each on a private Xvfb, in one run:
#   - CPU of the title menu, and of play at full health (pointer moving),
#     at low health (spam left to land) and at full health while firing;
#   - frames drawn, ticks run and palette installs per second in play;
#   - peak resident memory (VmHWM) of both.
# Frames and ticks are counted from outside: bench/count_calls.so is
# preloaded into the game and counts the calls each of them makes.
#
# usage: [SCREEN=WxH] bench/measure_process.sh BUILD_DIR [--window | --fullscreen]
# SCREEN is the game's X screen (800x600 unless given; the floor's is always
# 800x600); the option is the game's own (full screen by default). Full
# screen, the picture is scaled by the largest whole factor that fits and
# centred, and every point the script clicks or reads is taken there.
# BUILD_DIR holds junkfall, media/data.dat, bench/floor and
# bench/count_calls.so (cmake --build BUILD_DIR --target junkfall floor
# count_calls); nothing is built or installed here.
# needs: Xvfb (xvfb), xdotool (xdotool), import (imagemagick), od and awk.
set -euo pipefail
export LC_ALL=C

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: [SCREEN=WxH] $0 BUILD_DIR [--window | --fullscreen]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
mode=${2:---fullscreen}
screen=${SCREEN:-800x600}
sw=${screen%x*} sh=${screen#*x}
scale=1 ox=0 oy=0
if [ "$mode" != --window ]; then
  scale=$((sw / 800 < sh / 600 ? sw / 800 : sh / 600))
  ox=$(((sw - 800 * scale) / 2)) oy=$(((sh - 600 * scale) / 2))
fi
# a point of the picture on the game's screen
at() { echo $((ox + scale * $1)) $((oy + scale * $2)); }
game=$build/junkfall
floor=$build/bench/floor
shim=$build/bench/count_calls.so
for f in "$game" "$floor" "$shim" "$build/media/data.dat"; do
  [ -e "$f" ] || { echo "missing $f: build the targets junkfall, floor and count_calls first" >&2; exit 2; }
done
missing=()
for tool in Xvfb:xvfb xdotool:xdotool import:imagemagick od:coreutils awk:gawk; do
  command -v "${tool%%:*}" >/dev/null || missing+=("${tool#*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "needs the Debian packages: ${missing[*]} (apt-get install ${missing[*]})" >&2
  exit 2
fi

work=$(mktemp -d)
pids=()
# ends what this script started, newest first (the programs before their
# servers), each by its pid; whatever ignores SIGTERM for 5 s gets SIGKILL
cleanup() {
  local i pid n
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    pid=${pids[i]}
    kill -0 "$pid" 2>/dev/null || continue
    kill "$pid" 2>/dev/null || true
    for ((n = 0; n < 50; n++)); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

die() {
  echo "measure_process: $*" >&2
  for log in "$work"/*.log; do
    [ -s "$log" ] && { echo "--- $log" >&2; tail -5 "$log" >&2; }
  done
  exit 1
}

# wall-clock seconds
now() { echo "$EPOCHREALTIME"; }

# waits until the command succeeds, polling every 20 ms, for at most $1 seconds
wait_for() {
  local seconds=$1 what=$2
  shift 2
  local end=$((${EPOCHREALTIME/./} + seconds * 1000000))
  until "$@"; do
    if [ "${EPOCHREALTIME/./}" -gt "$end" ]; then
      die "timed out after ${seconds}s waiting for $what"
    fi
    sleep 0.02
  done
}

# a private server on a free display; prints the display name
start_xvfb() {
  local name=$1 size=$2
  : >"$work/$name.display"
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/$name.display" \
    >"$work/$name-xvfb.log" 2>&1 &
  pids+=($!)
  wait_for 10 "Xvfb ($name)" test -s "$work/$name.display"
}

start_xvfb game "$screen"
start_xvfb floor 800x600
game_display=:$(head -1 "$work/game.display")
floor_display=:$(head -1 "$work/floor.display")

# the library shows messages through xmessage, which waits for a click: a
# stand-in records them instead, so nothing can block
mkdir "$work/bin"
cat >"$work/bin/xmessage" <<EOF
#!/bin/sh
for last; do :; done
printf '%s\n' "\$last" >>"$work/messages.log"
exit 101
EOF
chmod +x "$work/bin/xmessage"

counts=$work/counts
DISPLAY=$floor_display PATH=$work/bin:$PATH "$floor" >"$work/floor.log" 2>&1 &
floor_pid=$!
pids+=("$floor_pid")
started=$(now)
DISPLAY=$game_display PATH=$work/bin:$PATH COUNT_CALLS_FILE=$counts LD_PRELOAD=$shim \
  "$game" "$mode" >"$work/game.log" 2>&1 &
game_pid=$!
pids+=("$game_pid")

# counters of the preloaded library: frames ticks palettes polls waits
counter() {
  local index
  case $1 in frames) index=0 ;; ticks) index=1 ;; palettes) index=2 ;; polls) index=3 ;; waits) index=4 ;; esac
  od -An -t u8 -j $((index * 8)) -N 8 "$counts" 2>/dev/null | tr -d ' \n'
}
counter_above() { local v; v=$(counter "$1"); [ -n "$v" ] && [ "$v" -gt "$2" ]; }
alive() { kill -0 "$1" 2>/dev/null; }

# user + system time of a process, all threads, in clock ticks
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)

x() { DISPLAY=$game_display xdotool "$@"; }
click() { x mousemove $(at "$1" "$2") sleep 0.05 mousedown 1 sleep 0.1 mouseup 1 sleep 0.1; }

# health as the bar shows it: the coloured rows of column 790 of the box
# (5 per point of health and one more, each as many screen rows as the scale; the
# box itself is black)
health() {
  DISPLAY=$game_display import -window root -crop "1x$((103 * scale))+$(at 790 0 | tr ' ' +)" -depth 8 rgb:- \
    2>/dev/null | od -An -v -t u1 -w3 |
    awk -v s="$scale" '$1 + $2 + $3 > 0 { n++ } END { print (n > 0 ? (n / s - 1) / 5 : 0) }'
}

# runs xdotool commands on both displays in the background: "mousemove X Y"
# at the picture's X, Y on each
drivers=()
drive() {
  local game_args=() i
  for ((i = 1; i <= $#; i++)); do
    if [ "${!i}" = mousemove ]; then
      game_args+=(mousemove $(at "${@:i+1:1}" "${@:i+2:1}"))
      i=$((i + 2))
    else
      game_args+=("${!i}")
    fi
  done
  DISPLAY=$game_display xdotool "${game_args[@]}" &
  drivers+=($!)
  pids+=($!)
  DISPLAY=$floor_display xdotool "$@" &
  drivers+=($!)
  pids+=($!)
}
drivers_done() {
  local pid
  for pid in "${drivers[@]}"; do
    wait "$pid" || true
  done
  drivers=()
}

# the pointer wanders over the lower screen on both displays, away from the
# health bar and the clock, for $1 seconds
wander() {
  local steps=$(($1 * 20)) args=() i px py
  for ((i = 0; i < steps; i++)); do
    px=$((40 + (i * 37) % 700))
    py=$((300 + (i * 23) % 260))
    args+=(mousemove "$px" "$py" sleep 0.05)
  done
  drive "${args[@]}"
}

# fires ten bananas a second, sweeping the turret across the screen in
# 40-pixel steps so every column is shot at least every two seconds
barrage() {
  local shots=$(($1 * 10)) args=() i px
  for ((i = 0; i < shots; i++)); do
    px=$((20 + (i % 20) * 40))
    args+=(mousemove "$px" 500 mousedown 1 sleep 0.034 mouseup 1 sleep 0.066)
  done
  drive "${args[@]}"
}

# one measured window: CPU of both processes and the game's counters
declare -A result
window_start() {
  [ -n "${MEASURE_TRACE:-}" ] && echo "start at tick $(turn_ticks)" >&2
  w_t0=$EPOCHREALTIME
  w_game0=$(cpu_ticks "$game_pid")
  w_floor0=$(cpu_ticks "$floor_pid")
  w_frames0=$(counter frames)
  w_ticks0=$(counter ticks)
  w_pal0=$(counter palettes)
}
window_end() {
  local name=$1 t1 game1 floor1 frames1 ticks1 pal1
  t1=$EPOCHREALTIME
  game1=$(cpu_ticks "$game_pid")
  floor1=$(cpu_ticks "$floor_pid")
  frames1=$(counter frames)
  ticks1=$(counter ticks)
  pal1=$(counter palettes)
  [ -n "${MEASURE_TRACE:-}" ] && echo "end at tick $(turn_ticks)" >&2
  result[$name]=$(awk -v t0="$w_t0" -v t1="$t1" -v hz="$hz" \
    -v g0="$w_game0" -v g1="$game1" -v f0="$w_floor0" -v f1="$floor1" \
    -v fr0="$w_frames0" -v fr1="$frames1" -v ti0="$w_ticks0" -v ti1="$ticks1" \
    -v p0="$w_pal0" -v p1="$pal1" 'BEGIN {
      d = t1 - t0
      g = (g1 - g0) / hz / d * 100; f = (f1 - f0) / hz / d * 100
      printf "%5.1f s  %6.1f %6.1f %6.1f  %6.1f %6.1f %6.1f",
        d, g, f, g - f, (fr1 - fr0) / d, (ti1 - ti0) / d, (p1 - p0) / d
    }')
}

turn_ticks() { echo $(($(counter ticks) - turn_base)); }
turn_at() { [ "$(turn_ticks)" -ge "$1" ]; }
wait_turn() { wait_for "$(( $1 / 60 + 10 ))" "tick $1 of the turn" turn_at "$1"; }
# the menu polls the keyboard without pause, the game loop at most once a
# millisecond
in_menu() { local p; p=$(counter polls); sleep 0.1; counter_above polls $((p + 10000)); }

# starts a one-player game of 60-second turns from the menu and leaves it at
# the turn's first tick; turn_base is the tick count before it
start_turn() {
  local waits
  waits=$(counter waits)
  click 100 297
  click 240 410
  click 200 512
  wait_for 10 "the turn prompt" counter_above waits "$waits"
  sleep 0.3
  turn_base=$(counter ticks)
  x key space
  wait_for 10 "the turn's first tick" turn_at 1
  turn_waits=$(counter waits)
}

wait_for 30 "the title menu" counter_above polls 0
to_menu=$(awk -v a="$started" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }')
sleep 0.5

window_start
wander 10
sleep 10
window_end menu
drivers_done

# game 1, the pointer wandering and nothing fired: full health until the
# first spam lands at tick 339, then a point lost every 30 ticks until the
# 20th landing ends the turn at tick 909
start_turn
wander 15
wait_turn 30
window_start
wait_turn 300
window_end full
health_full=$(health)
wait_turn 660
health_low0=$(health)
wait_turn 690
window_start
wait_turn 870
window_end low
health_low1=$(health)
drivers_done
wait_for 10 "the score table" counter_above waits "$turn_waits"
sleep 0.3
x key space
wait_for 10 "the menu again" in_menu

# game 2: ten shots a second keep every spam from landing
start_turn
barrage 32
wait_turn 60
window_start
wait_turn 1860
window_end firing
drivers_done
health_firing=$(health)
x key Escape
wait_for 10 "the menu after Esc" in_menu

game_hwm=$(awk '/^VmHWM/ { print $2 }' "/proc/$game_pid/status")
floor_hwm=$(awk '/^VmHWM/ { print $2 }' "/proc/$floor_pid/status")
game_rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$game_pid/status")

x key Escape
wait_for 10 "the game to quit" bash -c "! kill -0 $game_pid 2>/dev/null"
wait "$game_pid" && game_status=0 || game_status=$?
DISPLAY=$floor_display xdotool keydown Escape sleep 0.1 keyup Escape
wait_for 10 "the floor to quit" bash -c "! kill -0 $floor_pid 2>/dev/null"
wait "$floor_pid" || true

echo "junkfall $mode process on Xvfb ${screen}x24 (picture at ${scale} x), $(nproc) cores;" \
  "menu reached ${to_menu} s after start"
echo "CPU in % of one core; frames, ticks and palette installs per second"
printf '%-28s %7s  %6s %6s %6s  %6s %6s %6s\n' window length game floor above frames ticks palette
printf '%-28s %s\n' "title menu" "${result[menu]}"
printf '%-28s %s\n' "play, health $health_full, pointer moving" "${result[full]}"
printf '%-28s %s\n' "play, health $health_low0 to $health_low1" "${result[low]}"
printf '%-28s %s\n' "play, health $health_firing, firing 10/s" "${result[firing]}"
awk -v g="$game_hwm" -v f="$floor_hwm" -v r="$game_rss" 'BEGIN {
  printf "peak resident memory (VmHWM): game %.1f MiB (%.1f MiB at the end), floor %.1f MiB\n",
    g / 1024, r / 1024, f / 1024 }'
echo "game exit status $game_status"
if [ -s "$work/messages.log" ]; then
  echo "messages the game showed:"
  cat "$work/messages.log"
fi
