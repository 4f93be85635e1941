#!/usr/bin/env bash
# Builds the benchmark corpus: article pairs of real English prose taken from
# Debian's SWORD packages, so that `make bench` measures Glenvary on the
# vocabulary, sentence lengths and paragraph shapes of real books.
#
#   scripts/make-corpus.sh [FOLDER]      (default: build/corpus in the repository)
#
# FOLDER receives, as UTF-8 text with one blank line between paragraphs:
#   a-1m.txt    1,000,000 words of C. H. Spurgeon's Treasury of David
#   b-1m.txt    700,000 words of Matthew Henry's Concise Commentary with
#               300,000 words of a-1m.txt planted in it: passages of 30 to
#               150 words from random places of a, put in at random places
#   a-100k.txt, b-100k.txt   the same at 100,000 words (30,000 planted)
#   c-1m.txt    Bible text: the King James Version, then the deuterocanonical
#               books of the World English Bible
#   d-1m.txt    commentary: the Scofield Reference Notes, then Matthew Henry;
#               nothing planted, the pair shares only the commentaries' quotations
#   corpus.json what was built: words and planted words of each pair, the seed,
#               the package versions
# Words are counted as runs of characters between white space. The cleaning
# drops the verse keys, footnotes, the "Verses 3-5" headings of the
# commentaries and all markup; headings, paragraphs, poetry lines and list
# items become paragraphs. The planting uses its own seeded generator, so
# the same package versions always give the same files.
#
# Installs what is missing with apt-get (sudo when not root) and needs no
# other network. When FOLDER already holds a corpus of this recipe it only
# says so (well under a second); a first build takes about 20 s.
# Exits 1 with one line on standard error when the corpus cannot be built.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:-$repo/build/corpus}

# Raise it whenever the files it builds change, so that old folders are rebuilt.
recipe=1

files=(a-1m.txt b-1m.txt a-100k.txt b-100k.txt c-1m.txt d-1m.txt corpus.json)
up_to_date=true
for f in "${files[@]}"; do
  [ -s "$out/$f" ] || up_to_date=false
done
if $up_to_date && grep -q "\"recipe\": $recipe," "$out/corpus.json"; then
  echo "make-corpus: $out is up to date"
  exit 0
fi

packages=(python3 libsword-utils sword-comm-tdavid sword-comm-mhcc sword-comm-scofield sword-text-kjv sword-text-web)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo -n)
  fi
  echo "make-corpus: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ! { "${sudo_cmd[@]}" apt-get update -qq && \
         "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; }; then
    echo "make-corpus: cannot install ${missing[*]} with apt-get" >&2
    exit 1
  fi
fi

mkdir -p "$out"
work=$(mktemp -d "$out/.building.XXXXXX")
trap 'rm -rf "$work"' EXIT

python3 - "$work" "$recipe" <<'PYTHON'
import bisect
import html
import json
import re
import subprocess
import sys

work, recipe = sys.argv[1], int(sys.argv[2])

# Fixed, so that every machine builds the same corpus.
SEED = 20240917
PLANTED_SHARE = 0.3
SHORTEST_PASSAGE, LONGEST_PASSAGE = 30, 150

# Tags that stand between paragraphs (OSIS as the SWORD modules store it):
# paragraph and section boundaries, headings, poetry lines, list items and
# table cells.
BREAK = re.compile(r'</?(?:div|chapter|title|lb|l|lg|item|list|p|row|table|cell)\b[^>]*>')
NOTE = re.compile(r'<note\b[^>]*/>|<note\b[^>]*>.*?</note>', re.S)
VERSE_HEADING = re.compile(r'<hi type="bold">\s*Verses?\s+[0-9][0-9\s,\-\u2013.]*</hi>')
TAG = re.compile(r'<[^>]*>')
# The start of a commentary section in the commentaries' OSIS.
SECTION = re.compile(r'<div type="x-milestone" subType="x-preverse" sID="pv([0-9]+)"/>')


class Random:
    """splitmix64: the same numbers from a seed on every Python version."""

    def __init__(self, seed):
        self.state = seed

    def next(self):
        self.state = (self.state + 0x9E3779B97F4A7C15) & 0xFFFFFFFFFFFFFFFF
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & 0xFFFFFFFFFFFFFFFF
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & 0xFFFFFFFFFFFFFFFF
        return z ^ (z >> 31)

    def between(self, low, high):
        """A whole number from low to high, both included."""
        return low + self.next() % (high - low + 1)


def entries(module):
    """(key, body) of every entry of a SWORD module, in module order."""
    dump = subprocess.Popen(['mod2imp', module], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                            text=True, encoding='utf-8', errors='replace')
    key, body = None, []
    for line in dump.stdout:
        if line.startswith('$$$'):
            if body:
                yield key, ''.join(body)
            key, body = line[3:].strip(), []
        else:
            body.append(line)
    if body:
        yield key, ''.join(body)
    if dump.wait() != 0 or key is None:
        raise SystemExit(f'make-corpus: mod2imp cannot read the module {module}')


def paragraphs_of(markup):
    """The paragraphs of OSIS markup, each a list of words; drops those without a letter."""
    text = NOTE.sub(' ', markup)
    text = VERSE_HEADING.sub(' ', text)
    text = BREAK.sub('\n', text)
    text = html.unescape(TAG.sub('', text))
    for line in text.split('\n'):
        words = line.split()
        if any(c.isalpha() for w in words for c in w):
            yield words


def module_paragraphs(module, first_key=None):
    """The paragraphs of a module's text, from the entry whose key starts with
    first_key on."""
    taking = first_key is None
    bodies = []
    for key, body in entries(module):
        taking = taking or key.startswith(first_key)
        # Linked entries repeat one body under consecutive keys.
        if taking and (not bodies or body != bodies[-1]):
            bodies.append(body)
    # The verses of one paragraph are separate entries.
    return paragraphs_of(' '.join(bodies))


def commentary_paragraphs(module):
    """The paragraphs of a commentary module whose entries run on into the
    entries after them, cut off after some 65,000 characters (Matthew Henry's
    Concise Commentary as Debian packages it): each commentary section is
    taken once, from an entry that holds it whole, in section order."""
    sections = {}
    bodies = entries(module)
    previous = None
    for item in bodies:
        if previous is not None:
            collect_sections(previous, sections, last_is_whole=False)
        previous = item
    if previous is not None:
        collect_sections(previous, sections, last_is_whole=True)
    for number in sorted(sections):
        yield from paragraphs_of(sections[number])


def collect_sections(entry, sections, last_is_whole):
    _, body = entry
    starts = list(SECTION.finditer(body))
    for i, start in enumerate(starts):
        whole = i + 1 < len(starts)
        if not whole and not last_is_whole:
            break
        number = int(start.group(1))
        if number not in sections:
            sections[number] = body[start.end():starts[i + 1].start() if whole else len(body)]


def take(paragraph_sources, count):
    """Exactly `count` words, as paragraphs, from the sources in turn; the last
    paragraph is cut short where the count is reached."""
    taken, total = [], 0
    for source in paragraph_sources:
        for words in source:
            if total + len(words) >= count:
                taken.append(words[:count - total])
                return taken
            taken.append(words)
            total += len(words)
    raise SystemExit(f'make-corpus: the sources hold only {total} of the {count} words needed')


def flatten(paragraphs):
    """Words in text order and, for each, whether a paragraph ends after it."""
    words, ends = [], []
    for paragraph in paragraphs:
        words.extend(paragraph)
        ends.extend([False] * (len(paragraph) - 1) + [True])
    return words, ends


def plant(source, host, planted, random):
    """Copies `planted` words of `source` into `host` in passages of 30 to 150
    words, each from a random place of `source` (no two overlapping) to a random
    place of `host` (no two at the same place). Returns the text and the number
    of passages."""
    source_words, source_ends = flatten(source)
    host_words, host_ends = flatten(host)
    lengths, left = [], planted
    while left > 0:
        # The remainder must stay a whole passage: 0 or at least the shortest.
        length = left if left <= LONGEST_PASSAGE else random.between(
            SHORTEST_PASSAGE, min(LONGEST_PASSAGE, left - SHORTEST_PASSAGE))
        lengths.append(length)
        left -= length
    taken = []
    passages = []
    for length in lengths:
        while True:
            start = random.between(0, len(source_words) - length)
            if not overlaps(taken, start, length):
                break
        bisect.insort(taken, (start, length))
        passages.append((start, length))
    places = set()
    while len(places) < len(passages):
        places.add(random.between(0, len(host_words)))
    inserts = dict(zip(sorted(places), passages))
    out = []
    for i in range(len(host_words) + 1):
        if i in inserts:
            start, length = inserts[i]
            for j in range(start, start + length):
                out.append(source_words[j])
                # A paragraph end inside the passage stays; one at its end
                # would split the host's paragraph.
                out.append('\n\n' if source_ends[j] and j + 1 < start + length else ' ')
        if i < len(host_words):
            out.append(host_words[i])
            out.append('\n\n' if host_ends[i] else ' ')
    return ''.join(out).rstrip() + '\n', len(passages)


def overlaps(taken, start, length):
    """Whether [start, start + length) overlaps a passage of `taken`, which is
    sorted and whose passages are at most LONGEST_PASSAGE words long."""
    i = bisect.bisect_left(taken, (start - LONGEST_PASSAGE, 0))
    while i < len(taken) and taken[i][0] < start + length:
        s, n = taken[i]
        if s + n > start:
            return True
        i += 1
    return False


def text_of(paragraphs):
    return '\n\n'.join(' '.join(p) for p in paragraphs) + '\n'


def write(name, text):
    with open(f'{work}/{name}', 'w', encoding='utf-8', newline='\n') as f:
        f.write(text)


def package_version(package):
    return subprocess.run(['dpkg-query', '-W', '-f=${Version}', package],
                          capture_output=True, text=True).stdout


spurgeon = list(module_paragraphs('TDavid'))
henry = list(commentary_paragraphs('MHCC'))
scofield = list(module_paragraphs('Scofield'))
pairs = []
for words, suffix in ((1_000_000, '1m'), (100_000, '100k')):
    planted = round(words * PLANTED_SHARE)
    article1 = take([spurgeon], words)
    host = take([henry, scofield], words - planted)
    article2, passages = plant(article1, host, planted, Random(SEED))
    write(f'a-{suffix}.txt', text_of(article1))
    write(f'b-{suffix}.txt', article2)
    pairs.append({'article1': f'a-{suffix}.txt', 'article2': f'b-{suffix}.txt', 'words': words,
                  'planted_words': planted, 'passages': passages,
                  'source1': 'C. H. Spurgeon, The Treasury of David',
                  'source2': "Matthew Henry's Concise Commentary, then the Scofield Reference Notes"})

bible = take([module_paragraphs('engKJV2006eb'),
              module_paragraphs('engWEB2015eb', first_key='Tobit')], 1_000_000)
# Spurgeon from the paragraph after the last one in a-1m.txt on.
notes = take([scofield, henry, spurgeon[len(take([spurgeon], 1_000_000)):]], 1_000_000)
write('c-1m.txt', text_of(bible))
write('d-1m.txt', text_of(notes))
pairs.append({'article1': 'c-1m.txt', 'article2': 'd-1m.txt', 'words': 1_000_000, 'planted_words': 0, 'passages': 0,
              'source1': "the King James Version, then the World English Bible from Tobit on",
              'source2': "the Scofield Reference Notes, Matthew Henry's Concise Commentary, then the Treasury "
                         "of David after the part in a-1m.txt"})

packages = ['sword-comm-tdavid', 'sword-comm-mhcc', 'sword-comm-scofield', 'sword-text-kjv', 'sword-text-web']
summary = {'recipe': recipe, 'seed': SEED, 'pairs': pairs,
           'packages': {p: package_version(p) for p in packages}}
write('corpus.json', json.dumps(summary, indent=2) + '\n')
PYTHON

for f in "${files[@]}"; do
  mv -f "$work/$f" "$out/$f"
done
echo "make-corpus: built $out"
