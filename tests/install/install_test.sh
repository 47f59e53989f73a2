#!/usr/bin/env bash
# Installing the program as an office would: into a temporary folder with temporary desktop
# folders (the real home is never touched), the menu entry checked by desktop-file-validate, the
# installed program started in its folder, the desktop's language written once, and reinstalling
# and uninstalling keeping every data file.
#   install_test.sh SCRIPT PROGRAM
set -uo pipefail

script=$1
program=$2
work=$(mktemp -d)
running=
cleanup() {
  [[ -n $running ]] && kill "$running" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

export HOME=$work/home XDG_DATA_HOME=$work/share XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
mkdir -p "$HOME"
unset LC_ALL LC_MESSAGES LANG
entry=$XDG_DATA_HOME/applications/horavant.desktop
icon=$XDG_DATA_HOME/icons/hicolor/scalable/apps/horavant.svg
# Blanks, a quote, a dollar and a per cent sign in the folder name, which the entry must escape.
prefix="$work/Büro \"Nord\" \$5 100%/Horavant"

language_of() {
  od -An -tu1 -N4 "$1" | tr -s ' ' | sed 's/^ //'
}

# The language written for each locale; a folder that has options.dat keeps it.
while read -r expected variables; do
  folder=$work/locale-$expected-${variables//[^a-zA-Z0-9]/_}
  # A locale this machine lacks makes bash warn; what counts is what the script reads from it.
  env $variables "$script" install "$program" "$folder" >/dev/null 2>"$work/errors" \
    || fail "install with $variables: $(cat "$work/errors")"
  [[ $(language_of "$folder/options.dat") == "$expected 0 0 0" ]] \
    || fail "$variables gave options.dat $(language_of "$folder/options.dat"), expected $expected"
done <<'CASES'
0 LANG=de_DE.UTF-8
1 LANG=en_GB.UTF-8
2 LANG=es_ES.UTF-8
2 LANG=es_MX
1 LANG=en
0 LANG=fr_FR.UTF-8
0 LANG=C.UTF-8
0 LANG=
2 LANG=de_DE.UTF-8 LC_ALL=es_ES.UTF-8
1 LANG=de_DE.UTF-8 LC_MESSAGES=en_US.UTF-8
2 LC_ALL=es_AR@euro LC_MESSAGES=en_US.UTF-8
CASES

LANG=en_US.UTF-8 "$script" install "$program" "$prefix" >/dev/null || fail "install"
[[ -x $prefix/horavant ]] || fail "no program in the folder"
[[ -f $icon ]] || fail "no icon"
if ! output=$(desktop-file-validate "$entry" 2>&1) || [[ -n $output ]]; then
  fail "desktop-file-validate: $output"
fi
grep -qx 'Categories=Office;' "$entry" || fail "the entry is not in Office"
grep -qx 'Icon=horavant' "$entry" || fail "the entry has not our icon"
for key in 'Comment' 'Comment\[en\]' 'Comment\[es\]'; do
  grep -q "^$key=." "$entry" || fail "the entry has no $key"
done
expected_exec='Exec="'$work'/Büro \\"Nord\\" \\$5 100%%/Horavant/horavant"'
grep -qxF "$expected_exec" "$entry" || fail "Exec: $(grep '^Exec=' "$entry"), expected $expected_exec"

# The installed program starts in its folder and shows its login window, in English: its first
# showing creates the table and writes the window texts with their translations to translate.dat.
(cd "$prefix" && QT_QPA_PLATFORM=offscreen exec ./horavant) >"$work/program.log" 2>&1 &
running=$!
for _ in $(seq 100); do
  [[ -s $prefix/arbeitszeit.dbf && -s $prefix/translate.dat ]] && break
  sleep 0.2
done
sleep 0.5
if kill -0 "$running" 2>/dev/null; then
  kill "$running"
  wait "$running" 2>/dev/null
else
  fail "the installed program ended by itself: $(cat "$work/program.log")"
fi
running=
[[ -s $prefix/arbeitszeit.dbf ]] || fail "the program created no table in its folder"
# grep reads to the end, so iconv never meets a closed pipe.
iconv -c -f UTF-16LE -t UTF-8 "$prefix/translate.dat" | grep -a 'Log in as user' >/dev/null \
  || fail "translate.dat holds no English window text"

# Reinstalling keeps every data file; uninstalling too, and removes the rest.
mkdir -p "$prefix/Sicherung"
printf 'users' >"$prefix/benutzer.dat"
printf 'backup' >"$prefix/Sicherung/arbeitszeit.dbf"
data=(arbeitszeit.dbf benutzer.dat options.dat translate.dat Sicherung/arbeitszeit.dbf)
mkdir -p "$work/before"
for f in "${data[@]}"; do cp "$prefix/$f" "$work/before/${f//\//_}"; done
check_data() {
  for f in "${data[@]}"; do
    cmp -s "$prefix/$f" "$work/before/${f//\//_}" || fail "$1 changed or removed $f"
  done
}
LANG=es_ES.UTF-8 "$script" install "$program" "$prefix" >/dev/null || fail "reinstall"
check_data "reinstalling"

# Another installation's entry stays when this one goes.
"$script" uninstall "$work/elsewhere" >/dev/null || fail "uninstall of a folder never installed"
[[ -f $entry && -f $icon ]] || fail "uninstalling another folder removed this installation's entry"

"$script" uninstall "$prefix" >/dev/null || fail "uninstall"
[[ ! -e $prefix/horavant && ! -e $entry && ! -e $icon ]] || fail "uninstall left the program, entry or icon"
check_data "uninstalling"
"$script" uninstall "$prefix" >/dev/null || fail "a second uninstall"

[[ -z $(ls -A "$HOME") ]] || fail "something was written to the home folder: $(ls -A "$HOME")"
exit $((failures > 0))
