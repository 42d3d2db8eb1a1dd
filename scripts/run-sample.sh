#!/usr/bin/env bash
# Installs what the build needs, builds Rolvane, and runs the GEP account creation
# on a fresh copy of the bundled sample school; shows the log and the files written.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"
bash "$top/scripts/build.sh" normal | tail -n 1
work=$(mktemp -d /tmp/rolvane-sample.XXXXXX)
cp "$top"/samples/gep/* "$work"/
echo "=== rolvane-batch gep-create --dir $work --rne1 0590001A --yes ==="
set +e
"$top/build/bin/rolvane-batch" gep-create --dir "$work" --rne1 0590001A --yes
code=$?
set -e
echo "=== exit status: $code; files in $work ==="
ls -l "$work"
for f in "$work"/ComptesAajouter.txt "$work"/ComptesProfsAajouter.txt "$work"/GROUPES.TXT; do
  [ -f "$f" ] || continue
  echo "--- $(basename "$f") (Windows-1252, shown in UTF-8) ---"
  iconv -f WINDOWS-1252 -t UTF-8 "$f" | head -n 15
done
exit $code
