#!/usr/bin/env python3
"""Mutation sampling: how many small faults do the tests catch?

    tools/mutate.py [--win32] [--sample N] [--seed S] [--list] [--fail-under PERCENT]
                    [--summary FILE] [FILE ...]

Each fault is one change to a source file: a binary operator swapped, a '!' dropped, ++ and --
swapped, a numeric or digit-character constant changed to another value (a change that leaves
the double a literal denotes as it was is no fault), or a one-line statement dropped. A sample of
them, drawn with the seed, is applied one at a time to a copy of the tree in build/mutation/,
where the tests are rebuilt and run:
- by default the portable core (engine/, tables/, ui/result_format.*), judged by the native tests
  (the native preset, under AddressSanitizer and UndefinedBehaviorSanitizer);
- with --win32 the program's Win32 files (the dialog, its lists, the accessible names, app/),
  built into the 32-bit program and judged under Wine by the tests that drive it: the dialog in
  the test's own process, the fatal reports of broken dialogs, the finished program, and a short
  stress run of the program (300 actions).
A fault that does not compile is stillborn; one that fails a test, or runs past the time limit,
is killed; the others survived. A fault listed in tools/mutate-equivalents.tsv, with the reason
no input reaches the difference, is equivalent: it is not built, and is left out of the score.
The score is the share of the other faults that compiled that were killed. The working tree is
never changed.
"""
import argparse
import csv
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from dataclasses import dataclass, field
from pathlib import Path



@dataclass(frozen=True)
class Side:
    """What one kind of sample mutates, and how it builds and judges a fault."""
    files: tuple  # git pathspecs
    preset: str
    targets: tuple = ()  # build targets; none: everything
    tests: tuple = ()  # CTest tests; none: all of the preset
    env: dict = field(default_factory=dict)
    in_display: bool = False  # Wine's tests run in an X display of their own


SIDES = {
    "core": Side(("engine", "tables", "ui/result_format.cpp", "ui/result_format.h"), "native"),
    "win32": Side(
        ("ui/conv_dialog.cpp", "ui/unit_lists.cpp", "ui/accessible_names.cpp", "app/*.cpp"),
        "win32",
        targets=("mensurator", "dialog_test", "fatal_probe", "mensurator_without_dialog",
                 "fatal_report_test", "program_test", "stress_test"),
        tests=("dialog_test", "fatal_report_test", "program_test", "stress_test_0"),
        # Shard 0 of two takes half of them.
        env={"MENSURATOR_STRESS_ACTIONS": "600"},
        in_display=True),
}
EQUIVALENTS = Path(__file__).with_name("mutate-equivalents.tsv")

SWAPS = {
    "<": ["<=", ">"], "<=": ["<", ">"], ">": [">=", "<"], ">=": [">", "<"],
    "==": ["!="], "!=": ["=="], "&&": ["||"], "||": ["&&"],
    "+": ["-"], "-": ["+"], "*": ["/"], "/": ["*"], "%": ["/"],
    "+=": ["-="], "-=": ["+="], "*=": ["/="], "/=": ["*="],
    "<<": [">>"], ">>": ["<<"], "<<=": [">>="], ">>=": ["<<="], "&": ["|"], "|": ["&"],
}
# clang-format sets binary operators between spaces; template brackets, pointers, references
# and unary signs have none on one side.
BINARY = re.compile(r"(?<= )(<<=|>>=|<=|>=|==|!=|&&|\|\||\+=|-=|\*=|/=|<<|>>|[<>+\-*/%&|])(?= )")
NOT = re.compile(r"!(?!=)")
STEP = re.compile(r"\+\+|--")
NUMBER = re.compile(r"(?<![\w.])(\d+\.\d*(?:[eE][+-]?\d+)?|\.\d+(?:[eE][+-]?\d+)?|\d+[eE][+-]?\d+"
                    r"|0[xX][0-9a-fA-F]+|\d+)([uUlLfF]*)(?![\w.])")
DIGIT_CHAR = re.compile(r"'(\d)'")
# A declaration starts with a type and a name; dropping one leaves its uses undeclared.
DECLARATION = re.compile(r"^(?:(?:const|constexpr|static|extern|return|delete)\b|[})]|[\w:]+(?:<[^;=()]*>)?"
                         r"[\s*&]+\w+\s*(?:[=;{(\[]|$))")


def code_mask(text):
    """Marks each character of C++ source: 'c' for code, ' ' inside comments, strings, character
    literals and preprocessor lines, and 'q' inside a character literal holding one digit."""
    mask = []
    i = 0
    line_start = True
    while i < len(text):
        c = text[i]
        if line_start and c == "#":
            end = text.find("\n", i)
            end = len(text) if end < 0 else end
        elif text.startswith("//", i):
            end = text.find("\n", i)
            end = len(text) if end < 0 else end
        elif text.startswith("/*", i):
            end = text.index("*/", i) + 2
        elif c in "\"'":
            end = i + 1
            while text[end] != c:
                end += 2 if text[end] == "\\" else 1
            end += 1
            if re.fullmatch(r"'\d'", text[i:end]):
                mask.append("q" * (end - i))
                i = end
                continue
        else:
            mask.append("c")
            if c == "\n":
                line_start = True
            elif not c.isspace():
                line_start = False
            i += 1
            continue
        mask.append(" " * (end - i))
        i = end
    return "".join(mask)


def same_value(before, after):
    try:
        return float(before.rstrip("uUlLfF")) == float(after.rstrip("uUlLfF"))
    except ValueError:
        return False


def changed_constant(literal, rng):
    """Another value for a numeric literal: an integer one more or one less, or a floating-point
    literal with one significant digit changed to another double; None if no such change."""
    body, suffix = NUMBER.fullmatch(literal).groups()
    if not re.search(r"[.eE]", body) or body.lower().startswith("0x"):
        value = int(body, 0)
        new = value + 1 if value == 0 or rng.random() < 0.5 else value - 1
        return (hex(new) if body.lower().startswith("0x") else str(new)) + suffix
    mantissa_end = re.search(r"[eE]|$", body).start()
    digits = [i for i, c in enumerate(body[:mantissa_end]) if c.isdigit()]
    first = next((i for i in digits if body[i] != "0"), digits[0])
    significant = [i for i in digits if i >= first]
    for _ in range(20):
        i = rng.choice(significant)
        digit = rng.choice([d for d in "0123456789" if d != body[i]])
        new = body[:i] + digit + body[i + 1:]
        if not same_value(body, new):
            return new + suffix
    return None


def mutants_of(path, text, rng):
    """Every fault of one file: (path, offset, length, replacement, description, line)."""
    mask = code_mask(text)
    found = []

    def add(start, end, replacement):
        line = text.count("\n", 0, start) + 1
        change = f"'{text[start:end].strip()}' -> '{replacement.strip()}'"
        # Where the line holds the same text more than once, which one.
        line_start = text.rfind("\n", 0, start) + 1
        line_text = text[line_start:text.find("\n", start)]
        if line_text.count(text[start:end]) > 1:
            change += f" (#{text[line_start:start].count(text[start:end]) + 1} in the line)"
        found.append((path, start, end - start, replacement, change, line))

    def in_code(match, kind="c"):
        return all(m == kind for m in mask[match.start():match.end()])

    for m in BINARY.finditer(text):
        if in_code(m):
            for swap in SWAPS[m.group()]:
                add(m.start(), m.end(), swap)
    for m in NOT.finditer(text):
        if in_code(m):
            add(m.start(), m.end(), "")
    for m in STEP.finditer(text):
        if in_code(m):
            add(m.start(), m.end(), "--" if m.group() == "++" else "++")
    for m in NUMBER.finditer(text):
        if in_code(m):
            new = changed_constant(m.group(), rng)
            if new is not None:
                add(m.start(), m.end(), new)
    for m in DIGIT_CHAR.finditer(text):
        if in_code(m, "q"):
            digit = int(m.group(1))
            add(m.start(), m.end(), f"'{digit + 1 if digit < 9 else digit - 1}'")
    previous = ""
    offset = 0
    for line in text.splitlines(keepends=True):
        stripped = "".join(c for c, k in zip(line, mask[offset:]) if k != " ").strip()
        if (stripped.endswith(";") and previous[-1:] in (";", "{", "}")
                and not DECLARATION.match(stripped)):
            start = offset + len(line) - len(line.lstrip())
            add(start, offset + len(line.rstrip("\n")), "")
        if stripped:
            previous = stripped
        offset += len(line)
    return found


# The command running now, in a process group of its own: stopped from outside, the script ends
# the whole group (ninja, the compilers, the tests and Wine's processes with it).
running = None


def run(command, cwd, env=None):
    global running
    with subprocess.Popen(command, cwd=cwd, env=env, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, text=True, errors="replace",
                          start_new_session=True) as running:
        output = running.communicate()[0]
    return subprocess.CompletedProcess(command, running.returncode, output)


def stop(*_):
    if running is not None and running.poll() is None:
        try:
            os.killpg(running.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
    # Through the callers' finally clauses, which take the fault out of the copy.
    sys.exit(1)


def read_equivalents():
    """The known equivalent faults: {(file, line text, change): why no input reaches them}."""
    equivalents = {}
    with EQUIVALENTS.open(newline="") as listing:
        for row in csv.reader(listing, delimiter="\t", quoting=csv.QUOTE_NONE):
            if not row or row[0].startswith("#"):
                continue
            if len(row) != 4 or not row[3].strip():
                sys.exit(f"{EQUIVALENTS.name}: {row}: want file, line, change and reason")
            equivalents[tuple(row[:3])] = row[3]
    return equivalents


def sync_copy(root, copy):
    """Copies the tree's files into copy, leaving the unchanged ones untouched."""
    files = subprocess.run(["git", "ls-files", "-co", "--exclude-standard"], cwd=root,
                           check=True, stdout=subprocess.PIPE, text=True).stdout.split("\n")
    for name in filter(None, files):
        source, target = root / name, copy / name
        if not source.is_file():
            continue
        if target.is_file() and target.read_bytes() == source.read_bytes():
            shutil.copymode(source, target)
            continue
        target.parent.mkdir(parents=True, exist_ok=True)
        # A new modification time, so that the build never keeps an object of a fault; the mode
        # too, since the build runs some of the scripts.
        shutil.copy(source, target)


def summary_lines(side, args, counts, score, compiled, survivors, equivalent):
    """The result in Markdown, for a CI job's summary."""
    lines = [f"## Mutation sample ({side}, seed {args.seed}, shard {args.shard})", "",
             f"{counts['killed']} of {compiled} faults that compiled killed: **{score:.1f}%** "
             f"({counts['stillborn']} stillborn, {counts['equivalent']} known equivalent).", ""]
    lines += ["Survivors:", ""] + [f"- `{s}`" for s in survivors] if survivors else ["No survivors."]
    lines += ["", "Equivalent:", ""] + [f"- `{e}`" for e in equivalent] if equivalent else []
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--win32", action="store_true",
                        help="the Win32 files, judged by the Wine tests (default: the core)")
    parser.add_argument("--sample", type=int, default=200, help="faults to try (0: all)")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--list", action="store_true", help="list the sample and stop")
    parser.add_argument("--fail-under", type=float, default=0.0,
                        help="exit with 1 when the score is below this percentage")
    parser.add_argument("--summary", type=Path, help="also append the result to this file")
    parser.add_argument("--shard", default="0/1", metavar="K/N",
                        help="judge only every Nth fault of the sample, from the Kth, in a copy "
                             "of its own, so that N shards can run at once")
    parser.add_argument("--match", action="append", default=[], metavar="REGEX",
                        help="only the faults whose 'file:line: change' this matches (repeatable),"
                             " as a sample prints them: to judge some again")
    parser.add_argument("files", nargs="*", help="files to mutate (default: all of the side)")
    args = parser.parse_args()
    shard, shards = (int(n) for n in args.shard.split("/"))
    if not 0 <= shard < shards:
        parser.error("--shard K/N wants 0 <= K < N")
    side_name = "win32" if args.win32 else "core"
    side = SIDES[side_name]
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)

    # The tree this script is part of (tools/ is at its root), wherever it is started from.
    root = Path(__file__).resolve().parent.parent
    names = args.files or subprocess.run(
        ["git", "ls-files", *side.files], cwd=root, check=True, stdout=subprocess.PIPE,
        text=True).stdout.split()
    rng = random.Random(args.seed)
    everything = []
    for name in sorted(names):
        everything += mutants_of(name, (root / name).read_text(), rng)
    if args.match:
        everything = [m for m in everything
                      if any(re.search(r, f"{m[0]}:{m[5]}: {m[4]}") for r in args.match)]
    sample = everything if args.sample <= 0 else rng.sample(everything, min(args.sample,
                                                                            len(everything)))
    sample.sort(key=lambda m: (m[0], m[1]))
    print(f"{len(sample)} of {len(everything)} faults, seed {args.seed}")
    if args.list:
        # Ends quietly when a reader such as head has read enough.
        signal.signal(signal.SIGPIPE, signal.SIG_DFL)
        for path, _, _, _, change, line in sample:
            print(f"{path}:{line}: {change}")
        return 0
    equivalents = read_equivalents()

    copy = root / "build" / ("mutation" if shards == 1 else f"mutation-{shard}")
    sync_copy(root, copy)
    build = ["cmake", "--build", "--preset", side.preset]
    if side.targets:
        build += ["--target", *side.targets]
    for step in (["cmake", "--preset", side.preset], build):
        result = run(step, copy)
        if result.returncode:
            sys.exit(f"the unchanged tree does not build:\n{result.stdout}")
    wrapper = []
    if side.in_display:
        wrapper = [str(copy / "scripts/with-display.sh"), str(copy / "build" / side.preset /
                                                               "wineprefix")]
    ctest = [*wrapper, "ctest", "--preset", side.preset]
    env = dict(os.environ, GTEST_FAIL_FAST="1", **side.env)
    # The style checks judge layout, not behaviour, and need a git checkout the copy is not.
    tests = side.tests or [t["name"] for t in json.loads(
        run([*ctest, "--show-only=json-v1", "-LE", "style"], copy).stdout)["tests"]]
    # Cheapest tests first, each alone, so that most faults are told apart quickly.
    durations = {}
    for test in tests:
        started = time.monotonic()
        result = run([*ctest, "-R", f"^{test}$"], copy, env)
        if result.returncode:
            sys.exit(f"the unchanged tree fails {test}:\n{result.stdout}")
        durations[test] = time.monotonic() - started
    order = sorted(durations, key=durations.get)
    limit = str(round(max(60, 5 * max(durations.values()))))

    def failing_test():
        """The first test that fails on the fault, or None."""
        return next((test for test in order if run(
            [*ctest, "-R", f"^{test}$", "--timeout", limit], copy, env).returncode), None)

    started = time.monotonic()
    counts = {"stillborn": 0, "killed": 0, "survived": 0, "equivalent": 0}
    survivors, equivalent = [], []
    for number, (path, offset, length, replacement, change, line) in enumerate(sample, 1):
        if (number - 1) % shards != shard:
            continue
        target = copy / path
        original = target.read_text()
        line_text = original.splitlines()[line - 1].strip()
        reason = equivalents.get((path, line_text, change))
        if reason is not None:
            verdict = "equivalent"
            equivalent.append(f"{path}:{line}: {change}: {reason}")
        else:
            target.write_text(original[:offset] + replacement + original[offset + length:])
            try:
                if run(build, copy).returncode:
                    verdict = "stillborn"
                else:
                    killer = failing_test()
                    verdict = "survived" if killer is None else "killed"
            finally:
                target.write_text(original)
        counts[verdict] += 1
        by = f" (by {killer})" if verdict == "killed" else ""
        print(f"[{number}/{len(sample)}] {verdict:10} {path}:{line}: {change}{by}", flush=True)
        if verdict == "survived":
            survivors.append(f"{path}:{line}: {change}    {line_text}")

    compiled = counts["killed"] + counts["survived"]
    score = 100.0 * counts["killed"] / compiled if compiled else 0.0
    print(f"\n{counts['stillborn']} stillborn, {counts['killed']} killed, "
          f"{counts['survived']} survived, {counts['equivalent']} known equivalent, "
          f"in {(time.monotonic() - started) / 60:.0f} min")
    print("survivors:" if survivors else "no survivors", *survivors, sep="\n  ")
    print(f"score: {counts['killed']} of {compiled} faults that compiled killed ({score:.1f}%)")
    if args.summary:
        with args.summary.open("a") as summary:
            summary.write(summary_lines(side_name, args, counts, score, compiled, survivors,
                                        equivalent))
    return 1 if score < args.fail_under else 0


if __name__ == "__main__":
    sys.exit(main())
