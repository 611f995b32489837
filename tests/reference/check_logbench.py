"""Checks logbench against the independent reference on trees neither has seen: generated
server roots in GBK and UTF-8, several day selections and queries. Exits non-zero on the first
difference, printing it.

usage: check_logbench.py LOGGEN LOGBENCH WORKDIR
"""

import os
import shutil
import subprocess
import sys

import reference_query as ref

QUERIES = [
    # (name, kw1, col1, exact1, kw2, col2, exact2, toggles)
    ("everything", "", "所有列", True, "", "所有列", True, []),
    ("folded keyword on all columns", "kr1", "所有列", False, "", "所有列", True, []),
    ("exact item name", "屠龙刀", "物品名称", True, "", "所有列", True, []),
    ("two keywords", "kr", "帐号", False, "7", "物品ID", False, []),
    ("one action", "", "所有列", True, "", "所有列", True, [4]),
    ("several actions", "", "所有列", True, "", "所有列", True, [6, 8, 21, 30]),
    ("player group and a keyword", "KR", "所有列", False, "", "所有列", True, [26, 29]),
    ("unknown column", "kr", "地图代码", False, "", "所有列", True, []),
]


def run_case(logbench, root, dates, codepage, query, dump):
    name, kw1, col1, ex1, kw2, col2, ex2, toggles = query
    command = [logbench, "--root", root, "--dates", ",".join(dates), "--codepage", codepage,
               "--kw1", kw1, "--col1", col1, "--exact1", "1" if ex1 else "0",
               "--kw2", kw2, "--col2", col2, "--exact2", "1" if ex2 else "0",
               "--queries", "1", "--dump", dump]
    if toggles:
        command += ["--toggle", ",".join(str(t) for t in toggles)]
    out = subprocess.run(command, check=True, capture_output=True, text=True).stdout
    return dict(line.split("=", 1) for line in out.splitlines())


def main():
    loggen, logbench, work = sys.argv[1:4]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    failures = cases = 0
    for encoding, codepage, seed in (("gbk", "GBK", 11), ("utf8", "UTF-8", 12)):
        root = os.path.join(work, encoding)
        subprocess.run([loggen, "--root", root, "--size", "1", "--days", "3", "--encoding",
                        encoding, "--seed", str(seed)], check=True, capture_output=True)
        folders = ref.day_folders(root)
        py_encoding = "gbk" if encoding == "gbk" else "utf-8"
        for dates in (folders[:1], folders[1:]):
            files, records = ref.load(root, dates, py_encoding)
            for query in QUERIES:
                dump = os.path.join(work, "dump.txt")
                got = run_case(logbench, root, dates, codepage, query, dump)
                inputs = [(query[1], query[2], query[3]), (query[4], query[5], query[6])]
                expected = ref.dump_lines(ref.query(records, inputs, query[7]))
                with open(dump, encoding="utf-8") as f:
                    lines = f.read().split("\n")[:-1]
                label = f"{encoding} {','.join(dates)} {query[0]}"
                problems = []
                if int(got["files"]) != files:
                    problems.append(f"files {got['files']} != {files}")
                if int(got["records"]) != len(records):
                    problems.append(f"records {got['records']} != {len(records)}")
                if int(got["matches"]) != len(expected):
                    problems.append(f"matches {got['matches']} != {len(expected)}")
                if lines != expected:
                    first = next((i for i, (a, b) in enumerate(zip(lines, expected)) if a != b),
                                 min(len(lines), len(expected)))
                    problems.append(f"dump differs at row {first + 1}")
                print(f"{'FAIL' if problems else 'ok  '} {label}: {got['matches']} matches of "
                      f"{got['records']}" + ("; " + "; ".join(problems) if problems else ""))
                failures += bool(problems)
                cases += 1
    print(f"{cases - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
