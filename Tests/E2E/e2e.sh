#!/usr/bin/env bash
# End-to-end tests of qzsend: the built program runs as a user would run it, against a
# throwaway Samba receiver (smbd) on a loopback address, and its console lines, exit codes,
# received messages and log file are checked.
#
#   e2e.sh <program> <work-dir> <address> <port> start     start the receiver (CTest fixture)
#   e2e.sh <program> <work-dir> <address> <port> stop      stop it
#   e2e.sh <program> <work-dir> <address> <port> <case>    run one case (see the case list below)
#
# A program whose name ends in ".exe" runs under Wine; its console output (OEM code page, CR LF)
# is converted before comparing. Nothing leaves the loopback interface: broadcasts go to a
# loopback listener (QZSEND_BCAST), no name server and no DNS are asked.
set -u
prog=$1 work=$2 addr=$3 port=$4 what=$5
recv=$work/recv
msgs=$recv/msgs

fail() { echo "FAIL: $*" >&2; exit 1; }

# The receiver is scripts/smbd-recv.sh's throwaway smbd (its folders, configuration and pid).
smbd_recv() { "$(dirname "$0")/../../scripts/smbd-recv.sh" "$@"; }

start_recv() {
  rm -rf "$recv"
  # The message command runs as the guest account: the folders above must be traversable.
  mkdir -p "$recv" && chmod 755 "$work"
  smbd_recv start --dir "$recv" --ip "$addr" --port "$port" --name RECV1 --workgroup TESTGRP \
    --charset CP850 >/dev/null || fail "smbd did not start listening on $addr:$port"
}

stop_recv() { smbd_recv stop --dir "$recv"; }

case $what in
  start) start_recv; exit 0 ;;
  stop) stop_recv; exit 0 ;;
esac

# Every case: a clean transport configuration that keeps all traffic on loopback.
export QZSEND_PORT=$port QZSEND_BCAST=none QZSEND_WINS= QZSEND_DNS=0 QZSEND_TIMEOUT=5
export LC_ALL= LANG=en_US.UTF-8 WINEDEBUG=-all
unset QZSEND_CODEPAGE QZSEND_WORKGROUP

out=$work/out.$what rc=0
wine=0
case $prog in *.exe) wine=1 ;; esac

# Runs the program with the arguments; its output (converted to UTF-8, CR removed) goes to
# $out, its exit code to $rc.
run() {
  rm -f "$out"
  if [ $wine = 1 ]; then
    local cp=CP437
    case ${LANG:-} in ru*) cp=CP866 ;; esac
    wine "$prog" "$@" </dev/null 2>/dev/null | iconv -f $cp -t UTF-8 | tr -d '\r' >"$out"
    rc=${PIPESTATUS[0]}
  else
    "$prog" "$@" </dev/null >"$out" 2>/dev/null
    rc=$?
  fi
}

expect_rc() { [ "$rc" = "$1" ] || { cat "$out" >&2; fail "exit code $rc, expected $1"; }; }
expect_out() {
  local want; want=$(printf '%s' "$1")
  [ "$(cat "$out")" = "$want" ] || { printf 'got:\n%s\nexpected:\n%s\n' "$(cat "$out")" "$want" >&2; fail "output differs"; }
}

# Waits until the receiver holds n messages (default 1); sets $got (text) and $from
# (originator) from the first of them and clears the folder.
received() {
  local n=${1:-1}
  for _ in $(seq 100); do
    local all; all=$(ls "$msgs"/*.msg 2>/dev/null)
    if [ -n "$all" ] && [ "$(echo "$all" | wc -l)" -ge "$n" ]; then
      local m; m=$(echo "$all" | head -1)
      # The .meta file ("from=<originator> ip=<address>") is written just after the .msg.
      for _ in $(seq 50); do [ -s "${m%.msg}.meta" ] && break; sleep 0.1; done
      got=$(cat "$m"); from=$(sed -n 's/^from=\([^ ]*\).*/\1/p' "${m%.msg}.meta")
      rm -f "$msgs"/*
      return 0
    fi
    sleep 0.1
  done
  fail "the receiver got fewer than $n messages"
}

# The originator as smbd reports it: every byte outside [A-Za-z0-9_] becomes "_".
smbname() { printf '%s' "$1" | sed 's/[^A-Za-z0-9_]/_/g'; }

rm -f "$msgs"/* 2>/dev/null
sent="the message is sent."
case $what in
  from)
    run "$addr" /FROM:boss 'Disk\nfull'
    expect_rc 0; expect_out "$addr: $sent"; received
    [ "$got" = "$(printf 'Disk\nfull')" ] || fail "text [$got]"
    [ "$from" = BOSS ] || fail "sender [$from]"
    ;;
  nosender)
    run "$addr" hello world
    expect_rc 0; expect_out "$addr: $sent"; received
    [ "$got" = "hello world" ] || fail "text [$got]"
    host=$(hostname | cut -d. -f1 | tr a-z A-Z | cut -c1-15)
    [ "$from" = "$(smbname "$host")" ] || fail "sender [$from], expected the computer name $host"
    ;;
  fromuser)
    run "$addr" -fromuser 'Tab\there'
    expect_rc 0; expect_out "$addr: $sent"; received
    [ "$got" = "$(printf 'Tab\there')" ] || fail "text [$got]"
    user=$(id -un | tr a-z A-Z)
    [ "$(echo "$from" | tr a-z A-Z)" = "$(smbname "$user")" ] || fail "sender [$from], expected the user $user"
    ;;
  escapes)
    run "$addr" /FROM:boss /ESC:# 'one#ntwo' 'three\n'
    expect_rc 0; received
    [ "$got" = "$(printf 'one\ntwo three\\n')" ] || fail "text [$got]"
    ;;
  domain)
    # The broadcast goes to a loopback listener; the datagram must name the domain.
    bport=$((port + 1))
    export QZSEND_BCAST=127.0.0.1:$bport
    perl -MIO::Socket::INET -e '
      my $s = IO::Socket::INET->new(LocalAddr => "127.0.0.1", LocalPort => $ARGV[0], Proto => "udp") or die;
      open(my $o, ">", $ARGV[1]) or die; print $o "ready"; close $o;
      my $rin = ""; vec($rin, fileno($s), 1) = 1;
      select(my $r = $rin, undef, undef, 20) or exit 1;
      $s->recv(my $d, 65536); open($o, ">", $ARGV[2]) or die; binmode $o; print $o $d;' \
      "$bport" "$work/udp.ready" "$work/udp.dgram" &
    lpid=$!
    for _ in $(seq 50); do [ -f "$work/udp.ready" ] && break; sleep 0.1; done
    run /domain:sales /FROM:boss 'all of you'
    wait $lpid || fail "no datagram arrived"
    rm -f "$work/udp.ready"
    expect_rc 0; expect_out "sales*: $sent"
    # The destination is the encoded group name SALES (upper case, padded): "FDEBEMEFFD" + "CA"...
    grep -aq 'FDEBEMEFFDCACACACACACACACACACA' "$work/udp.dgram" || fail "the datagram does not name SALES"
    grep -aq 'MAILSLOT\\MESSNGR' "$work/udp.dgram" || fail "not a Messenger mailslot datagram"
    grep -aq 'all of you' "$work/udp.dgram" || fail "the text is missing"
    ;;
  list)
    lst=$work/names.lst
    printf '%s\r\n127.0.0.9\r\n\r\n%s\n' "$addr" "$addr" >"$lst"
    run "/LIST:$lst" /FROM:boss 'to all'
    expect_rc 0
    [ "$(sed -n 1p "$out")" = "$addr: $sent" ] || fail "line 1: $(sed -n 1p "$out")"
    sed -n 2p "$out" | grep -q "^127.0.0.9: the message isn't sent (error [0-9]*, .*)\.$" || fail "line 2: $(sed -n 2p "$out")"
    [ "$(sed -n 3p "$out")" = "$addr: $sent" ] || fail "line 3: $(sed -n 3p "$out")"
    [ "$(wc -l <"$out")" = 3 ] || fail "$(wc -l <"$out") lines"
    received 2
    ;;
  nolist)
    run /LIST:no-such-file.lst hi
    expect_rc 2
    [ "$(wc -l <"$out")" = 1 ] || fail "$(wc -l <"$out") lines"
    grep -q "^the message isn't sent (error 2, .*)\.$" "$out" || fail "line: $(cat "$out")"
    ;;
  emptylist)
    # A list without names: one failure line whose text says so, and a non-zero exit code
    # (the printed code modulo 256 on POSIX and under Wine).
    lst=$work/empty.lst
    printf '\r\n\r\n' >"$lst"
    run "/LIST:$lst" /FROM:boss hi
    [ "$(wc -l <"$out")" = 1 ] || fail "$(wc -l <"$out") lines"
    grep -q "^the message isn't sent (error [0-9]*, The list holds no names\.)\.$" "$out" || fail "line: $(cat "$out")"
    code=$(sed 's/.*(error \([0-9]*\),.*/\1/' "$out")
    [ "$rc" != 0 ] && [ "$rc" = $((code % 256)) ] || fail "exit code $rc for error $code"
    ;;
  usage)
    run "$addr"
    expect_rc 87
    head -1 "$out" | grep -q '^qzsend.exe {<name>|/DOMAIN\[:<domain>\]|/LIST:<file>}' || fail "usage: $(head -1 "$out")"
    grep -q '^Examples:$' "$out" || fail "no examples"
    [ -z "$(tail -1 "$out")" ] || fail "no empty line after the usage text"
    ;;
  russian)
    export LANG=ru_RU.UTF-8
    run "$addr" /FROM:boss 'Привет'
    expect_rc 0; expect_out "$addr: сообщение отправлено."
    received
    # A Russian locale sends in CP866; the receiver decodes with CP850, so undo that to compare.
    [ "$(printf '%s' "$got" | iconv -f UTF-8 -t CP850 | iconv -f CP866 -t UTF-8)" = 'Привет' ] || fail "text [$got]"
    run
    expect_rc 87
    head -1 "$out" | grep -q '<имя>' || fail "usage: $(head -1 "$out")"
    grep -q '^Пример:$' "$out" || fail "no Russian example"
    run /LIST:no-such-file.lst hi
    expect_rc 2
    grep -q "^сообщение не отправлено (ошибка 2, .*)\.$" "$out" || fail "line: $(cat "$out")"
    ;;
  empty)
    run "$addr" /FROM:boss
    expect_rc 0; expect_out ""
    run "$addr" ''
    expect_rc 0; expect_out ""
    ;;
  wli)
    # A .wli file beside the program switches the log on; the engine's lines reach the log.
    dir=$work/wli
    rm -rf "$dir"; mkdir -p "$dir"
    cp "$prog" "$dir/"
    base=$(basename "$prog"); base=${base%.exe}
    printf '[Evts]\r\n.=\r\n' >"$dir/$base.wli"
    prog=$dir/$(basename "$prog")
    run "$addr" /FROM:boss 'Disk\nfull'
    expect_rc 0; received
    [ -f "$dir/$base.log" ] || fail "no log file"
    grep -aq "NetSend($addr,boss,msglen=9) end(rc=0)" "$dir/$base.log" || fail "no engine line in the log"
    ;;
  *) fail "unknown case $what" ;;
esac
echo "ok: $what"
