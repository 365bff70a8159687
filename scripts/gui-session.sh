#!/usr/bin/env bash
# The session the GUI tests of qzsendw run in (CTest fixture): a virtual display and a Wine
# prefix of their own.
#
#   gui-session.sh start <display-number> <state-dir> [<program.exe>...]
#   gui-session.sh stop  <display-number> <state-dir>
#
# start: starts Xvfb on :<n> (1024 x 768, 24-bit, no TCP) unless a server answers there
# already, and returns once it accepts connections (Xvfb reports readiness through -displayfd);
# makes the Wine prefix <state-dir>/wineprefix on first use, sets the programs named to unmanaged
# windows (with no window manager, Wine then draws their captions itself and does not wait for a
# window manager when a window closes), and keeps that prefix's Wine server running.
# stop: stops the Xvfb that start started (nothing when the display was running before).
#
# Why a prefix of its own: Wine gives all programs of a prefix one desktop, made by the first
# program that needs it, on that program's display. A console program of another test without a
# display would otherwise make a desktop on which no window can be created. The prefix also keeps
# the history and placement these tests write out of the shared prefix.
set -euo pipefail
what=${1:?start or stop} n=${2:?display number} state=${3:?state folder}
shift 3 || true
pidfile=$state/xvfb.pid
export WINEPREFIX=$state/wineprefix WINEDEBUG=-all DISPLAY=:$n
# No prompts for Mono or Gecko while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="

case $what in
  start)
    mkdir -p "$state"
    rm -f "$pidfile"
    if ! xdotool getdisplaygeometry >/dev/null 2>&1; then
      fifo=$(mktemp -u "$state/xvfb-ready.XXXXXX")
      mkfifo "$fifo"
      setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -displayfd 3 3>"$fifo" </dev/null >/dev/null 2>&1 &
      echo $! >"$pidfile"
      ready=
      read -r -t 30 ready <"$fifo" || true
      rm -f "$fifo"
      [ "$ready" = "$n" ] || { echo "Xvfb :$n did not start" >&2; exit 1; }
    fi
    # Kept alive for a minute after its last program, so the tests share one server.
    mkdir -p "$WINEPREFIX"
    wineserver -p60 2>/dev/null || true
    wine wineboot -i </dev/null >/dev/null 2>&1 || { echo "cannot make the Wine prefix $WINEPREFIX" >&2; exit 1; }
    # Wine draws the caption buttons with its Marlett font and uses Tahoma for the system's
    # dialog font; some Wine installs do not find their own fonts folder, so the captions show
    # the letters 0, 1 and r. Linking those fonts into the prefix's Fonts folder always works.
    for fonts in /usr/share/wine/fonts /usr/lib/wine/fonts /opt/wine/share/wine/fonts; do
      [ -f "$fonts/marlett.ttf" ] || continue
      ln -sf "$fonts"/marlett.ttf "$fonts"/tahoma.ttf "$fonts"/tahomabd.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
      break
    done
    for exe in "$@"; do
      wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe\\X11 Driver" /v Managed /t REG_SZ /d N /f \
        </dev/null >/dev/null 2>&1 || { echo "could not set $exe unmanaged" >&2; exit 1; }
    done
    echo "display :$n, prefix $WINEPREFIX"
    ;;
  stop)
    [ -f "$pidfile" ] || exit 0
    pid=$(cat "$pidfile")
    rm -f "$pidfile"
    kill -TERM "$pid" 2>/dev/null || true
    ;;
  *) echo "usage: $0 start|stop <display-number> <state-dir> [<program.exe>...]" >&2; exit 2 ;;
esac
