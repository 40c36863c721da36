#!/usr/bin/env bash
# Runs the Lazarus example: takes the texts of the forms of examples/tasks into its translation
# table, which starts empty (parlix-build --sync-forms), takes the English texts from a
# translator's CSV file (--import), builds the unit (in UTF-8, since the forms are Lazarus
# forms), compiles the program against the real LCL once for each language and runs it, which
# prints its texts. Each step's output is compared with what it must be.
#
#   examples/run-tasks.sh [--screenshots FOLDER] [PARLIX-BUILD]
#
# Without PARLIX-BUILD it builds parlix-build first (in out/example-build). The example is
# copied to out/tasks (or to $PARLIX_TASKS_DIR), so that nothing is generated inside the
# repository. The program runs on a virtual display (Xvfb): the LCL's widgets need one even when
# no window is shown. With --screenshots it also shows both programs' windows under a window
# manager (openbox) and saves a picture of each to FOLDER. Exits with 77 when Free Pascal, the
# LCL or Xvfb is not installed.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"

pictures=""
if [ "${1:-}" = "--screenshots" ]; then
  pictures="$(mkdir -p "$2" && cd "$2" && pwd)"
  shift 2
fi
tool="${1:-}"
if [ -z "$tool" ]; then
  cmake -S "$repo" -B "$repo/out/example-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DPARLIX_GUI=OFF -DPARLIX_TESTS=OFF -DPARLIX_BENCH=OFF >/dev/null
  cmake --build "$repo/out/example-build" --target parlix-build >/dev/null
  tool="$repo/out/example-build/cli/parlix-build"
fi
tool="$(cd "$(dirname "$tool")" && pwd)/$(basename "$tool")"  # the steps run in the copy
lcl=/usr/lib/lazarus/2.2.6
for needed in fpc xvfb-run; do
  if ! command -v "$needed" >/dev/null; then
    echo "run-tasks.sh: $needed is needed: scripts/install-deps.sh installs it" >&2
    exit 77
  fi
done
if [ ! -d "$lcl/lcl/units/x86_64-linux/gtk2" ]; then
  echo "run-tasks.sh: the LCL is needed: apt-get install lcl-units-2.2 lcl-gtk2-2.2" >&2
  exit 77
fi

work="${PARLIX_TASKS_DIR:-$repo/out/tasks}"
rm -rf "$work"
mkdir -p "$work"
cp "$repo"/examples/tasks/* "$work/"
cd "$work"

# Runs a command and compares what it prints with the expected lines.
expect() {
  local expected="$1"
  shift
  local got
  if ! got="$("$@")"; then
    echo "run-tasks.sh: $* failed" >&2
    exit 1
  fi
  if [ "$got" != "$expected" ]; then
    echo "run-tasks.sh: $* printed" >&2
    echo "$got" >&2
    echo "run-tasks.sh: instead of" >&2
    echo "$expected" >&2
    exit 1
  fi
  echo "$got"
}

echo "=== The table from the forms ==="
expect "17 neu, 0 geändert, 0 unverändert, 0 verschwunden, 0 abgelehnt" \
  "$tool" --sync-forms Tasks.ppr 2>/dev/null
expect "0 neu, 0 geändert, 17 unverändert, 0 verschwunden, 0 abgelehnt" \
  "$tool" --sync-forms Tasks.ppr

echo "=== The translator's work ==="
expect "17 neu, 0 geändert, 0 unverändert, 0 unbekannt, 0 abgelehnt, 0 unübersetzt, 0 zu prüfen" \
  "$tool" --import Tasks_en.csv Tasks.ppr
expect "Tasks_translations.ptf: 0 errors, 0 warnings in 17 records" "$tool" --check Tasks.ppr

echo "=== The unit ==="
"$tool" Tasks.ppr
if [ "$(head -c 3 uTexte.pas | od -An -tx1 | tr -d ' ')" != "efbbbf" ]; then
  echo "run-tasks.sh: uTexte.pas is not UTF-8 with a byte-order mark" >&2
  exit 1
fi
echo "parlix-build wrote $work/uTexte.pas (UTF-8)"

declare -A report
report[Deutsch]="Hauptfenster: Aufgaben
Menü: &Datei (&Neue Aufgabe, &Beenden), &Hilfe (&Über Aufgaben...)
Beschriftung: Offene Aufgaben:
Liste: Einkaufen | Steuererklärung abgeben | Fahrrad reparieren
Knopf: Hin&zufügen (Hinweis: Eine neue Aufgabe anlegen)
Statuszeile: Bereit
Info-Fenster: Über Aufgaben
Beschriftung: Aufgaben ist ein Beispiel für Parlix.
Knopf im Rahmen: &Schließen (Hinweis: Das Fenster schließen)"
report[English]="Hauptfenster: Tasks
Menü: &File (&New task, &Quit), &Help (&About Tasks...)
Beschriftung: Open tasks:
Liste: Shopping | File the tax return | Repair the bike
Knopf: A&dd (Hinweis: Create a new task)
Statuszeile: Ready
Info-Fenster: About Tasks
Beschriftung: Tasks is an example for Parlix.
Knopf im Rahmen: &Close (Hinweis: Close the window)"

# The unit defines no language itself, so the compiler's -d chooses one; -B compiles uTexte
# anew for each.
for language in Deutsch English; do
  out="$work/$language"
  mkdir -p "$out"
  if ! fpc -B -Mdelphi -d"$language" -Fu"$lcl/lcl/units/x86_64-linux/gtk2" \
    -Fu"$lcl/lcl/units/x86_64-linux" -Fu"$lcl/components/lazutils/lib/x86_64-linux" \
    -FU"$out" -FE"$out" tasks.lpr >"$out/fpc.log"; then
    cat "$out/fpc.log" >&2
    exit 1
  fi
  echo
  echo "=== tasks compiled with -d$language ==="
  expect "${report[$language]}" xvfb-run -a "$out/tasks" --report
done

if [ -n "$pictures" ]; then
  for language in Deutsch English; do
    display=":$((90 + RANDOM % 100))"
    Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
    xvfb=$!
    sleep 1
    DISPLAY="$display" openbox >/dev/null 2>&1 &
    wm=$!
    sleep 1
    DISPLAY="$display" "$work/$language/tasks" --about &
    program=$!
    sleep 3
    # The black desktop around the two windows is cut away.
    DISPLAY="$display" import -window root "$work/$language/root.png"
    convert "$work/$language/root.png" -trim +repage "$pictures/tasks-$language.png"
    echo "$pictures/tasks-$language.png"
    kill "$program" "$wm" "$xvfb"
    wait "$program" "$wm" "$xvfb" 2>/dev/null || true
  done
fi
