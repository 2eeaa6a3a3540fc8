#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Prints the reference card through the print system, as a user does with "&Stampa": a PDF
# queue of the local print server is the default printer; the pages that come out must match
# the card written directly (with Γ and ² in its text). Then the rows of cups_print_cases.tsv:
# each way the default queue can fail must raise its message box within a few seconds, and the
# window's event loop must keep running. Starts the print server when none runs (as root) and
# removes it and the queues again. Exits 77 (skipped) when that cannot be done.
#   cups_print_test.sh <message_print_probe>
set -uo pipefail
probe=${1:?usage: cups_print_test.sh <message_print_probe>}
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; exit 1; }
running() { lpstat -r 2>/dev/null | grep -q "is running"; }

for tool in cupsd lpadmin pdfinfo pdftotext pdftoppm python3 /usr/lib/cups/backend/cups-pdf; do
  command -v "$tool" >/dev/null || skip "no $tool (cups, printer-driver-cups-pdf, poppler-utils)"
done
ppd=$(ls /usr/share/ppd/cups-pdf/*.ppd 2>/dev/null | head -1) && [[ -n $ppd ]] || skip "no cups-pdf PPD"
[[ $(id -u) == 0 ]] || skip "not root: cannot start the print server or add a queue"

queue=numerellatest$$ broken=numerellatest$$x  # every job of the broken queue fails
out=$(mktemp -d) && chmod 1777 "$out" && work=$(mktemp -d) server="" silent="" old_default=""
cleanup() {
  lpadmin -x "$queue" 2>/dev/null; lpadmin -x "$broken" 2>/dev/null
  [[ -n $old_default ]] && lpadmin -d "$old_default" 2>/dev/null
  rm -f /etc/cups/cups-pdf-"$queue".conf /etc/cups/cups-pdf-"$broken".conf
  for pid in $server $silent; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  rm -rf "$out" "$work"
}
trap cleanup EXIT

if ! running; then
  mkdir -p /run/cups /var/spool/cups /var/cache/cups
  cupsd -f >"$work/cupsd.log" 2>&1 &
  server=$!
  for _ in $(seq 50); do running && break; sleep 0.2; done
  running || skip "the print server did not start: $(tail -3 "$work/cupsd.log" | tr '\n' ' ')"
fi
old_default=$(lpstat -d 2>/dev/null | sed -n 's/^system default destination: //p')
# Each queue's own output folder (the backend reads cups-pdf-<name>.conf for cups-pdf:/<name>).
printf 'Out %s\nAnonDirName %s\nLog %s\nLogType 3\n' "$out" "$out" "$out" >/etc/cups/cups-pdf-"$queue".conf
printf 'Out /proc/numerella\n' >/etc/cups/cups-pdf-"$broken".conf
lpadmin -p "$queue" -E -v "cups-pdf:/$queue" -P "$ppd" && lpadmin -d "$queue" &&
  lpadmin -p "$broken" -E -v "cups-pdf:/$broken" -P "$ppd" -o printer-error-policy=abort-job ||
  fail "lpadmin could not add the queues"
# A print server that takes connections and never answers.
python3 -c 'import socket, sys
s = socket.socket(socket.AF_UNIX); s.bind(sys.argv[1]); s.listen(64); held = []
while True: held.append(s.accept()[0])' "$work/silent.sock" &
silent=$!
for _ in $(seq 50); do [[ -S $work/silent.sock ]] && break; sleep 0.1; done

# Runs the probe on the default queue $1 with the further environment $2...; sets $boxes.
run_probe() {
  local dest=$1 result status stall && shift
  result=$(env PRINTER="$dest" LPDEST="$dest" "$@" timeout 15 "$probe" "$work/direct.pdf")
  status=$?
  echo "$result"
  [[ $status == 124 ]] && fail "printing did not end within 15 s"
  stall=$(sed -n 's/^stall: //p' <<<"$result")
  ((stall < 1500)) || fail "the window's event loop stood still for $stall ms"
  boxes=$(sed -n 's/^box: //p' <<<"$result")
  [[ $status == 0 || ($status == 1 && -n $boxes) || (-n ${retry:-} && -z $boxes) ]] ||
    fail "the probe ended with status $status (2: the printer's orientation was not restored)"
}

run_probe "$queue"
[[ -z $boxes ]] || fail "the card was not printed: $boxes"
while IFS=$'\t' read -r setup expected; do
  [[ -z $setup || $setup == \#* ]] && continue
  case $setup in
    rejecting) cupsreject "$queue" && run_probe "$queue" && cupsaccept "$queue" ;;
    # The server fails the job once its backend has run, which on a busy machine may come after
    # the program's wait (the job then counts as taken): up to three tries.
    failing) for _ in 1 2 3; do retry=1 run_probe "$broken" && [[ -n $boxes ]] && break; done ;;
    silent) run_probe "$queue" CUPS_SERVER="$work/silent.sock" ;;
  esac
  [[ $boxes == "$expected" ]] || fail "$setup: expected the message \"$expected\", got \"$boxes\""
done <"$(dirname "$0")/cups_print_cases.tsv"

# Two jobs: the card from "&Stampa", then the orientation check.
for _ in $(seq 120); do
  (($(find "$out" -name '*.pdf' | wc -l) >= 2)) && [[ -z $(lpstat -o "$queue") ]] && break || sleep 0.5
done
mapfile -t pdfs < <(ls -tr "$out"/*.pdf 2>/dev/null)
((${#pdfs[@]} >= 2)) || fail "expected two PDF files in $out, found ${#pdfs[@]}"
text=$(pdftotext -layout "$work/direct.pdf" -)
grep -q "Γ(x)=(x-1)!" <<<"$text" && grep -q "Del X² o di Pearson" <<<"$text" ||
  fail "no Γ or ² in the card: $(head -c 300 <<<"$text")"
for pdf in "${pdfs[@]}"; do
  python3 "$(dirname "$0")/cups_page_check.py" "$pdf" "$work/direct.pdf" "$work" || fail "$(basename "$pdf")"
done
