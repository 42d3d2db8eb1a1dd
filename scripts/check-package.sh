#!/usr/bin/env bash
# Checks the Debian package as a packager and an administrator would see it: builds
# it (scripts/package.sh), runs lintian, validates the menu entry, the AppStream
# metainfo and the manual pages, then installs it, runs the GEP and CSV account
# creations on copies of the sample school and the login slips with the installed
# programs, and removes it. Installing needs root (or sudo); without either, that part is skipped.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

status=0
fail() {
  echo "check-package: $*" >&2
  status=1
}

echo "=== Package: build"
deb=$(bash "$top/scripts/package.sh" | tail -n 1)
echo "$deb"
work=$(mktemp -d /tmp/rolvane-package.XXXXXX)
installed=""
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
cleanup() {
  if [ -n "$installed" ]; then $SUDO dpkg -r rolvane >/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "=== Package: lintian"
lintian_status=0
report=$(lintian --fail-on error "$deb" 2>&1) || lintian_status=$?
grep -v 'running with root privileges is not recommended' <<<"$report" || true
[ "$lintian_status" -eq 0 ] || fail "lintian reports errors (status $lintian_status)"

echo "=== Package: menu entry, AppStream metainfo, manual pages"
tree="$work/tree"
dpkg-deb -x "$deb" "$tree"
desktop-file-validate "$tree/usr/share/applications/rolvane.desktop" ||
  fail "desktop-file-validate refuses rolvane.desktop"
appstreamcli validate --no-net "$tree"/usr/share/metainfo/*.metainfo.xml ||
  fail "appstreamcli refuses the metainfo"
for page in rolvane rolvane-batch; do
  file="$tree/usr/share/man/fr/man1/$page.1.gz"
  [ -L "$tree/usr/share/man/man1/$page.1.gz" ] || fail "no $page(1) in man1"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$file" 2>&1 >/dev/null) ||
    fail "man cannot read $page.1"
  if [ -n "$warnings" ]; then
    echo "$warnings" >&2
    fail "man warns about $page.1"
  fi
done

echo "=== Package: install, run, remove"
if [ -n "$SUDO" ] && ! command -v sudo >/dev/null 2>&1; then
  echo "check-package: neither root nor sudo; install test skipped"
  exit $status
fi
if dpkg-query -W -f='${Status}' rolvane 2>/dev/null | grep -q 'install ok installed'; then
  echo "check-package: a rolvane package is installed already; install test skipped"
  exit $status
fi
$SUDO dpkg -i "$deb"
installed=yes

# The installed programs alone: no build folder, no library folder from the caller.
run() {
  (cd "$work" && env -u ROLVANE_LIBRARY_DIR -u ROLVANE_COMPONENT_DIR "$@")
}
[ "$(run /usr/bin/rolvane-batch --version)" = "$(run /usr/bin/rolvane --version | sed 's/^rolvane /rolvane-batch /')" ] ||
  fail "the two programs give different versions"

mkdir "$work/gep" "$work/csv"
cp "$top"/samples/gep/* "$work/gep/"
cp "$top"/samples/csv/ELEVES.CSV "$top"/samples/csv/PROFS.CSV "$work/csv/"
# gep-create needs vandrel1.dlp; csv-create needs the component as well.
for job in "gep-create --dir $work/gep --rne1 0590001A --yes" "csv-create --dir $work/csv"; do
  set +e
  # shellcheck disable=SC2086
  run /usr/bin/rolvane-batch $job >"$work/out" 2>"$work/err"
  code=$?
  set -e
  dir=${job#* --dir }
  dir=${dir%% *}
  if [ "$code" -ne 0 ] || [ ! -s "$dir/ComptesAajouter.txt" ]; then
    cat "$work/out" "$work/err" >&2
    fail "installed rolvane-batch $job: status $code"
  else
    echo "rolvane-batch $job: status 0, $(wc -l <"$dir/ComptesAajouter.txt") lines in ComptesAajouter.txt"
  fi
done

# The login slips of the new accounts: the PDF module is loaded from /usr/lib/rolvane.
if run /usr/bin/rolvane-batch slips --dir "$work/gep" --all >"$work/out" 2>"$work/err" &&
  [ -s "$work/gep/fiches-toutes-classes.pdf" ]; then
  echo "rolvane-batch slips: status 0, $(ls "$work/gep" | grep -c '^fiches-.*\.pdf$') PDF files"
else
  cat "$work/out" "$work/err" >&2
  fail "installed rolvane-batch slips wrote no fiches-toutes-classes.pdf"
fi

# A UTF-8 source with letters Windows-1252 lacks: the full-text module (ICU) is
# loaded from /usr/lib/rolvane to spell them in plain letters.
mkdir "$work/utf8"
printf 'WA\305\201\304\230SA;\305\201ukasz;3A;01/02/2010\r\n' >"$work/utf8/ELEVES.CSV"
if run /usr/bin/rolvane-batch csv-create --dir "$work/utf8" >"$work/out" 2>"$work/err" &&
  grep -q '^WALESA;LUKASZ;c3a;walesa\.lukasz;' "$work/utf8/ComptesAajouter.txt"; then
  echo "rolvane-batch csv-create (UTF-8, letters spelt by the full-text module): status 0"
else
  cat "$work/out" "$work/err" >&2
  fail "installed rolvane-batch did not spell WAŁĘSA Łukasz as WALESA LUKASZ"
fi

$SUDO dpkg -r rolvane
installed=""
for path in /usr/bin/rolvane /usr/bin/rolvane-batch /usr/lib/rolvane; do
  [ ! -e "$path" ] || fail "$path is left after dpkg -r"
done
[ "$status" -eq 0 ] && echo "check-package: the package passes every check"
exit $status
