#!/bin/bash
# smbd-recv.sh: a throwaway Samba receiver of Messenger messages, for tests and demos.
#
#   smbd-recv.sh start --dir DIR [--ip 127.0.0.1] [--port 139] [--name RECV1]
#                      [--workgroup TESTGRP] [--charset CP850] [--nmbd] [--wins]
#       Writes a private configuration below DIR, starts smbd (and with --nmbd also nmbd, for
#       name service tests inside a network namespace; --wins makes that nmbd a name server),
#       waits until the session port accepts connections and prints smbd's pid. Received
#       messages land in DIR/msgs as <n>.msg (the text, converted by Samba from --charset to
#       UTF-8, CR LF turned into LF) beside <n>.meta ("from=<originator> ip=<sender address>").
#   smbd-recv.sh wait --dir DIR [--count 1] [--timeout 20]
#       Waits until DIR/msgs holds at least COUNT messages and prints each as
#       "=== <file> <meta line>" followed by its text. Exits 1 when the time runs out.
#   smbd-recv.sh stop --dir DIR
#       Stops the daemons started for DIR (by their recorded pids only) and waits for them.
#   smbd-recv.sh clear --dir DIR
#       Removes the received messages.
#
# DIR must be reachable by other users (every folder above it traversable): Samba runs the
# message command as its guest account, and a message it cannot write is silently lost. DIR
# itself is made mode 755 and DIR/msgs mode 1777. Bind only loopback addresses, or addresses
# inside a network namespace the caller created: the receiver binds exactly --ip.
# Needs root for ports below 1024; a port of 1024 or more works without.
set -u

die() { echo "smbd-recv.sh: $*" >&2; exit 2; }

cmd=${1:-}
[ -n "$cmd" ] || die "usage: smbd-recv.sh start|wait|stop|clear --dir DIR [options]"
shift
dir="" ip=127.0.0.1 port=139 name=RECV1 wg=TESTGRP charset=CP850 nmbd=0 wins=0 count=1 timeout=20
while [ $# -gt 0 ]; do
    case "$1" in
    --dir) dir=$2; shift 2 ;;
    --ip) ip=$2; shift 2 ;;
    --port) port=$2; shift 2 ;;
    --name) name=$2; shift 2 ;;
    --workgroup) wg=$2; shift 2 ;;
    --charset) charset=$2; shift 2 ;;
    --nmbd) nmbd=1; shift ;;
    --wins) wins=1; shift ;;
    --count) count=$2; shift 2 ;;
    --timeout) timeout=$2; shift 2 ;;
    *) die "unknown option $1" ;;
    esac
done
[ -n "$dir" ] || die "--dir is required"
case "$dir" in /*) ;; *) dir="$PWD/$dir" ;; esac

# Waits until the pid has ended, at most about 10 s, then insists.
stop_pid() {
    local pid=$1 i
    kill -0 "$pid" 2>/dev/null || return 0
    kill -TERM "$pid" 2>/dev/null
    for i in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null
}

case "$cmd" in
start)
    for p in "$dir/smbd.pid" "$dir/nmbd.pid"; do
        [ -f "$p" ] && stop_pid "$(cat "$p")"
    done
    mkdir -p "$dir" || die "cannot make $dir"
    chmod 755 "$dir"
    rm -rf "$dir/msgs" "$dir/state" "$dir/cache" "$dir/lock" "$dir/pid" "$dir/private" "$dir/ncalrpc"
    mkdir -p "$dir"/{msgs,private,lock,state,cache,pid,ncalrpc,log}
    chmod 1777 "$dir/msgs"
    # Samba refuses to start when the folders it needs are not private enough.
    chmod 700 "$dir/private"
    winsline=""
    [ "$wins" = 1 ] && winsline="   wins support = yes"
    cat >"$dir/smb.conf" <<EOF
[global]
   netbios name = $name
   workgroup = $wg
   server role = standalone server
   interfaces = $ip/8
   bind interfaces only = yes
   smb ports = $port
   server min protocol = NT1
   disable netbios = no
   dos charset = $charset
$winsline
   private dir = $dir/private
   lock directory = $dir/lock
   state directory = $dir/state
   cache directory = $dir/cache
   pid directory = $dir/pid
   ncalrpc dir = $dir/ncalrpc
   load printers = no
   printing = bsd
   printcap name = /dev/null
   disable spoolss = yes
   message command = /bin/sh -c 'f=$dir/msgs/\$\$; cp %s \$f.tmp && mv \$f.tmp \$f.msg; echo "from=%f ip=%I" > \$f.meta; rm -f %s' &
EOF
    # Interfaces in a namespace have a real prefix; loopback receivers use /8.
    case "$ip" in 127.*) ;; *) sed -i "s|interfaces = $ip/8|interfaces = $ip/24|" "$dir/smb.conf" ;; esac
    smbd -F -s "$dir/smb.conf" -l "$dir/log" </dev/null >"$dir/log/smbd.out" 2>&1 &
    echo $! >"$dir/smbd.pid"
    if [ "$nmbd" = 1 ]; then
        nmbd -F -s "$dir/smb.conf" -l "$dir/log" </dev/null >"$dir/log/nmbd.out" 2>&1 &
        echo $! >"$dir/nmbd.pid"
    fi
    for i in $(seq 100); do
        if (exec 3<>"/dev/tcp/$ip/$port") 2>/dev/null; then
            cat "$dir/smbd.pid"
            exit 0
        fi
        kill -0 "$(cat "$dir/smbd.pid")" 2>/dev/null || break
        sleep 0.1
    done
    echo "smbd-recv.sh: smbd did not start listening on $ip:$port; its output:" >&2
    cat "$dir/log/smbd.out" >&2
    exit 1
    ;;
wait)
    end=$((SECONDS + timeout))
    while :; do
        n=$(find "$dir/msgs" -maxdepth 1 -name '*.msg' 2>/dev/null | wc -l)
        [ "$n" -ge "$count" ] && break
        [ $SECONDS -ge $end ] && { echo "smbd-recv.sh: $n of $count messages after ${timeout}s" >&2; exit 1; }
        sleep 0.1
    done
    for m in $(ls -tr "$dir/msgs"/*.msg); do
        meta="${m%.msg}.meta"
        for i in $(seq 50); do [ -s "$meta" ] && break; sleep 0.1; done
        echo "=== $(basename "$m") $(cat "$meta" 2>/dev/null)"
        cat "$m"
        echo
    done
    ;;
stop)
    for p in "$dir/nmbd.pid" "$dir/smbd.pid"; do
        if [ -f "$p" ]; then
            stop_pid "$(cat "$p")"
            rm -f "$p"
        fi
    done
    ;;
clear)
    rm -f "$dir/msgs"/*.msg "$dir/msgs"/*.meta "$dir/msgs"/*.tmp
    ;;
*)
    die "unknown command $cmd"
    ;;
esac
