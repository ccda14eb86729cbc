# Shared by the package checks: tool checks, a private X server, and a run of
# an installed game that must reach its first splash.
# shellcheck shell=bash

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

note() {
  echo "-- $*"
}

# need TOOL PACKAGE: the Debian package that brings TOOL
need() {
  command -v "$1" >/dev/null 2>&1 || fail "$1 is missing (Debian package $2)"
}

# every background process we start, so the exit trap can end it by pid
started_pids=()

# alive, and not a zombie waiting for us to reap it (kill -0 says yes to those)
running() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  [ "${stat%% *}" != Z ]
}

end_pid() {
  local pid=$1
  if running "$pid"; then
    kill "$pid" 2>/dev/null || true
    local deadline=$((SECONDS + 5))
    while running "$pid" && [ $SECONDS -lt $deadline ]; do
      sleep 0.05
    done
    if running "$pid"; then
      kill -9 "$pid" 2>/dev/null || true
    fi
  fi
  # bash reports a child that died of a signal; here that was our doing
  { wait "$pid" || true; } 2>/dev/null
}

end_started() {
  local pid
  for pid in "${started_pids[@]}"; do
    end_pid "$pid"
  done
  started_pids=()
}

# start_xvfb DIR: a private 800x600 server on a display number it picks
# itself; sets XVFB_PID and DISPLAY_NAME
start_xvfb() {
  local dir=$1
  need Xvfb xvfb
  : >"$dir/display"
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$dir/display" \
    >"$dir/xvfb.log" 2>&1 &
  XVFB_PID=$!
  started_pids+=("$XVFB_PID")
  local deadline=$((SECONDS + 20))
  until [ -s "$dir/display" ] && grep -q '^[0-9][0-9]*$' "$dir/display"; do
    running "$XVFB_PID" || fail "Xvfb died: $(cat "$dir/xvfb.log")"
    [ $SECONDS -lt $deadline ] || fail "Xvfb did not report a display"
    sleep 0.05
  done
  DISPLAY_NAME=:$(head -n1 "$dir/display")
}

# brightest channel anywhere on the screen, 0..1
screen_peak() {
  import-im6.q16 -display "$DISPLAY_NAME" -window root xwd:- 2>/dev/null |
    convert-im6.q16 xwd:- -format '%[fx:maxima]' info: 2>/dev/null
}

# stand-in for xmessage, which the library runs for its error messages and
# waits on: records the text (its last argument) and answers at once
make_xmessage() {
  local dir=$1
  mkdir -p "$dir/bin"
  cat >"$dir/bin/xmessage" <<EOS
#!/bin/sh
for text; do :; done
printf '%s\n' "\$text" >>'$dir/messages'
exit 101
EOS
  chmod +x "$dir/bin/xmessage"
  : >"$dir/messages"
}

# launch DIR CWD COMMAND...: the game on our display, from CWD, with the
# stand-in xmessage first on PATH and a HOME of its own (no one's
# ~/.allegrorc); sets GAME_PID
launch() {
  local dir=$1 cwd=$2
  shift 2
  (
    cd "$cwd" &&
      exec env DISPLAY="$DISPLAY_NAME" PATH="$dir/bin:$PATH" HOME="$dir" "$@"
  ) >"$dir/game.out" 2>&1 &
  GAME_PID=$!
  started_pids+=("$GAME_PID")
}

# expect_splash DIR CWD COMMAND...: the game must come up, draw something
# that is not black, show no message and still be running three seconds in
expect_splash() {
  local dir=$1 cwd=$2
  shift 2
  local began=$SECONDS
  launch "$dir" "$cwd" "$@"
  local deadline=$((SECONDS + 30)) peak=0
  while :; do
    running "$GAME_PID" || break
    peak=$(screen_peak)
    awk -v p="${peak:-0}" 'BEGIN { exit !(p > 0.25) }' && break
    [ $SECONDS -lt $deadline ] || break
    sleep 0.2
  done
  # the splash holds well past three seconds; a game that dies on its data
  # or its display would be gone by then
  while running "$GAME_PID" && [ $((SECONDS - began)) -lt 3 ]; do
    sleep 0.1
  done
  local alive=yes
  running "$GAME_PID" || alive=no
  local messages
  messages=$(cat "$dir/messages")
  end_pid "$GAME_PID"
  if [ "$alive" != yes ]; then
    fail "game ($*) from $cwd exited early; messages: ${messages:-none}; output: $(tail -n5 "$dir/game.out")"
  fi
  [ -z "$messages" ] || fail "game ($*) from $cwd showed: $messages"
  awk -v p="${peak:-0}" 'BEGIN { exit !(p > 0.25) }' ||
    fail "game ($*) from $cwd left the screen black (peak $peak)"
  note "game ($*) from $cwd reached its splash (screen peak $peak), no messages"
}

# expect_load_error DIR CWD DATA_PATH COMMAND...: with its data file gone the
# game must say which file it looked for and exit 1
expect_load_error() {
  local dir=$1 cwd=$2 want=$3
  shift 3
  launch "$dir" "$cwd" "$@"
  local deadline=$((SECONDS + 30))
  while running "$GAME_PID" && [ $SECONDS -lt $deadline ]; do
    sleep 0.1
  done
  if running "$GAME_PID"; then
    fail "game ($*) without its data still running after 30 s"
  fi
  local status=0
  wait "$GAME_PID" || status=$?
  local messages
  messages=$(cat "$dir/messages")
  [ "$status" -eq 1 ] || fail "game ($*) without its data exited $status, not 1"
  [ "$messages" = "Error loading $want" ] ||
    fail "game ($*) without its data showed '${messages}', not 'Error loading $want'"
  note "game ($*) without its data: 'Error loading $want', exit 1"
}
