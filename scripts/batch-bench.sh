#!/usr/bin/env bash
# Times a batch run over many generated articles, and checks on a subset
# that finding the pairs through shared runs lists the same pairs as
# comparing every pair:
#
#   scripts/batch-bench.sh [BUILD_DIR] [ARTICLES] [SUBSET]   (default: build 10000 500)
#
# The articles are the archive bench's documents (bench/archive_bench.cpp
# --write: about 2,000 words each from a word-pair model of real prose,
# every tenth with a passage of another), written to a scratch folder that
# goes when the script ends. The run is `batch --threshold 5 --min 8`.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
articles=${2:-10000}
subset=${3:-500}
cli=$build/src/app/glenvary-cli
driver=$build/bench/glenvary_archive_bench
for program in "$cli" "$driver"; do
  [ -x "$program" ] || { echo "batch-bench: build $(basename "$program") first" >&2; exit 1; }
done
bash "$repo/scripts/make-corpus.sh" "$build/corpus" >/dev/null

scratch=$(mktemp -d /tmp/glenvary-batch-bench-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
"$driver" --corpus "$build/corpus" --write "$scratch/all" --documents "$articles" >/dev/null
mkdir "$scratch/subset"
documents=("$scratch"/all/doc-*.txt)
cp -t "$scratch/subset" "${documents[@]:0:$subset}"

pairs() { python3 -c 'import json,sys; r=json.load(open(sys.argv[1])); print(r["compared_pairs"], len(r["pairs"]))' "$1"; }

echo "== batch --threshold 5 --min 8 over $articles articles"
start=$(date +%s.%N)
"$cli" batch --threshold 5 --min 8 --format json -o "$scratch/all.json" "$scratch/all"
echo "seconds: $(echo "$(date +%s.%N) - $start" | bc)"
read -r compared listed < <(pairs "$scratch/all.json")
echo "pairs: $((articles * (articles - 1))); compared: $compared; listed: $listed"

echo "== the first $subset articles, through shared runs and every pair"
start=$(date +%s.%N)
"$cli" batch --threshold 5 --min 8 --format json -o "$scratch/runs.json" "$scratch/subset"
echo "shared_runs_seconds: $(echo "$(date +%s.%N) - $start" | bc)"
start=$(date +%s.%N)
"$cli" batch --all-pairs --threshold 5 --min 8 --format json -o "$scratch/every.json" "$scratch/subset"
echo "every_pair_seconds: $(echo "$(date +%s.%N) - $start" | bc)"
if python3 -c 'import json,sys; a,b=(json.load(open(f))["pairs"] for f in sys.argv[1:]); sys.exit(a!=b)' \
    "$scratch/runs.json" "$scratch/every.json"; then
  echo "same_pairs: yes ($(pairs "$scratch/runs.json" | cut -d' ' -f2) listed)"
else
  echo "same_pairs: NO"; exit 1
fi
