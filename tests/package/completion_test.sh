#!/usr/bin/env bash
# Runs the generated bash completion of glenvary-cli on typical command
# lines and checks what it offers.
# Usage: completion_test.sh COMPLETION_SCRIPT
set -uo pipefail
# shellcheck disable=SC1090
source "$1"
cd "$(mktemp -d)" && touch notes.txt && trap 'rm -rf "$PWD"' EXIT

failures=0
# expect "WORDS TYPED" "WHAT IS OFFERED": the last word is the one completed.
expect() {
  read -r -a COMP_WORDS <<<"$1"
  [[ $1 == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _glenvary_cli
  local offered="${COMPREPLY[*]}"
  if [ "$offered" != "$2" ]; then
    echo "completing '$1': offered '$offered', expected '$2'"
    failures=$((failures + 1))
  fi
}

expect "glenvary-cli " "compare batch density archive -h --help --version"
expect "glenvary-cli archive " "add check remove list stats"
expect "glenvary-cli archive check --unit s" "sentences"
expect "glenvary-cli d" "density"
expect "glenvary-cli compare --unit " "words sentences paragraphs"
expect "glenvary-cli batch --unit p" "paragraphs"
expect "glenvary-cli compare --format " "text json html"
expect "glenvary-cli density --format " "text json"
expect "glenvary-cli batch --th" "--threshold"
expect "glenvary-cli density --" "--help --keyword --format"
expect "glenvary-cli compare --min " ""
expect "glenvary-cli compare -o no" "notes.txt"
expect "glenvary-cli compare --min 3 no" "notes.txt"
exit $((failures > 0))
