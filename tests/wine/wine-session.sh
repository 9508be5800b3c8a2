#!/bin/sh
# Starts (start) or ends (stop) the Wine session the wine_* tests share, in $WINEPREFIX.
# Wine's server and its services outlive the program that starts them and keep its output open:
# started by a test, they would make CTest wait for them. Started here, they hold /dev/null and
# stay until stop (or a minute after the last program, should stop never come).
set -eu
wine="$1" server="$2" action="$3"
log="$WINEPREFIX.log"
case "$action" in
start)
    # Makes the prefix on first use (about 10 s), brings it up to date afterwards.
    if ! "$wine" wineboot --init </dev/null >"$log" 2>&1; then
        cat "$log"
        exit 1
    fi
    "$server" -k 2>/dev/null || true
    "$server" -p60 </dev/null >/dev/null 2>&1
    "$wine" wineboot </dev/null >"$log" 2>&1 || { cat "$log"; exit 1; }
    ;;
stop)
    "$server" -k 2>/dev/null || true
    ;;
*)
    echo "wine-session.sh: start or stop, not '$action'" >&2
    exit 2
    ;;
esac
