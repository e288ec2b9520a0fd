#!/bin/sh
# Creates (anew) or stops the private Wine prefix that one test run uses.
#   prefix.sh create DIR   wipe DIR, initialise a prefix there, keep a
#                          persistent wineserver so each test starts fast
#   prefix.sh stop DIR     stop that prefix's wineserver
set -eu
action=$1
export WINEPREFIX=$2
. "$(dirname "$0")/env.sh"

case "$action" in
  create)
    if [ -d "$WINEPREFIX" ]; then
      wineserver -k 2>/dev/null || true
      wineserver -w 2>/dev/null || true
      rm -rf "$WINEPREFIX"
    fi
    mkdir -p "$WINEPREFIX"
    # No X server here: Wine's null display driver still makes (unseen)
    # windows that tests can find, read, draw and close. Written before the
    # prefix boots, so the desktop starts with it.
    cat > "$WINEPREFIX/user.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to \\User\\S-1-5-21-0-0-0-1000

[Software\\Wine\\Drivers] 1700000000
"Graphics"="null"
REG
    # The server and the services that wineboot starts outlive this script:
    # started here with no pipes of the test runner, later tests find them
    # running and start nothing that could hold those pipes open.
    wineserver -p </dev/null >/dev/null 2>&1
    "$TWUTIL_WINE" wineboot -i </dev/null >/dev/null 2>&1
    echo "wine prefix ready: $WINEPREFIX"
    ;;
  stop)
    wineserver -k 2>/dev/null || true
    ;;
  *)
    echo "usage: prefix.sh create|stop DIR" >&2
    exit 2
    ;;
esac
