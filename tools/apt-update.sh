#!/usr/bin/env bash
# Refreshes apt's package lists. A mirror in the middle of a sync serves an
# index of the wrong size for a while, and apt-get update then fails the
# whole run; so it is tried again a few times with a pause. When it still
# fails, what failed is said and the lists apt has are used: the install
# that follows fails clearly if a package is really not to be had.
# Usage: apt-update.sh [tries] [pause seconds]
set -uo pipefail
tries=${1:-5}
pause=${2:-20}
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for ((i = 1; i <= tries; i++)); do
    if $SUDO apt-get update -qq >"$log" 2>&1 && ! grep -q '^E:' "$log"; then
        exit 0
    fi
    echo "apt-update: try $i of $tries failed:" >&2
    grep -E '^(E|W):' "$log" | head -5 | sed 's/^/  /' >&2
    [ "$i" -lt "$tries" ] && sleep "$pause"
done
echo "apt-update: the package lists could not all be refreshed; going on with the lists apt has" >&2
exit 0
