#!/usr/bin/env bash
# Installs the Debian package on this machine as a user would, uses what it
# installed, removes it again and checks that nothing of it is left.
# Usage: package_test.sh BUILD_DIR VERSION
# Exit status 77 (skipped) when not root, without dpkg and apt-get, or when
# a glenvary package is installed already: the test would replace it.
set -euo pipefail
build=$1 version=$2

skip() { echo "skipped: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
command -v dpkg >/dev/null && command -v apt-get >/dev/null || skip "no dpkg or apt-get: not a Debian system"
if dpkg-query -W -f='${Status}' glenvary 2>/dev/null | grep -q 'ok installed'; then
  skip "a glenvary package is installed already; this test would replace and then remove it"
fi
command -v lintian >/dev/null || { echo "lintian is missing: run scripts/install-deps.sh" >&2; exit 1; }

work=$(mktemp -d)
installed=no
cleanup() {
  # Whatever failed, the machine is left as it was found.
  if [ "$installed" = yes ]; then
    DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -qq glenvary >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "package test: $*" >&2; exit 1; }

# The package of what the build holds now, made in a folder of the test's own.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log"; fail "cpack could not make the package"; }
deb=$(echo "$work"/glenvary_"$version"_*.deb)
[ -f "$deb" ] || fail "cpack made no glenvary_${version}_*.deb"

echo "lintian:"
lintian --fail-on error "$deb" \
  || fail "lintian reports errors"

# Installing pulls in nothing else on a machine that built the program: a
# package that would ask for more is named rather than installed.
others=$(apt-get install -s --no-install-recommends "$deb" 2>/dev/null | awk '/^Inst / && $2 != "glenvary" {print $2}')
[ -z "$others" ] || fail "installing would also install: $others (run scripts/install-deps.sh)"
installed=yes
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" >"$work/apt.log" 2>&1 \
  || { cat "$work/apt.log"; fail "apt-get could not install the package"; }
dpkg -L glenvary >"$work/files"

[ "$(/usr/bin/glenvary-cli --version)" = "glenvary-cli $version" ] || fail "glenvary-cli --version is wrong"

# The samples installed with the documentation share about half their text.
examples=/usr/share/doc/glenvary/examples
report=$(cd / && glenvary-cli compare --min 3 "$examples/article1.txt" "$examples/article2.txt") \
  || fail "compare on the installed examples failed"
grep -Eq '^Duplicate content: [1-9][0-9]?% of article 2' <<<"$report" || fail "unexpected report: $report"

# A PDF goes through the installed document reader and PDF module.
printf '%s\n' '%PDF-1.4' '1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj' \
  '2 0 obj << /Type /Pages /Kids [3 0 R] /Count 1 >> endobj' \
  '3 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> >> >> endobj' \
  '4 0 obj << /Length 44 >> stream' 'BT /F1 12 Tf 72 700 Td (a flat roof can be) Tj ET' 'endstream endobj' \
  '5 0 obj << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> endobj' 'trailer << /Root 1 0 R >>' '%%EOF' \
  >"$work/roof.pdf"
density=$(glenvary-cli density --keyword "flat roof" "$work/roof.pdf") || fail "a PDF could not be read: $density"
grep -q '^Occurrences: 1$' <<<"$density" || fail "unexpected count in the PDF: $density"

# The window reads no command line and has no way to quit at once: it
# counts as started when it is still running, not crashed, after a while.
set +e
QT_QPA_PLATFORM=offscreen timeout 5 /usr/bin/glenvary >"$work/window.log" 2>&1
status=$?
set -e
[ "$status" -eq 124 ] || { cat "$work/window.log"; fail "the window ended at start-up with status $status"; }

man -w glenvary-cli >/dev/null \
  || fail "man glenvary-cli finds no page (does a path-exclude in /etc/dpkg/dpkg.cfg.d drop /usr/share/man?)"
man -w glenvary >/dev/null || fail "man glenvary finds no page"
[ -f /usr/share/bash-completion/completions/glenvary-cli ] || fail "no bash completion installed"

DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -qq glenvary >"$work/apt.log" 2>&1 \
  || { cat "$work/apt.log"; fail "apt-get could not remove the package"; }
installed=no
# Files must be gone; a folder may stay only when another package owns it.
left=()
while IFS= read -r path; do
  if [ -L "$path" ] || [ -f "$path" ]; then
    left+=("$path")
  elif [ -d "$path" ] && ! dpkg -S "$path" >/dev/null 2>&1; then
    left+=("$path/")
  fi
done <"$work/files"
[ ${#left[@]} -eq 0 ] || fail "left on disk after the purge: ${left[*]}"
echo "package test: installed, used and removed $(basename "$deb") ($(wc -l <"$work/files") paths)"
