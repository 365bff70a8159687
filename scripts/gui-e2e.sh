#!/usr/bin/env bash
# End-to-end tests of qzsendw.exe under Wine on a virtual display, driven with xdotool as a user
# would drive it, against a throwaway Samba receiver (smbd) on a loopback address.
#
#   gui-e2e.sh start            start the receiver (CTest fixture)
#   gui-e2e.sh stop             stop it
#   gui-e2e.sh <case>           run one case: typing, ctrl-enter, send-fail, free-text,
#                               shift-enter, esc, eleventh, list, russian
#
# Environment: QZSENDW (the program), QZ_GUI_WORK (a work folder), QZ_SHOTS (where screenshots
# are kept), QZ_GUI_PORT (the receiver's port, default 1145), DISPLAY and WINEPREFIX (the session
# of scripts/gui-session.sh). The receiver listens on 127.0.0.5; nothing leaves the loopback
# interface (no broadcasts, no name server, no DNS).
#
# The program is driven by keyboard only; its windows are found by their captions. The history
# and placement live in the Wine prefix's registry, which every case resets first.
set -u
what=${1:?case}
work=${QZ_GUI_WORK:?work folder}
shots=${QZ_SHOTS:-$work}
addr=127.0.0.5 port=${QZ_GUI_PORT:-1145}
dead=127.0.0.6 # no receiver listens there: sends fail with "connection refused"
recv=$work/recv msgs=$work/recv/msgs
regkey='HKCU\Software\QZ Software\qzsend\DSend'
caption_en='netsend - sending messages'
caption_ru='netsend - отправка сообщений'

fail() { echo "FAIL: $*" >&2; exit 1; }

# The receiver is smbd-recv.sh's throwaway smbd (its folders, configuration and pid).
start_recv() {
  rm -rf "$recv"
  # The message command runs as the guest account: the folders above must be traversable.
  mkdir -p "$recv" && chmod 755 "$work"
  "$(dirname "$0")/smbd-recv.sh" start --dir "$recv" --ip "$addr" --port "$port" --name GUIRECV \
    --workgroup TESTGRP --charset CP850 >/dev/null || fail "smbd did not start listening on $addr:$port"
}

stop_recv() { "$(dirname "$0")/smbd-recv.sh" stop --dir "$recv"; }

mkdir -p "$work"
case $what in
  start) start_recv; exit 0 ;;
  stop) stop_recv; exit 0 ;;
esac

: "${QZSENDW:?the program}" "${DISPLAY:?a display}" "${WINEPREFIX:?the Wine prefix of the session}"
export QZSEND_PORT=$port QZSEND_BCAST=none QZSEND_WINS= QZSEND_DNS=0 QZSEND_TIMEOUT=5
export WINEDEBUG=-all LC_ALL=en_US.UTF-8 LANG=en_US.UTF-8
unset QZSEND_CODEPAGE QZSEND_WORKGROUP LANGUAGE LC_MESSAGES
cd "$(dirname "$QZSENDW")"

reg_reset() { wine reg delete "$regkey" /f >/dev/null 2>&1 || true; }
reg_set() { wine reg add "$regkey" /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1 || fail "reg add $1"; }
# The history as "name=value" lines, in value-name order, from the registry.
reg_hist() {
  wine reg query "$regkey" 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *\(TargetName[0-9]*\) *REG_SZ *\(.*\)$/\1=\2/p' | sort -V
}
expect_hist() {
  local got want; got=$(reg_hist); want=$(printf '%s\n' "$@")
  [ "$got" = "$want" ] || fail "history in the registry:
$got
expected:
$want"
}

app_pid=
# Starts the program with the arguments and waits for its dialog; sets $wid.
start_app() {
  local caption=$1; shift
  wine "$QZSENDW" "$@" </dev/null >"$work/app.out" 2>&1 &
  app_pid=$!
  wid=$(timeout 60 xdotool search --sync --onlyvisible --name "^$caption\$" | head -1)
  [ -n "$wid" ] || fail "the dialog \"$caption\" did not appear"
  focus "$wid"
}
focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }
keys() { xdotool key --clearmodifiers "$@"; }
# Waits for the program to end; its exit code must be $1.
expect_exit() {
  local rc=0
  timeout 60 tail --pid="$app_pid" -f /dev/null || fail "the program did not end"
  wait "$app_pid" || rc=$?
  app_pid=
  [ "$rc" = "$1" ] || fail "exit code $rc, expected $1"
}
# Waits for a window with the caption; sets $box.
expect_window() {
  box=$(timeout 30 xdotool search --sync --onlyvisible --name "^$1\$" | head -1)
  [ -n "$box" ] || fail "no window \"$1\""
}
# Waits for the receiver's message; sets $got (text, CRs removed) and $from.
received() {
  for _ in $(seq 200); do
    local m; m=$(ls "$msgs"/*.msg 2>/dev/null | head -1)
    if [ -n "$m" ]; then
      # The .meta file ("from=<originator> ip=<address>") is written just after the .msg.
      for _ in $(seq 50); do [ -s "${m%.msg}.meta" ] && break; sleep 0.1; done
      got=$(tr -d '\r' <"$m"); from=$(sed -n 's/^from=\([^ ]*\).*/\1/p' "${m%.msg}.meta")
      rm -f "$msgs"/*
      return 0
    fi
    sleep 0.1
  done
  fail "the receiver got no message"
}
# A screenshot of one window (default: the dialog), kept for a look at the layout.
shot() { import -display "$DISPLAY" -window "${2:-$wid}" "$shots/$1" 2>/dev/null || fail "screenshot $1"; }
cleanup() { [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null; return 0; }
trap cleanup EXIT

rm -f "$msgs"/* 2>/dev/null
reg_reset
case $what in
  typing)
    # A person types the target, moves to the message with Alt+M and sends with Ctrl+Enter.
    start_app "$caption_en"
    xdotool type --delay 20 "$addr"
    keys alt+m
    xdotool type --delay 20 "typed by hand"
    keys ctrl+Return
    received
    [ "$got" = "typed by hand" ] || fail "text [$got]"
    # The sender choice starts at the computer's name.
    pc=$(wine cmd /c 'echo %COMPUTERNAME%' </dev/null 2>/dev/null | tr -d '\r')
    [ -n "$pc" ] && [ "${from^^}" = "${pc^^}" ] || fail "sender [$from], expected the computer name [$pc]"
    keys Escape
    expect_exit 0
    expect_hist "TargetName0=$addr"
    ;;
  ctrl-enter)
    start_app "$caption_en" "$addr" /FROM:Boss 'Hello\ngui'
    shot qzsendw-en.png
    keys ctrl+Return
    received
    [ "$got" = "$(printf 'Hello\ngui')" ] || fail "text [$got]"
    [ "$from" = BOSS ] || fail "sender [$from]"
    # The history is written when the dialog closes.
    keys Escape
    expect_exit 0
    expect_hist "TargetName0=$addr"
    ;;
  send-fail)
    reg_set TargetName0 kept-entry
    start_app "$caption_en" "$dead" 'goes nowhere'
    keys ctrl+Return
    expect_window "Send error"
    shot qzsendw-error-en.png "$box"
    focus "$box"
    keys Return
    focus "$wid"
    keys Escape
    expect_exit 0
    expect_hist "TargetName0=kept-entry"
    ls "$msgs"/*.msg >/dev/null 2>&1 && fail "a message arrived"
    ;;
  free-text)
    # The free-text sender takes at most 15 characters. From the message text, Tab leads to the
    # checked radio button (Wine's dialog manager stops there) and on to the free-text box,
    # selecting the text the command line put there; typing replaces it.
    start_app "$caption_en" "$addr" /FROM:x limited sender
    keys Tab Tab
    xdotool type --delay 20 "abcdefghijklmnopqrst"
    keys ctrl+Return
    received
    [ "$got" = "limited sender" ] || fail "text [$got]"
    [ "${from^^}" = ABCDEFGHIJKLMNO ] || fail "sender [$from]"
    keys Escape
    expect_exit 0
    ;;
  shift-enter)
    start_app "$caption_en" "$addr" /FROMUSER send and close
    keys shift+Return
    expect_exit 0
    received
    [ "$got" = "send and close" ] || fail "text [$got]"
    expect_hist "TargetName0=$addr"
    ;;
  esc)
    start_app "$caption_en"
    keys Escape
    expect_exit 0
    # Closing stores the placement: the system's 44-byte record.
    place=$(wine reg query "$regkey" /v Placement 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_BINARY *//p')
    [ ${#place} = 88 ] || fail "placement [$place]"
    ;;
  eleventh)
    # Ten targets in the history, newest first; an eleventh drops the oldest.
    for i in 0 1 2 3 4 5 6 7 8 9; do reg_set "TargetName$i" "old$((9 - i))"; done
    start_app "$caption_en" "$addr" eleventh target
    keys shift+Return
    expect_exit 0
    received
    expect_hist "TargetName0=$addr" TargetName1=old9 TargetName2=old8 TargetName3=old7 TargetName4=old6 \
      TargetName5=old5 TargetName6=old4 TargetName7=old3 TargetName8=old2 TargetName9=old1
    ;;
  list)
    # A list target: one name is served, the other fails; one box reports the failed name, and
    # the list still counts as sent (it enters the history).
    printf '%s\r\n\r\n%s\r\n' "$addr" "$dead" >"$work/names.txt"
    file="Z:$(printf '%s' "$work/names.txt" | tr / '\\')"
    start_app "$caption_en" "/LIST:$file" to a list
    keys ctrl+Return
    expect_window "Send error"
    received
    [ "$got" = "to a list" ] || fail "text [$got]"
    focus "$box"
    keys Return
    focus "$wid"
    keys Escape
    expect_exit 0
    # The command line's /LIST: shows as the language's list prefix in the target box.
    expect_hist "TargetName0=list:$file"
    ;;
  russian)
    export LC_ALL=ru_RU.UTF-8 LANG=ru_RU.UTF-8
    start_app "$caption_ru" "$dead" /FROM:Boss 'Привет'
    shot qzsendw-ru.png
    keys ctrl+Return
    expect_window "Ошибка отправки сообщения"
    focus "$box"
    keys Return
    focus "$wid"
    keys Escape
    expect_exit 0
    expect_hist
    ;;
  *) fail "unknown case $what" ;;
esac
echo "ok: $what"
