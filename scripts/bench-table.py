#!/usr/bin/env python3
"""Measures Glenvary against its performance targets and prints one row per
target: the figure measured, the target, and ok or MISSED.

    scripts/bench-table.py [BUILD_DIR] [--markdown | --update FILE] [--corpus DIR] [--no-window]

BUILD_DIR (default: build) holds the built programs. The article pairs are
the corpus of real prose that scripts/make-corpus.sh builds, in
BUILD_DIR/corpus unless --corpus says otherwise; it is built when missing,
and when it cannot be built the rows that need it are skipped with the
reason. The batch rows come from the engine benchmarks' BM_Batch runs,
and the adversarial pairs from glenvary_bench_pairs; neither needs the corpus. The command line is timed as a whole process: wall time around the
process, best of three runs (a run that takes longer than a minute is not
repeated), and the peak resident memory from /usr/bin/time. git's word diff
is timed on the same files in the same run, its output written to a file as
the JSON report is, so that the ratio says something
on any machine. The window's figures come from glenvary_ui_bench, run on Qt's
offscreen platform; every benchmark it has gets a row.

The benchmark programs' own output goes to standard error and the table,
after a line that names the machine and the commit, to standard output.
--markdown prints it in Markdown; --update FILE also puts it into FILE
between the comments <!-- bench-table: begin --> and <!-- bench-table: end -->
(docs/performance.md). The exit
status is 0 whether or not targets are met.
"""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
from dataclasses import dataclass
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent

RUNS = 3
# A run this slow is already far from every target here; repeating it would
# only make `make bench` longer.
REPEAT_LIMIT_SECONDS = 60
# Ends a run that hangs; the slowest run so far (the 1,000,000-word pair at
# length 1 word) took under 4 minutes.
RUN_TIMEOUT_SECONDS = 900

TIME_TO_GIT = 0.4
PEAK_MEGABYTES = 150
SLOWER_THAN_MIN3 = 2.0
HTML_TO_JSON = 2.0
SMALL_PAIR_MILLISECONDS = 30
# A batch run over 50 articles of 2,000 words (2,450 ordered pairs) on all
# cores, from the engine benchmarks' BM_Batch.
BATCH_MILLISECONDS = 2000
# Start-up takes some tens of milliseconds and varies with the machine's load.
START_UP_RUNS = 10
# The engine benchmarks' adversarial pairs, written out by
# glenvary_bench_pairs: 100,000 words, each length the engine benchmarks use,
# under 1 s each; and memory that grows linearly: at ADVERSARIAL_SCALE times
# the words, at most LINEAR_MEMORY times the memory above the process's
# start-up (a memory that grew with the square would take 16 times).
ADVERSARIAL_KINDS = ('one-word-longer', 'two-words-alternating', 'near-misses')
ADVERSARIAL_LENGTHS = (1, 2, 3, 6)
ADVERSARIAL_WORDS = 100_000
ADVERSARIAL_SECONDS = 1
ADVERSARIAL_SCALE = 4
LINEAR_MEMORY = 5
# The same pairs at 200,000 words in the engine benchmarks (BM_Compare),
# at long minimum lengths: each at most LONG_TO_MIN3 times length 3.
LONG_LENGTH_WORDS = 200_000
LONG_LENGTHS = (10_000, 99_999)
LONG_TO_MIN3 = 2.0

# Window targets: a pattern for the benchmark's name, the counter (None for
# the benchmark's own time) and the limit in milliseconds or, for counters
# ending in _MB, megabytes; the first match wins. Benchmarks on
# 1,000,000-word articles are told by their names. A benchmark or counter
# that matches none gets a row without a target.
BOOK = r'(Book|1M|Million|words:1000000\b)'
WINDOW_TARGETS = [
    (BOOK, 'keystroke_ms', 50),
    (BOOK, 'compare_ms', 3000),
    (BOOK, 'density_ms', 1000),
    (BOOK, 'resident_MB', 400),
    (r'^Keystroke.*' + BOOK, None, 50),
    (r'^Keystroke', None, 10),
    (r'^Compare.*' + BOOK, None, 3000),
    (r'^Compare', None, 1000),
    (r'^PasteBook', None, 2000),
]


@dataclass
class Row:
    measure: str
    figure: str
    target: str
    result: str


@dataclass
class Run:
    seconds: float
    megabytes: float | None


class Skip(Exception):
    """A row that cannot be measured here, with the reason."""


def log(message):
    print(f'bench-table: {message}', file=sys.stderr, flush=True)


def measure(command, accepted=(0,), runs=RUNS):
    """The best of `runs` runs of `command`: least wall time, and the least peak
    resident memory. Raises Skip when the command fails or hangs."""
    best = None
    for _ in range(runs):
        with tempfile.NamedTemporaryFile('r') as report:
            timer = ['/usr/bin/time', '-f', '%M', '-o', report.name] if Path('/usr/bin/time').exists() else []
            start = time.perf_counter()
            try:
                done = subprocess.run(timer + command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                      timeout=RUN_TIMEOUT_SECONDS)
            except subprocess.TimeoutExpired:
                raise Skip(f'over {RUN_TIMEOUT_SECONDS} s')
            seconds = time.perf_counter() - start
            lines = report.read().split()
        if done.returncode not in accepted:
            reason = done.stderr.decode('utf-8', 'replace').strip().splitlines()
            raise Skip(f'exit {done.returncode}' + (f': {reason[-1]}' if reason else ''))
        kilobytes = int(lines[-1]) if lines and lines[-1].isdigit() else None
        run = Run(seconds, kilobytes / 1024 if kilobytes is not None else None)
        if best is None:
            best = run
        else:
            best = Run(min(best.seconds, run.seconds),
                       None if run.megabytes is None else min(best.megabytes, run.megabytes))
        if seconds > REPEAT_LIMIT_SECONDS:
            break
    return best


def seconds_text(seconds):
    return f'{seconds * 1000:.0f} ms' if seconds < 1 else f'{seconds:.2f} s'


def megabytes_text(megabytes):
    return 'n/a' if megabytes is None else f'{megabytes:.0f} MB'


def verdict(met):
    return 'ok' if met else 'MISSED'


def ensure_tools(tools):
    """Installs the Debian packages of missing tools (program -> package) with
    apt-get when it can; returns the programs that are there afterwards."""
    missing = [package for program, package in tools.items() if shutil.which(program) is None]
    if missing:
        sudo = [] if os.geteuid() == 0 else ['sudo', '-n']
        log(f'installing {" ".join(missing)}')
        environment = dict(os.environ, DEBIAN_FRONTEND='noninteractive')
        subprocess.run(sudo + ['apt-get', 'install', '-y', '-qq', '--no-install-recommends'] + missing,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=environment)
    return {program for program in tools if shutil.which(program) is not None}


def compare_command(cli, article1, article2, unit='words', length=3, output_format='json', output=None):
    command = [str(cli), 'compare', '--unit', unit, '--min', str(length), '--format', output_format]
    if output is not None:
        command += ['-o', str(output)]
    return command + [str(article1), str(article2)]


def big_pair_rows(cli, corpus, scratch, tools):
    """The rows for the 1,000,000-word pairs."""
    rows = []
    a, b = corpus / 'a-1m.txt', corpus / 'b-1m.txt'
    json_report = scratch / 'report.json'

    def git_time(first, second):
        """git's word diff, written to a file in the same folder as the
        reports, so that both programs pay for their output alike."""
        if 'git' not in tools:
            raise Skip('git is not installed')
        return measure(['git', 'diff', '--no-index', '--word-diff=porcelain', f'--output={scratch / "word-diff.txt"}',
                        str(first), str(second)], accepted=(0, 1)).seconds

    def against_git(label, first, second):
        """Time and memory rows of a JSON comparison at length 3 words."""
        try:
            base = measure(compare_command(cli, first, second, output=json_report))
        except Skip as failed:
            rows.append(Row(f'{label}: time', str(failed), f'under {TIME_TO_GIT}x git', 'MISSED'))
            rows.append(Row(f'{label}: peak memory', str(failed), f'under {PEAK_MEGABYTES} MB', 'MISSED'))
            return None
        try:
            git = git_time(first, second)
            ratio = base.seconds / git
            rows.append(Row(f'{label}: time', f'{seconds_text(base.seconds)} = {ratio:.2f}x git ({seconds_text(git)})',
                            f'under {TIME_TO_GIT}x git', verdict(ratio <= TIME_TO_GIT)))
        except Skip as failed:
            rows.append(Row(f'{label}: time', f'{seconds_text(base.seconds)}; git: {failed}',
                            f'under {TIME_TO_GIT}x git', 'skipped'))
        met = base.megabytes is not None and base.megabytes < PEAK_MEGABYTES
        rows.append(Row(f'{label}: peak memory', megabytes_text(base.megabytes), f'under {PEAK_MEGABYTES} MB',
                        verdict(met) if base.megabytes is not None else 'skipped'))
        return base

    log('1M pair a/b, words, length 3, JSON')
    base = against_git('1M a/b, 3 words, JSON', a, b)
    if base is None:
        return rows
    with open(json_report, encoding='utf-8') as report:
        head = report.read(400)
    found = re.search(r'"duplicate_percent":([0-9.]+)', head)
    planted = json.loads((corpus / 'corpus.json').read_text())['pairs'][0]
    share = 100 * planted['planted_words'] / planted['words']
    rows.append(Row('1M a/b, 3 words: share of b marked', f'{float(found.group(1)):.1f}%' if found else 'n/a',
                    f'{share:.0f}% planted, plus common phrases', 'info'))

    if 'dwdiff' in tools:
        log('dwdiff on the 1M pair (one run)')
        try:
            dwdiff = measure(['dwdiff', str(a), str(b)], accepted=(0, 1), runs=1)
            rows.append(Row('dwdiff on 1M a/b (one run)',
                            f'{seconds_text(dwdiff.seconds)}, {megabytes_text(dwdiff.megabytes)}; '
                            f'Glenvary takes {base.seconds / dwdiff.seconds:.2f}x', 'for comparison', 'info'))
        except Skip as failed:
            rows.append(Row('dwdiff on 1M a/b', str(failed), 'for comparison', 'info'))
    else:
        rows.append(Row('dwdiff on 1M a/b', 'dwdiff is not installed', 'for comparison', 'skipped'))

    for unit, length in (('words', 1), ('words', 6), ('sentences', 1), ('paragraphs', 1)):
        log(f'1M pair a/b, {unit}, length {length}, JSON')
        label = f'1M a/b, {length} {unit[:-1] if length == 1 else unit}, JSON'
        target = f'under {SLOWER_THAN_MIN3:g}x 3 words'
        try:
            run = measure(compare_command(cli, a, b, unit, length, output=json_report))
            ratio = run.seconds / base.seconds
            rows.append(Row(label, f'{seconds_text(run.seconds)} = {ratio:.2f}x, {megabytes_text(run.megabytes)}',
                            target, verdict(ratio < SLOWER_THAN_MIN3)))
        except Skip as failed:
            rows.append(Row(label, str(failed), target, 'MISSED'))

    log('1M pair a/b, words, length 3, HTML')
    html_report = scratch / 'report.html'
    target = f'under {HTML_TO_JSON:g}x JSON'
    try:
        run = measure(compare_command(cli, a, b, output_format='html', output=html_report))
        ratio = run.seconds / base.seconds
        size = html_report.stat().st_size / 1e6
        rows.append(Row('1M a/b, 3 words, HTML',
                        f'{seconds_text(run.seconds)} = {ratio:.2f}x, {megabytes_text(run.megabytes)}, '
                        f'file {size:.0f} MB', target, verdict(ratio < HTML_TO_JSON)))
    except Skip as failed:
        rows.append(Row('1M a/b, 3 words, HTML', str(failed), target, 'MISSED'))
    html_report.unlink(missing_ok=True)

    log('1M pair c/d (Bible text and commentaries), words, length 3, JSON')
    against_git('1M c/d, 3 words, JSON', corpus / 'c-1m.txt', corpus / 'd-1m.txt')
    json_report.unlink(missing_ok=True)
    return rows


def start_up_seconds(cli):
    """The least time of `glenvary-cli --version`: starting the process and
    loading its libraries, the floor of every whole-process figure."""
    return min(measure([str(cli), '--version'], runs=1).seconds for _ in range(START_UP_RUNS))


def small_pair_rows(cli, corpus):
    """One row per unit: the slowest of lengths 1 to 10 on the 100,000-word
    pair, judged after the process's start-up, which gets a row of its own."""
    rows = []
    a, b = corpus / 'a-100k.txt', corpus / 'b-100k.txt'
    try:
        start_up = start_up_seconds(cli)
    except Skip as failed:
        return [Row('glenvary-cli start-up (--version)', str(failed), '-', 'MISSED')]
    rows.append(Row('glenvary-cli start-up (--version)', seconds_text(start_up),
                    'taken off the 100k figures', 'info'))
    for unit in ('words', 'sentences', 'paragraphs'):
        log(f'100k pair, {unit}, lengths 1 to 10')
        label = f'100k a/b, {unit}, each length 1-10'
        target = f'under {SMALL_PAIR_MILLISECONDS} ms after start-up'
        try:
            # The default text report: the cheapest output, so the figure is
            # mostly reading, splitting and comparing.
            times = {length: measure(compare_command(cli, a, b, unit, length, output_format='text')).seconds
                     for length in range(1, 11)}
        except Skip as failed:
            rows.append(Row(label, str(failed), target, 'MISSED'))
            continue
        slowest = max(times, key=times.get)
        fastest = min(times, key=times.get)
        net = times[slowest] - start_up
        rows.append(Row(label, f'slowest {seconds_text(net)} after start-up, {seconds_text(times[slowest])} '
                               f'whole (length {slowest}); fastest {seconds_text(times[fastest])} whole', target,
                        verdict(net * 1000 < SMALL_PAIR_MILLISECONDS)))
    return rows


def adversarial_rows(build, cli, scratch):
    """One row per adversarial pair: the slowest length at 100,000 words, and
    how the memory grows with the words."""
    writer = build / 'bench' / 'glenvary_bench_pairs'
    if not writer.exists():
        raise Skip(f'{writer} is not built')
    base = measure([str(cli), '--version']).megabytes
    rows = []
    for kind in ADVERSARIAL_KINDS:
        log(f'adversarial pair {kind}')
        label = f'adversarial 100k, {kind}, words, lengths {", ".join(map(str, ADVERSARIAL_LENGTHS))}'
        target = f'under {ADVERSARIAL_SECONDS} s each, memory linear'
        runs = {}
        try:
            for length in ADVERSARIAL_LENGTHS:
                for words in (ADVERSARIAL_WORDS, ADVERSARIAL_SCALE * ADVERSARIAL_WORDS):
                    first, second = (scratch / f'{kind}-{words}-{length}-{side}.txt' for side in (1, 2))
                    if subprocess.run([str(writer), kind, str(words), str(length), str(first), str(second)]).returncode:
                        raise Skip(f'{writer.name} failed')
                    runs[length, words] = measure(compare_command(cli, first, second, 'words', length, 'text'))
        except Skip as failed:
            rows.append(Row(label, str(failed), target, 'MISSED'))
            continue
        slowest = max(ADVERSARIAL_LENGTHS, key=lambda length: runs[length, ADVERSARIAL_WORDS].seconds)
        seconds = runs[slowest, ADVERSARIAL_WORDS].seconds
        figure = f'slowest {seconds_text(seconds)} (length {slowest})'
        linear = True
        if base is not None and all(run.megabytes is not None for run in runs.values()):
            growth = max((runs[length, ADVERSARIAL_SCALE * ADVERSARIAL_WORDS].megabytes - base)
                         / max(runs[length, ADVERSARIAL_WORDS].megabytes - base, 1)
                         for length in ADVERSARIAL_LENGTHS)
            most = max(runs[length, ADVERSARIAL_WORDS].megabytes for length in ADVERSARIAL_LENGTHS)
            figure += (f', at most {megabytes_text(most)}; {ADVERSARIAL_SCALE}x the words: '
                       f'{growth:.1f}x the memory above start-up')
            linear = growth <= LINEAR_MEMORY
        else:
            figure += ', memory not measured'
        rows.append(Row(label, figure, target, verdict(seconds < ADVERSARIAL_SECONDS and linear)))
    return rows


def long_length_rows(build, scratch):
    """A row per adversarial pair at LONG_LENGTH_WORDS words: its long
    minimum lengths against length 3, from the engine benchmarks."""
    program = build / 'bench' / 'glenvary_bench'
    if not program.exists():
        raise Skip(f'{program} is not built')
    log('adversarial pairs at long minimum lengths (glenvary_bench, BM_Compare)')
    results = scratch / 'long-lengths.json'
    done = subprocess.run([str(program), f'--benchmark_filter=^BM_Compare/kind:[456]/unit:0/words:{LONG_LENGTH_WORDS}/',
                           f'--benchmark_out={results}', '--benchmark_out_format=json'], stdout=sys.stderr)
    if done.returncode != 0 or not results.exists():
        raise Skip(f'glenvary_bench failed with exit {done.returncode}')
    scale = {'ns': 1e-6, 'us': 1e-3, 'ms': 1.0, 's': 1e3}
    times = {}
    for benchmark in json.loads(results.read_text())['benchmarks']:
        found = re.search(r'kind:(\d+)/unit:0/words:\d+/min:(\d+)', benchmark['name'])
        if found and benchmark.get('run_type', 'iteration') == 'iteration':
            label = benchmark.get('label', '').split('/')[0]
            times[label, int(found.group(2))] = benchmark['real_time'] * scale[benchmark.get('time_unit', 'ns')]
    rows = []
    for kind in ADVERSARIAL_KINDS:
        label = (f'adversarial {LONG_LENGTH_WORDS // 1000}k, {kind}, words, lengths '
                 + ' and '.join(f'{length:,}' for length in LONG_LENGTHS))
        target = f'at most {LONG_TO_MIN3:g}x length 3'
        if (kind, 3) not in times or any((kind, length) not in times for length in LONG_LENGTHS):
            rows.append(Row(label, 'not measured', target, 'MISSED'))
            continue
        base = times[kind, 3]
        ratios = [times[kind, length] / base for length in LONG_LENGTHS]
        figure = (', '.join(f'{times[kind, length]:.0f} ms = {ratio:.2f}x' for length, ratio in zip(LONG_LENGTHS, ratios))
                  + f' (length 3: {base:.0f} ms)')
        rows.append(Row(label, figure, target, verdict(max(ratios) <= LONG_TO_MIN3)))
    return rows


def batch_rows(build, scratch):
    """A row for each run of BM_Batch in glenvary_bench: every ordered pair
    of a set of articles compared, as `glenvary-cli batch` compares them."""
    program = build / 'bench' / 'glenvary_bench'
    if not program.exists():
        raise Skip(f'{program} is not built')
    log('batch runs (glenvary_bench, BM_Batch)')
    results = scratch / 'batch.json'
    done = subprocess.run([str(program), '--benchmark_filter=^BM_Batch/', f'--benchmark_out={results}',
                           '--benchmark_out_format=json'], stdout=sys.stderr)
    if done.returncode != 0 or not results.exists():
        raise Skip(f'glenvary_bench failed with exit {done.returncode}')
    rows = []
    scale = {'ns': 1e-6, 'us': 1e-3, 'ms': 1.0, 's': 1e3}
    for benchmark in json.loads(results.read_text())['benchmarks']:
        if benchmark.get('run_type', 'iteration') != 'iteration':
            continue
        found = re.search(r'articles:(\d+)/words:(\d+)/min:(\d+)/threads:(\d+)', benchmark['name'])
        if not found:
            continue
        articles, words, length, threads = (int(value) for value in found.groups())
        milliseconds = benchmark['real_time'] * scale[benchmark.get('time_unit', 'ns')]
        label = (f'batch: {articles} articles of {words:,} words, {articles * (articles - 1):,} pairs, '
                 f'{length} word{"s" if length != 1 else ""}, '
                 + ('all cores' if threads == 0 else f'{threads} thread{"s" if threads != 1 else ""}'))
        figure = f'{milliseconds:.0f} ms'
        if threads == 0 and (articles, words) == (50, 2000):
            rows.append(Row(label, figure, f'under {BATCH_MILLISECONDS} ms',
                            verdict(milliseconds < BATCH_MILLISECONDS)))
        else:
            rows.append(Row(label, figure, '-', 'info'))
    return rows


def window_target(name, counter):
    for pattern, wanted, limit in WINDOW_TARGETS:
        if counter == wanted and re.search(pattern, name):
            return limit
    return None


def window_rows(build, scratch):
    """A row for each benchmark of glenvary_ui_bench, and for each of its
    counters that is a time (_ms) or a size (_MB)."""
    program = build / 'bench' / 'glenvary_ui_bench'
    if not program.exists():
        raise Skip(f'{program} is not built (the window is off in this build)')
    log('window benchmarks (glenvary_ui_bench)')
    results = scratch / 'window.json'
    environment = dict(os.environ, QT_QPA_PLATFORM='offscreen')
    done = subprocess.run([str(program), f'--benchmark_out={results}', '--benchmark_out_format=json'],
                          stdout=sys.stderr, env=environment)
    if done.returncode != 0 or not results.exists():
        raise Skip(f'glenvary_ui_bench failed with exit {done.returncode}')
    rows = []
    scale = {'ns': 1e-6, 'us': 1e-3, 'ms': 1.0, 's': 1e3}
    for benchmark in json.loads(results.read_text())['benchmarks']:
        if benchmark.get('run_type', 'iteration') != 'iteration':
            continue
        # The run settings in a name say nothing about what is measured.
        name = re.sub(r'/(min_time|iterations|repeats):[^/]*|/real_time', '', benchmark['name'].removeprefix('BM_'))
        figures = [(None, benchmark['real_time'] * scale[benchmark.get('time_unit', 'ns')], 'ms')]
        for counter, value in benchmark.items():
            if isinstance(value, (int, float)) and counter.endswith(('_ms', '_MB')):
                figures.append((counter, float(value), counter[-2:]))
        for counter, value, unit in figures:
            limit = window_target(name, counter)
            label = f'window: {name}' + (f' {counter}' if counter else '')
            figure = f'{value:.1f} {unit}' if value < 100 else f'{value:.0f} {unit}'
            if limit is None:
                rows.append(Row(label, figure, '-', 'info'))
            else:
                rows.append(Row(label, figure, f'under {limit} {unit}', verdict(value < limit)))
    return rows


TABLE_BEGIN = '<!-- bench-table: begin -->'
TABLE_END = '<!-- bench-table: end -->'


def machine_line(load):
    """When, where and on what the table was measured."""
    model = 'unknown CPU'
    for line in Path('/proc/cpuinfo').read_text().splitlines():
        if line.startswith('model name'):
            model = line.split(':', 1)[1].strip()
            break
    kilobytes = next(int(line.split()[1]) for line in Path('/proc/meminfo').read_text().splitlines()
                     if line.startswith('MemTotal:'))
    commit = subprocess.run(['git', '-C', str(REPO), 'rev-parse', '--short', 'HEAD'],
                            capture_output=True, text=True).stdout.strip() or 'unknown'
    changed = subprocess.run(['git', '-C', str(REPO), 'status', '--porcelain', '--untracked-files=no'],
                             capture_output=True, text=True).stdout.strip()
    return (f'Measured {time.strftime("%Y-%m-%d")} at commit {commit}{" with local changes" if changed else ""}: '
            f'{os.cpu_count()} cores ({model}), {kilobytes / 1024 / 1024:.1f} GiB of memory, '
            f'load average {load:.2f} at the start.')


def table_text(rows, notes, machine, markdown):
    header = Row('Measure', 'Measured', 'Target', 'Result')
    lines = [machine, '']
    if markdown:
        for row in [header] + rows:
            lines.append('| ' + ' | '.join(value.replace('|', '\\|') for value in vars(row).values()) + ' |')
            if row is header:
                lines.append('|---|---|---|---|')
        for note in notes:
            lines += ['', note]
    else:
        widths = [max(len(getattr(row, field)) for row in [header] + rows) for field in vars(header)]
        for row in [header] + rows:
            lines.append('  '.join(value.ljust(width) for value, width in zip(vars(row).values(), widths)).rstrip())
        lines += notes
    return '\n'.join(lines) + '\n'


def update_document(path, table):
    text = path.read_text(encoding='utf-8')
    begin, end = text.find(TABLE_BEGIN), text.find(TABLE_END)
    if begin < 0 or end < begin:
        raise SystemExit(f'bench-table: {path} has no {TABLE_BEGIN} ... {TABLE_END} lines')
    begin += len(TABLE_BEGIN)
    path.write_text(text[:begin] + '\n' + table + text[end:], encoding='utf-8')


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    parser.add_argument('build', nargs='?', default='build', help='the build folder (default: build)')
    parser.add_argument('--corpus', help='the corpus folder (default: BUILD/corpus)')
    parser.add_argument('--markdown', action='store_true', help='print the table in Markdown')
    parser.add_argument('--update', metavar='FILE', help='also put the Markdown table into FILE')
    parser.add_argument('--no-window', action='store_true', help='leave out the window benchmarks')
    arguments = parser.parse_args()
    build = Path(arguments.build).resolve()
    corpus = Path(arguments.corpus).resolve() if arguments.corpus else build / 'corpus'
    cli = build / 'src' / 'app' / 'glenvary-cli'

    rows, notes = [], []
    started = time.perf_counter()
    machine = machine_line(os.getloadavg()[0])
    with tempfile.TemporaryDirectory(prefix='glenvary-bench-') as scratch_name:
        scratch = Path(scratch_name)
        corpus_ready = False
        if not cli.exists():
            notes.append(f'Command-line rows skipped: {cli} is not built.')
        elif subprocess.run(['bash', str(REPO / 'scripts' / 'make-corpus.sh'), str(corpus)],
                            stdout=sys.stderr).returncode != 0:
            notes.append('Command-line rows skipped: the corpus could not be built (see make-corpus above).')
        else:
            corpus_ready = True
        if corpus_ready:
            tools = ensure_tools({'git': 'git', 'dwdiff': 'dwdiff', '/usr/bin/time': 'time'})
            if '/usr/bin/time' not in tools:
                notes.append('Peak memory not measured: /usr/bin/time is missing.')
            rows += big_pair_rows(cli, corpus, scratch, tools)
            rows += small_pair_rows(cli, corpus)
        if cli.exists():
            try:
                rows += adversarial_rows(build, cli, scratch)
            except Skip as failed:
                notes.append(f'Adversarial rows skipped: {failed}.')
        try:
            rows += long_length_rows(build, scratch)
        except Skip as failed:
            notes.append(f'Long-length rows skipped: {failed}.')
        try:
            rows += batch_rows(build, scratch)
        except Skip as failed:
            notes.append(f'Batch rows skipped: {failed}.')
        if not arguments.no_window:
            try:
                rows += window_rows(build, scratch)
            except Skip as failed:
                notes.append(f'Window rows skipped: {failed}.')
    log(f'measured in {time.perf_counter() - started:.0f} s')
    markdown = arguments.markdown or arguments.update is not None
    table = table_text(rows, notes, machine, markdown)
    print(table, end='')
    if arguments.update is not None:
        update_document(Path(arguments.update), table)
    return 0


if __name__ == '__main__':
    sys.exit(main())
