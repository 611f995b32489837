"""Checks the workbook export cell by cell against logbench's plain dump of the same result, read
back by openpyxl (an independent reader of the format): on a generated GBK day and on records
whose values a spreadsheet would change if it could (long serials, leading zeros, formulas,
dates, numbers in exponent form, control characters). Exits non-zero on the first difference.

usage: check_xlsx.py LOGGEN LOGBENCH WORKDIR
       check_xlsx.py --compare WORKBOOK DUMP   (one workbook against logbench's --dump)
"""

import os
import re
import shutil
import subprocess
import sys

import openpyxl

import reference_query as ref

HEADERS = ["序号", "帐号", "角色名", "地图代码", "坐标X", "坐标Y", "等级", "物品流水号", "物品ID",
           "物品名称", "参数1", "参数2", "关联", "记录时间", "备注"]

# Values put into a record's fields, each of which must come back as the same text.
AWKWARD = ["=1+2", "+SUM(A1)", "-3", "@cmd", "000123", "12345678901234567890", "1E5",
           "2026-12-10", "3/4", "TRUE", "a\x01b", "<&>\"'", "屠龙刀", " lead", "_x0041_"]


def unescaped(cell):
    """A cell's text as Excel shows it: the format writes control characters as _xHHHH_, which
    this reader leaves as they are."""
    if not isinstance(cell, str):
        return cell
    return re.sub(r"_x([0-9A-Fa-f]{4})_", lambda m: chr(int(m.group(1), 16)), cell)


def add_awkward_records(root):
    """Appends records with the awkward values to the first log of the first day, in GBK."""
    folder = os.path.join(root, ref.BASE_DIR, ref.day_folders(root)[0])
    name = sorted(n for n in os.listdir(folder) if n.lower().endswith((".log", ".txt")))[0]
    path = os.path.join(folder, name)
    with open(path, "rb") as f:
        template = f.read().decode("gbk").splitlines()[0].split("\t")
    lines = []
    for value in AWKWARD:
        parts = list(template)
        for number in (1, 3, 9, 10, 11, 14):  # the searchable parts, all shown as text
            if number < len(parts):
                parts[number] = value
        lines.append("\t".join(parts))
    with open(path, "ab") as f:
        f.write(("\r\n" + "\r\n".join(lines) + "\r\n").encode("gbk"))


def compare(workbook_path, dump):
    """Returns (a description of the first difference or None, the set of values seen)."""
    with open(dump, encoding="utf-8") as f:
        expected = [line.split("\t") for line in f.read().split("\n")[:-1]]
    seen = set()
    workbook = openpyxl.load_workbook(workbook_path, read_only=True)
    if workbook.sheetnames != ["结果 1"]:
        return f"sheets: {workbook.sheetnames}", seen
    rows = workbook["结果 1"].iter_rows(values_only=True)
    header = list(next(rows))
    if header != HEADERS:
        return f"header: {header}", seen
    count = 0
    for number, (got, want) in enumerate(zip(rows, expected), start=1):
        count += 1
        got = list(got) + [None] * (15 - len(got))
        if got[0] != number or not isinstance(got[0], int):
            return f"row {number}: 序号 {got[0]!r}", seen
        for column in range(1, 15):
            value = want[column] if column < len(want) else ""
            cell = unescaped(got[column])
            if (cell or "") != value or (cell is not None and not isinstance(cell, str)):
                return f"row {number} {HEADERS[column]}: {cell!r} where the log has {value!r}", seen
            seen.add(value)
    if count != len(expected):
        return f"{count} rows where the result has {len(expected)}", seen
    print(f"{count} rows: the workbook reads as the dump")
    return None, seen


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--compare":
        problem, _ = compare(sys.argv[2], sys.argv[3])
        if problem:
            print(problem)
        return 1 if problem else 0
    loggen, logbench, work = sys.argv[1:4]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    root = os.path.join(work, "gbk")
    subprocess.run([loggen, "--root", root, "--size", "1", "--days", "1", "--encoding", "gbk",
                    "--seed", "21"], check=True, capture_output=True)
    add_awkward_records(root)
    dump = os.path.join(work, "dump.txt")
    workbook_path = os.path.join(work, "结果.xlsx")
    subprocess.run([logbench, "--root", root, "--dates", ref.day_folders(root)[0], "--codepage",
                    "GBK", "--queries", "1", "--dump", dump, "--export", workbook_path],
                   check=True, capture_output=True)
    problem, seen = compare(workbook_path, dump)
    if problem:
        print(problem)
        return 1
    missing = [value for value in AWKWARD if value not in seen]
    if missing:
        print(f"never seen: {missing}")
        return 1
    print(f"{len(AWKWARD)} awkward values among them")
    return 0


if __name__ == "__main__":
    sys.exit(main())
