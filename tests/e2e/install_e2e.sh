#!/usr/bin/env bash
# What a user downloads, in a Wine prefix of its own made afresh: the
# installer run silently puts the program and its shortcut in place; Zelcap
# started from that shortcut shows its window, writes Zelcap.ini in the
# per-user folder and opens its help; the silent uninstaller takes away the
# program and its uninstall entry but leaves the user's settings and
# captures. Then the zip, unpacked into an empty folder, starts and captures.
. "$(dirname "$0")/e2e-lib.sh" "$1"
ROOT=$(cd "$(dirname "$0")/../.." && pwd)

if [ "$(bash "$ROOT/tools/wine-arch.sh")" = win64 ]; then
    echo "note: this host runs no 32-bit code, so the shipped 32-bit installer and zip" \
        "cannot run here; testing the same packages made from the 64-bit build"
fi
"$ROOT/tools/dist.sh" "$ZELCAP_BUILD" "$E2E_WORK/dist" >/dev/null || { fail "tools/dist.sh failed"; e2e_finish; }
version=$(cat "$ZELCAP_BUILD/version")
setup=$(ls "$E2E_WORK"/dist/Zelcap-"$version"-*setup.exe)
zipfile=$(ls "$E2E_WORK"/dist/Zelcap-"$version"-win*.zip)
(cd "$E2E_WORK/dist" && sha256sum -c --quiet SHA256SUMS) && pass "SHA256SUMS matches both packages" ||
    fail "SHA256SUMS does not match"

# A prefix, and a home, of this test's own; its wineserver ends with it.
export HOME="$E2E_WORK/home" WINEPREFIX="$E2E_WORK/prefix"
mkdir -p "$HOME"
install_cleanup() { wineserver -k 2>/dev/null; e2e_cleanup; }
trap install_cleanup EXIT
zelcap_ensure_prefix || { fail "no fresh prefix"; e2e_finish; }
drive_c="$WINEPREFIX/drive_c"
program_files="$drive_c/Program Files/Zelcap"
user_folder=$(ls -d "$drive_c"/users/*/Documents | grep -v /Public/ | head -n 1)/Zelcap
shortcut=$(ls -d "$drive_c"/users/*/AppData/Roaming/Microsoft/Windows | grep -v /Public/ | head -n 1)
shortcut="$shortcut/Start Menu/Programs/Zelcap/Zelcap.lnk"
# Closes a window with Alt+F4 (the test display has no window manager to
# ask) and waits until it is gone.
close_window() {
    xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
    xdotool key --clearmodifiers alt+F4
    for _ in $(seq 50); do
        xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
        sleep 0.2
    done
    return 1
}
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zelcap'

"$ZELCAP_WINE" "$setup" /S >/dev/null 2>&1
timeout 120 wineserver -w || fail "the installer did not finish"
for f in Zelcap.exe ZCP2Help.chm Readme.txt License.txt ipaexg.ttf IPA_Font_License.txt Uninstall.exe \
    tessdata/jpn.traineddata tessdata/eng.traineddata; do
    [ -f "$program_files/$f" ] && pass "installed $f" || fail "no $program_files/$f"
done
[ -f "$shortcut" ] && pass "Start-menu shortcut made" || fail "no $shortcut"
# The working folder is stored in the link as UTF-16.
if strings -el "$shortcut" | grep -q 'Documents\\Zelcap$'; then
    pass "the shortcut starts Zelcap in Documents\\Zelcap"
else
    fail "the shortcut's working folder is not Documents\\Zelcap"
fi
[ -d "$user_folder" ] && pass "the per-user folder exists" || fail "no $user_folder"
reg=$("$ZELCAP_WINE" reg query "$uninstall_key" 2>/dev/null | tr -d '\r')
printf '%s\n' "$reg" | grep -q "DisplayName.*Zelcap $version" && pass "registered under Add/Remove Programs" ||
    fail "no uninstall entry: $reg"

# Started the way the shortcut starts it (start.exe resolves the link).
winlink="C:${shortcut#"$drive_c"}"
winlink=${winlink//\//\\}
"$ZELCAP_WINE" start "$winlink" >/dev/null 2>&1
if window=$(wait_for_window "新規 - Zelcap Ver$version"); then
    pass "the shortcut started Zelcap and its window shows"
else
    fail "no Zelcap window after starting the shortcut"; e2e_finish
fi
for _ in $(seq 50); do [ -f "$user_folder/Zelcap.ini" ] && break; sleep 0.1; done
[ -f "$user_folder/Zelcap.ini" ] && pass "Zelcap.ini written in the per-user folder" ||
    fail "no Zelcap.ini in $user_folder"
[ ! -e "$program_files/Zelcap.ini" ] || fail "Zelcap.ini landed in Program Files"

# ヘルプ(&H) → 目次(&C): HTML Help opens its window titled as the help file.
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers alt+h
sleep 0.3
xdotool key c
if help=$(wait_for_window "Zelcap ヘルプ"); then
    pass "the help contents opened from the per-user folder"
    close_window "$help"
else
    fail "no help window after ヘルプ → 目次"
fi
close_window "$window" && pass "Zelcap closed" || fail "Zelcap did not close"
[ -s "$user_folder/Zelcap.ini" ] && pass "Zelcap.ini in the per-user folder holds the settings" ||
    fail "Zelcap.ini in the per-user folder is empty after closing"

# What the user made there: a capture folder with a capture in it.
mkdir -p "$user_folder/captures"
printf 'BM' >"$user_folder/captures/a1.bmp"
"$ZELCAP_WINE" "C:\\Program Files\\Zelcap\\Uninstall.exe" /S >/dev/null 2>&1
# The uninstaller runs on from a copy in the temporary folder.
for _ in $(seq 150); do [ -e "$program_files" ] || break; sleep 0.2; done
[ ! -e "$program_files" ] && pass "the uninstaller removed Program Files\\Zelcap" ||
    fail "left behind: $(ls "$program_files" 2>&1)"
[ ! -e "$shortcut" ] && pass "the shortcut is gone" || fail "shortcut left behind"
"$ZELCAP_WINE" reg query "$uninstall_key" >/dev/null 2>&1 && fail "uninstall entry left behind" ||
    pass "uninstall entry removed"
[ -s "$user_folder/Zelcap.ini" ] && pass "the user's Zelcap.ini stays" || fail "Zelcap.ini removed"
[ -f "$user_folder/captures/a1.bmp" ] && pass "the user's capture folder stays" || fail "captures removed"
[ ! -e "$user_folder/ZCP2Help.chm" ] && pass "the help copy in the per-user folder is gone" ||
    fail "ZCP2Help.chm left in the per-user folder"

# The zip: unpacked into an empty folder, Zelcap starts there and captures
# once (whole screen on Ctrl+Shift+F8: Shift 1 + Ctrl 2, virtual key 119).
unpacked="$E2E_WORK/unpacked"
mkdir -p "$unpacked"
unzip -q "$zipfile" -d "$unpacked" || fail "cannot unpack $zipfile"
for f in Zelcap.exe ZCP2Help.chm Readme.txt License.txt ipaexg.ttf IPA_Font_License.txt \
    tessdata/jpn.traineddata tessdata/eng.traineddata; do
    [ -f "$unpacked/$f" ] || fail "the zip lacks $f"
done
iconv -f CP932 -t UTF-8 "$unpacked/Readme.txt" >/dev/null 2>&1 && pass "Readme.txt is Shift-JIS text" ||
    fail "Readme.txt is not Shift-JIS"
winunpacked="Z:${unpacked//\//\\}"
printf '%s\r\n' '[File_Set]' 'Aウィンドウ：修飾キー=3' 'Aウィンドウ：キー=119' 'Aウィンドウ：監視=1' \
    "保存先=$winunpacked" '画像ファイル名=zip' '画像ファイル開始番号=1' |
    iconv -f UTF-8 -t CP932 >"$unpacked/Zelcap.ini"
(cd "$unpacked" && exec "$ZELCAP_WINE" Zelcap.exe >/dev/null 2>&1 </dev/null) &
E2E_PID=$!
if window=$(wait_for_window "新規 - Zelcap Ver$version"); then
    pass "the unpacked Zelcap.exe starts"
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    xdotool key --clearmodifiers ctrl+alt+s
    sleep 0.5
    xdotool key --clearmodifiers ctrl+shift+F8
    for _ in $(seq 50); do [ -s "$unpacked/zip1.bmp" ] && break; sleep 0.1; done
    [ "$(head -c 2 "$unpacked/zip1.bmp" 2>/dev/null)" = BM ] && pass "the unpacked Zelcap captured zip1.bmp" ||
        fail "no capture from the unpacked Zelcap"
    close_discarding_history "$window" || fail "no save question on closing with a new record"
    wait_for_exit; rc=$?
    [ $rc = 0 ] || fail "the unpacked Zelcap ended with exit code $rc"
else
    fail "the unpacked Zelcap.exe shows no window"
fi
e2e_finish
