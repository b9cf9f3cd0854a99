#!/usr/bin/env bash
# The layering rules of the shared checker, applied to the subsystem folders
# it does not rank yet (ocr/, pack/, retest/) beside the ones it does: a subsystem may
# include base/, settings/, picture/ and another subsystem's platform-free
# headers (never its *_win.h, never app/), and two subsystems include each
# other one way only. Prints one line per include that breaks a rule; exit 1
# if any.
set -u
cd "${1:-.}" || exit 2
subsystems=" capture history view report script ocr pack retest "
new=" ocr pack retest "
rank() {
  case $1 in base|picture) echo 0;; settings) echo 1;; app) echo 3;;
    *) [[ $subsystems == *" $1 "* ]] && echo 2 || echo -1;; esac
}
bad=0
pairs=$(mktemp); trap 'rm -f "$pairs"' EXIT
while IFS= read -r f; do
  from=${f%%/*}; rf=$(rank "$from"); [ "$rf" -ge 0 ] || continue
  while IFS= read -r inc; do
    to=${inc%%/*}; [ "$to" = "$inc" ] && continue
    rt=$(rank "$to"); [ "$rt" -ge 0 ] || continue
    [ "$to" = "$from" ] && continue
    # What the shared checker sees already is left to it.
    [[ $new == *" $from "* || $new == *" $to "* ]] || continue
    if [ "$rt" -gt "$rf" ]; then
      echo "up:     $f -> $inc"; bad=1
    elif [ "$rt" -eq 2 ] && [ "$rf" -eq 2 ] && [[ $inc == *_win.h ]]; then
      echo "across: $f -> $inc (another subsystem's Win32 half)"; bad=1
    fi
    [ "$rt" -eq 2 ] && [ "$rf" -eq 2 ] && echo "$from $to $f -> $inc" >>"$pairs"
  done < <(grep -oE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[^"]+"' "$f" | sed -E 's/.*"([^"]+)"/\1/')
done < <(git ls-files '*.cpp' '*.h' 2>/dev/null | grep -vE '^(tests|tools)/')
while read -r a b; do
  [[ "$a" < "$b" ]] || continue
  grep -q "^$b $a " "$pairs" || continue
  echo "circle: $a <-> $b: $(grep -m1 "^$a $b " "$pairs" | cut -d' ' -f3-); $(grep -m1 "^$b $a " "$pairs" | cut -d' ' -f3-)"; bad=1
done < <(cut -d' ' -f1,2 "$pairs" | sort -u)
exit $bad
