#!/usr/bin/env bash
# The main job in one command: on a fresh Debian 12 machine (as root) install what is needed,
# build the native preset, start a throwaway Samba receiver on loopback, send a message with
# qzsend, print what the receiver got, and stop the receiver.
#
#   scripts/demo.sh [<sender> [<text>]]      default: demo 'Hello from qzsend!\nSecond line.'
#
# Environment: DEMO_ADDR (default 127.0.0.1), DEMO_PORT (default 139, the Messenger's port).
# Nothing leaves the loopback interface: no broadcasts, no name server, no DNS.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
sender=${1:-demo}
text=${2:-'Hello from qzsend!\nSecond line.'}
addr=${DEMO_ADDR:-127.0.0.1}
port=${DEMO_PORT:-139}

"$root/scripts/setup.sh"
cmake --preset native -S "$root" >/dev/null
cmake --build "$root/build/native" --target qzsend -j2 >/dev/null
prog=$root/build/native/Src/Con/qzsend

# The receiver's folders must be traversable by the guest account that stores the messages.
work=$(mktemp -d /tmp/qzsend-demo.XXXXXX)
chmod 755 "$work"
recv() { "$root/Tests/E2E/e2e.sh" "$prog" "$work" "$addr" "$port" "$1"; }
trap 'recv stop; rm -rf "$work"' EXIT
recv start

echo "\$ qzsend $addr /FROM:$sender '$text'"
set +e
QZSEND_PORT=$port QZSEND_BCAST=none QZSEND_WINS= QZSEND_DNS=0 "$prog" "$addr" "/FROM:$sender" "$text"
rc=$?
set -e
echo "(exit code $rc)"

for _ in $(seq 100); do
  m=$(ls "$work"/recv/msgs/*.msg 2>/dev/null | head -1 || true)
  [ -n "$m" ] && break
  sleep 0.1
done
if [ -z "${m:-}" ]; then
  echo "The receiver got nothing." >&2
  exit 1
fi
echo "The receiver got a message from $(sed -n 's/^from=//p' "${m%.msg}.meta"):"
echo "----"
cat "$m"
echo
echo "----"
