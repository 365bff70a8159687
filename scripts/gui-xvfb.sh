#!/usr/bin/env bash
# A virtual display for the GUI tests of qzsendw (CTest fixture).
#
#   gui-xvfb.sh start <display-number> <pid-file> [<program.exe>...]
#       start Xvfb on :<n> unless a server already answers there; its process id goes to
#       <pid-file>. The Wine programs named are set to unmanaged windows: with no window manager
#       on the display, Wine then draws their captions itself and does not wait in vain for a
#       window manager when a window closes.
#   gui-xvfb.sh stop  <display-number> <pid-file>   stop the Xvfb named in <pid-file>, if any
#
# Keep the pid file in the build folder: a test run of another build then never stops a display
# that this one started.
#
# The server is 1024 x 768 in 24-bit colour and listens on no TCP port. "start" returns once
# the server accepts connections (Xvfb reports readiness through -displayfd).
set -euo pipefail
what=${1:?start or stop} n=${2:?display number} pidfile=${3:?pid file}
shift 3 || true

unmanaged() {
  local exe
  for exe in "$@"; do
    WINEDEBUG=-all wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe\\X11 Driver" /v Managed /t REG_SZ /d N /f \
      </dev/null >/dev/null 2>&1 || echo "could not set $exe unmanaged" >&2
  done
}

case $what in
  start)
    rm -f "$pidfile"
    unmanaged "$@"
    if DISPLAY=:$n xdotool getdisplaygeometry >/dev/null 2>&1; then
      echo "display :$n already running"
      exit 0
    fi
    fifo=$(mktemp -u /tmp/qz-gui-xvfb-$n.XXXXXX)
    mkfifo "$fifo"
    setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -displayfd 3 3>"$fifo" </dev/null >/dev/null 2>&1 &
    echo $! >"$pidfile"
    ready=
    read -r -t 30 ready <"$fifo" || true
    rm -f "$fifo"
    [ "$ready" = "$n" ] || { echo "Xvfb :$n did not start" >&2; exit 1; }
    echo "display :$n started"
    ;;
  stop)
    [ -f "$pidfile" ] || exit 0
    pid=$(cat "$pidfile")
    rm -f "$pidfile"
    kill -TERM "$pid" 2>/dev/null || true
    ;;
  *) echo "usage: $0 start|stop <display-number> <pid-file>" >&2; exit 2 ;;
esac
