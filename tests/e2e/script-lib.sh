# The scripted calls of Zelcap.exe the end-to-end runs make, after
# e2e-lib.sh: each call from the work folder, its JSON result read with jq.
#   . script-lib.sh
# SCRIPT_TIMEOUT, when set, is the seconds a call may wait for its answer.
exe="Z:${ZELCAP_BUILD//\//\\}\\Zelcap.exe"

call() {
    (cd "$E2E_WORK" && "$ZELCAP_WINE" cmd /c "$exe" "$@" ${SCRIPT_TIMEOUT:+/timeout:$SCRIPT_TIMEOUT} \
        </dev/null 2>/dev/null)
}
field() { jq -r "$1" "$E2E_WORK/last.json" 2>/dev/null; }
expect() {  # expect CODE ERROR what -- arguments
    local code=$1 error=$2 what=$3 rc
    shift 4
    rm -f "$E2E_WORK/last.json"
    call "$@" /result:last.json >/dev/null; rc=$?
    if [ $rc = "$code" ] && [ "$(field '.error // "none"')" = "$error" ]; then
        pass "$what"
    else
        fail "$what: rc $rc, $(cat "$E2E_WORK/last.json" 2>/dev/null)"
    fi
}
same() {  # same WHAT GOT WANT
    [ "$2" = "$3" ] && pass "$1" || fail "$1: got '$2', want '$3'"
}
