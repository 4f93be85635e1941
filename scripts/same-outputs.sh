#!/usr/bin/env bash
# Checks that two builds of glenvary-cli write byte-identical reports on the
# benchmark corpus: every format of compare on the 100,000-word pair at
# each unit and several lengths, JSON on the 1,000,000-word pair, density,
# and batch over a folder of the corpus's pieces. For a change that must not
# change any behaviour (a refactoring, a speed-up).
#
#   scripts/same-outputs.sh OLD_CLI NEW_CLI [CORPUS]   (default: build/corpus)
#
# Prints one line per run and "same" or the first difference; exits 1 when
# any output differs.
set -euo pipefail

old=$1
new=$2
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
corpus=${3:-$repo/build/corpus}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Small articles for batch: the 100,000-word pair cut into 20 pieces each.
mkdir -p "$scratch/batch"
split -n l/20 -d "$corpus/a-100k.txt" "$scratch/batch/a-"
split -n l/20 -d "$corpus/b-100k.txt" "$scratch/batch/b-"

runs=()
for unit in words sentences paragraphs; do
    for min in 1 3 6; do
        for format in text json html; do
            runs+=("compare --unit $unit --min $min --format $format $corpus/a-100k.txt $corpus/b-100k.txt")
        done
    done
done
runs+=("compare --min 3 --format json $corpus/a-1m.txt $corpus/b-1m.txt")
runs+=("density --keyword the --format json $corpus/a-100k.txt")
for format in text json html; do
    runs+=("batch --min 3 --threshold 1 --format $format $scratch/batch")
done

differ=0
for run in "${runs[@]}"; do
    # shellcheck disable=SC2086
    "$old" $run > "$scratch/old" 2>&1 || true
    # shellcheck disable=SC2086
    "$new" $run > "$scratch/new" 2>&1 || true
    if cmp -s "$scratch/old" "$scratch/new"; then
        echo "same  $(wc -c < "$scratch/new") bytes  $run"
    else
        echo "DIFFERS  $run: $(cmp "$scratch/old" "$scratch/new" | head -1)"
        differ=1
    fi
done
exit $differ
