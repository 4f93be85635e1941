#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Measures how well glenvary-cli finds planted copies, disguised in the ways
copiers disguise them, and writes the table to docs/quality.md.

Every case is a pair: article 1 of made-up words, and article 2 of other
made-up words with one passage of article 1 planted in it, disguised one
way. The passages that glenvary-cli marks in article 2 are scored against
the planted one at the character level, as the PAN text-alignment
evaluations score detections: precision, recall, granularity and plagdet
(their F1 divided by log2(1 + granularity)). Characters are counted in
article 2, the article checked.

usage: quality.py --cli build/src/app/glenvary-cli [--out docs/quality.md] [--pairs 5]
"""

import argparse
import json
import math
import os
import random
import subprocess
import tempfile

LENGTHS = (3, 6, 10)
PLANTED_WORDS = 40
CYRILLIC = {"a": "\u0430", "e": "\u0435", "o": "\u043e", "p": "\u0440", "c": "\u0441"}
HAN = ("的一是不了人我在有他这中大来上国个到说们为子和你地出道也时年得就那要下以生会自着去之过家学对可里后"
       "小么心多天而能好都然没日于起还发成事只作当想看文无开手十用主行方又如前所本见经头面公同三已老从动两长"
       "知民样现分将外但身些与高意进把法此实回二理美点月明其种声全工己话儿者向情部正名定女问力机给等几很业最间")
KANA = "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"


def made_up_words(rng, count):
    syllables = [c + v for c in "bdfgklmnprstvz" for v in "aeiou"]
    words = set()
    while len(words) < count:
        words.add("".join(rng.choice(syllables) for _ in range(rng.randint(1, 3))))
    return sorted(words)


def latin_tokens(rng, vocabulary, count):
    """Words with the punctuation of a running text attached."""
    tokens = []
    sentence = 0
    for _ in range(count):
        word = rng.choice(vocabulary)
        if sentence == 0:
            word = word.capitalize()
        sentence += 1
        if sentence >= rng.randint(8, 16):
            word += "."
            sentence = 0
        elif rng.random() < 0.08:
            word += ","
        tokens.append(word)
    return tokens


def cjk_text(rng, alphabet, count):
    out = []
    for i in range(count):
        out.append(rng.choice(alphabet))
        if i % 17 == 16:
            out.append("。")
        elif i % 7 == 6:
            out.append("、")
    return "".join(out)


def disguise(kind, rng, words):
    """The planted words disguised as `kind` says."""
    out = []
    for i, word in enumerate(words):
        if kind == "case changes" and i % 2 == 0:
            word = word.upper() if i % 4 == 0 else word.capitalize()
        elif kind == "invisible characters" and i % 3 == 0 and len(word) > 1:
            word = word[:1] + "\u200b" + word[1:]
        elif kind == "look-alike letters" and i % 2 == 0:
            for latin, cyrillic in CYRILLIC.items():
                if latin in word:
                    word = word.replace(latin, cyrillic, 1)
                    break
        elif kind == "changed punctuation":
            word = word.replace(",", ";").replace(".", "!")
            if i % 4 == 1:
                word = "(" + word + ")"
            elif i % 4 == 3:
                word += ":"
        out.append(word)
    return " ".join(out)


def make_case(kind, rng, vocabulary, folder, number):
    """Writes one pair; returns the paths, the planted span in article 2 and
    the extra options' files."""
    extra = {}
    if kind in ("chinese", "japanese"):
        alphabet = HAN if kind == "chinese" else HAN[:60] + KANA
        source = cjk_text(rng, alphabet, 400)
        start = rng.randint(0, len(source) - 120)
        planted = source[start:start + 100]
        before = cjk_text(rng, alphabet, 150) + "。"
        after = "。" + cjk_text(rng, alphabet, 150)
    else:
        source_tokens = latin_tokens(rng, vocabulary, 200)
        first = rng.randint(0, len(source_tokens) - PLANTED_WORDS)
        planted = disguise(kind, rng, source_tokens[first:first + PLANTED_WORDS])
        source = " ".join(source_tokens)
        before = " ".join(latin_tokens(rng, vocabulary, 100)) + " "
        after = " " + " ".join(latin_tokens(rng, vocabulary, 60))
        if kind == "shared template":
            template = " ".join(latin_tokens(rng, vocabulary, 30))
            source = template + "\n" + source
            before = template + "\n" + before
            extra["template"] = template
        elif kind == "quoted passage":
            quote = source_tokens[(first + PLANTED_WORDS + 10) % 150:][:20]
            before += "As they wrote, \u201c" + " ".join(quote) + "\u201d "
    paths = []
    for side, text in ((1, source), (2, before + planted + after)):
        path = os.path.join(folder, f"{number}-{side}.txt")
        with open(path, "w", encoding="utf-8") as out:
            out.write(text)
        paths.append(path)
    if "template" in extra:
        path = os.path.join(folder, f"{number}-template.txt")
        with open(path, "w", encoding="utf-8") as out:
            out.write(extra["template"])
        extra["template"] = path
    return paths, (len(before), len(before) + len(planted)), extra


def options_for(kind, extra):
    return {
        "verbatim": [],
        "case changes": ["--fold"],
        "invisible characters": ["--fold"],
        "look-alike letters": ["--fold"],
        "changed punctuation": ["--words", "unicode"],
        "shared template": ["--ignore-text", extra.get("template", "")],
        "quoted passage": ["--ignore-quoted"],
        "chinese": ["--words", "unicode"],
        "japanese": ["--words", "unicode"],
    }[kind]


def detections(cli, paths, length, options):
    run = subprocess.run([cli, "compare", "--format", "json", "--min", str(length)] + options + paths,
                         capture_output=True, check=True, text=True)
    report = json.loads(run.stdout)
    # UTF-16 offsets; every text here is within the Basic Multilingual
    # Plane, so they are Python's string offsets too.
    return [(r["start"], r["end"]) for r in report["articles"][1]["regions"]]


def score(results):
    """PAN's measures over all cases: results holds (case, detections)."""
    precision_terms, recall_terms, detected_by = [], [], []
    for case, found in results:
        case_chars = set(range(*case))
        covered = set()
        detecting = 0
        for start, end in found:
            chars = set(range(start, end))
            overlap = chars & case_chars
            precision_terms.append(len(overlap) / len(chars) if chars else 0.0)
            covered |= overlap
            detecting += 1 if overlap else 0
        recall_terms.append(len(covered) / len(case_chars))
        if detecting:
            detected_by.append(detecting)
    precision = sum(precision_terms) / len(precision_terms) if precision_terms else 0.0
    recall = sum(recall_terms) / len(recall_terms)
    granularity = sum(detected_by) / len(detected_by) if detected_by else 1.0
    f1 = 2 * precision * recall / (precision + recall) if precision + recall else 0.0
    return precision, recall, granularity, f1 / math.log2(1 + granularity)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--out", default="docs/quality.md")
    parser.add_argument("--pairs", type=int, default=5)
    args = parser.parse_args()
    kinds = ["verbatim", "case changes", "invisible characters", "look-alike letters", "changed punctuation",
             "shared template", "quoted passage", "chinese", "japanese"]
    rows = []
    with tempfile.TemporaryDirectory() as folder:
        for kind in kinds:
            rng = random.Random(kind)
            vocabulary = made_up_words(rng, 600)
            cases = [make_case(kind, rng, vocabulary, folder, f"{kinds.index(kind)}-{n}") for n in range(args.pairs)]
            for rules in ("default", "options"):
                cells = []
                for length in LENGTHS:
                    results = []
                    for paths, planted, extra in cases:
                        options = options_for(kind, extra) if rules == "options" else []
                        results.append((planted, detections(args.cli, paths, length, options)))
                    cells.append(score(results))
                shown = " ".join(o for o in options_for(kind, {"template": "FILE"})) if rules == "options" else ""
                if rules == "options" and not shown:
                    continue
                rows.append((kind, shown or "default rules", cells))
    lines = ["# Detection quality", "",
             "Made by `make quality` (scripts/quality.py): for each kind of case, " + str(args.pairs)
             + " pairs of made-up articles, article 2 holding one planted passage of article 1 "
             f"({PLANTED_WORDS} words, or 100 characters of Chinese or Japanese) disguised that way. "
             "The passages glenvary-cli marks in article 2 are scored against the planted one, character by "
             "character in article 2, with the PAN text-alignment measures: precision (P), recall (R), "
             "granularity (G) and plagdet = F1 / log2(1 + G). A shared template and a quoted passage of "
             "article 1 are not planted copies: marking them lowers precision.", "",
             "| kind | rules | " + " | ".join(f"length {n}: P / R / G / plagdet" for n in LENGTHS) + " |",
             "|---|---|" + "---|" * len(LENGTHS)]
    for kind, shown, cells in rows:
        parts = [f"{p:.3f} / {r:.3f} / {g:.2f} / **{d:.3f}**" for p, r, g, d in cells]
        lines.append(f"| {kind} | {shown.replace('--', '`--', 1) + '`' if shown != 'default rules' else shown} | "
                     + " | ".join(parts) + " |")
    lines += ["", "## Reading the table", "",
              "- The default rules' rows are those of the rules every comparison keeps without options; the "
              "options are built around the comparison and leave it untouched when they are off.",
              "- Precision below 1 under the default rules comes from the rules themselves: the last chunks of "
              "article 1 are cut at its end, so its last word alone is looked up and marked wherever it "
              "stands in article 2, whatever the minimum length. PAN averages precision over detections, so "
              "one stray word next to one planted passage halves it for that pair.",
              "- With any option on, nothing shorter than the minimum length is marked: the walk ends with "
              "article 1's last whole chunk, so that stray word (a single Chinese or Japanese character with "
              "`--words unicode`) is gone, and precision is 1.",
              "- Recall just below 1 is the planted passage's closing full stop, which no word holds.",
              "- Case changes need no option while they stay within A-Z, which the default rules fold "
              "already; `--fold` folds every other letter's case too.",
              "- Look-alike letters without `--fold` leave short runs of undisguised words, marked only at "
              "length 3."]
    with open(args.out, "w", encoding="utf-8") as out:
        out.write("\n".join(lines) + "\n")
    print("\n".join(lines))


if __name__ == "__main__":
    main()
