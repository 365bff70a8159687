#!/bin/bash
# netns-test.sh SENDER DIR: the transport finds a receiver by its NetBIOS name.
#
# Builds two network namespaces joined by a veth pair (10.213.77.0/24, which exists only
# inside them), runs nmbd (as name server) and smbd in one with the NetBIOS name NSRECV, and
# sends from the other with SENDER (qzmsgrsend: TARGET TEXT [FROM], prints the result code):
# by broadcast, through the name server address, with the interfaces' own broadcast address,
# by a DNS name through the system resolver (the sender's namespace gets its own hosts file and
# a resolv.conf naming only the receiver's address, through ip-netns' /etc/netns folder), and
# to names nobody has. DIR holds the receiver's files. Everything is removed at the end.
# Exits 0 when all checks pass, 1 when one fails, 77 (skip) when namespaces cannot be made.
set -u
sender=${1:?usage: netns-test.sh SENDER DIR}
dir=${2:?usage: netns-test.sh SENDER DIR}
here=$(cd "$(dirname "$0")" && pwd)
recv=qzd-recv-$$ send=qzd-send-$$
net=10.213.77

if ! ip netns add "$recv" 2>/dev/null; then
    echo "netns-test.sh: cannot create network namespaces here; skipped"
    exit 77
fi
cleanup() {
    ip netns exec "$recv" "$here/smbd-recv.sh" stop --dir "$dir" 2>/dev/null
    ip netns del "$recv" 2>/dev/null
    ip netns del "$send" 2>/dev/null
    rm -rf "/etc/netns/$send"
}
trap cleanup EXIT
ip netns add "$send" || exit 1
# Name files of the sender's namespace: ip netns exec mounts them over /etc/hosts and
# /etc/resolv.conf, so the system resolver never asks anyone outside the namespaces.
mkdir -p "/etc/netns/$send" || exit 1
echo "$net.1 nsrecv.qz.test" >"/etc/netns/$send/hosts"
echo "nameserver $net.1" >"/etc/netns/$send/resolv.conf"
ip -n "$recv" link add qzdv0 type veth peer name qzdv1 netns "$send" || exit 1
ip -n "$recv" addr add $net.1/24 brd + dev qzdv0
ip -n "$send" addr add $net.2/24 brd + dev qzdv1
for ns in "$recv" "$send"; do
    ip -n "$ns" link set lo up
done
ip -n "$recv" link set qzdv0 up
ip -n "$send" link set qzdv1 up

ip netns exec "$recv" "$here/smbd-recv.sh" start --dir "$dir" --ip $net.1 --port 139 --name NSRECV \
    --workgroup TESTGRP --nmbd --wins >/dev/null || exit 1

# nmbd answers for its names a few seconds after it starts.
for i in $(seq 150); do
    ip netns exec "$send" nmblookup -B $net.255 'NSRECV#03' 2>/dev/null | grep -q "^$net.1 " && break
    sleep 0.2
done

fails=0
# check WHAT WANT-CODE [ENV...] -- TARGET TEXT: sends in the sender's namespace and, for a
# success, waits for the text at the receiver.
check() {
    local what=$1 want=$2
    shift 2
    local envs=()
    while [ "$1" != "--" ]; do envs+=("$1"); shift; done
    shift
    local target=$1 text=$2 got
    "$here/smbd-recv.sh" clear --dir "$dir"
    got=$(ip netns exec "$send" env -u QZSEND_BCAST -u QZSEND_WINS QZSEND_DNS=0 QZSEND_TIMEOUT=3 "${envs[@]}" \
        "$sender" "$target" "$text" boss)
    if [ "$got" != "$want" ]; then
        echo "FAIL $what: result $got, expected $want"
        fails=$((fails + 1))
        return
    fi
    if [ "$want" = 0 ]; then
        local out
        out=$("$here/smbd-recv.sh" wait --dir "$dir" --timeout 20)
        if ! grep -q "from=BOSS ip=$net.2" <<<"$out" || ! grep -qx "$text" <<<"$out"; then
            echo "FAIL $what: received: $out"
            fails=$((fails + 1))
            return
        fi
    fi
    echo "ok   $what"
}

check "by broadcast" 0 QZSEND_BCAST=$net.255 -- NSRECV "found by broadcast"
check "through the name server" 0 QZSEND_BCAST=none QZSEND_WINS=$net.1 -- nsrecv "found through the name server"
check "interfaces' broadcast address" 0 -- NSRECV "found by the interface broadcast"
check "unknown name" 2273 QZSEND_BCAST=$net.255 QZSEND_WINS=$net.1 -- NOBODYHERE "lost"
check "by address" 0 QZSEND_BCAST=none -- $net.1 "sent to the address"
check "by DNS name" 0 QZSEND_BCAST=none QZSEND_DNS=1 -- nsrecv.qz.test "found by the system resolver"
check "unknown DNS name" 2273 QZSEND_BCAST=none QZSEND_DNS=1 -- nobody.qz.test "lost"
[ $fails = 0 ]
