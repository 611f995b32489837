"""An independent, deliberately plain reading of how the analyzer loads and queries logs.

Used to check the engine end to end: given a server root, day folders, a code page and the query
inputs, it prints the result list the way `logbench --dump` writes it (row number, then the
fifteen grid columns, TAB-separated, one record a line) and returns the counts.
"""

import fnmatch
import os
import re

BASE_DIR = os.path.join("LogServer", "BaseDir")

# Grid columns 1..14 as line part numbers.
GRID_PARTS = [1, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16, 15]
# The six searchable columns, by name, as line part numbers.
SEARCHABLE = {"帐号": 1, "角色名": 3, "物品流水号": 9, "物品ID": 10, "物品名称": 11, "关联": 14}
ALL_COLUMNS = "所有列"

ACTIONS = [
    "选择全部", "物品相关", "取回仓库物品", "存放仓库物品", "拾取地面物品", "系统制造物品",
    "ＧＭ制造物品", "商店制造物品", "商店回收物品", "物品持久消失", "物品掉落销毁",
    "物品丢弃销毁", "商铺购买物品", "交易失去物品", "交易得到物品", "玩家购买物品",
    "玩家出售物品", "玩家使用物品", "玩家穿戴物品", "玩家脱下物品", "死亡掉落物品",
    "怪物掉落物品", "邮件提取物品", "摆摊上架物品", "摆摊下架物品", "摆摊买入物品", "玩家行为",
    "玩家上线登陆", "玩家离线登出", "玩家行为记录", "玩家货币记录", "玩家死亡记录", "英雄死亡记录",
]
KEYWORDS = {
    "怪物掉落物品": ["怪物掉落"], "死亡掉落物品": ["死亡掉落"], "取回仓库物品": ["仓库取", "取回仓库"],
    "存放仓库物品": ["仓库存", "存放仓库"], "拾取地面物品": ["拾取"], "系统制造物品": ["系统制造"],
    "ＧＭ制造物品": ["gm制造", "GM制造"], "商店制造物品": ["|"], "商店回收物品": ["NPC收回"],
    "物品持久消失": ["持久消失"], "物品掉落销毁": ["丢弃消失"], "物品丢弃销毁": ["丢弃"],
    "商铺购买物品": ["商铺购买"], "交易失去物品": ["交易失去"], "交易得到物品": ["交易得到"],
    "玩家购买物品": ["玩家购买"], "玩家出售物品": ["玩家出售"], "玩家使用物品": ["使用"],
    "玩家穿戴物品": ["穿带", "穿戴"], "玩家脱下物品": ["脱下"], "邮件提取物品": ["邮件提取"],
    "摆摊上架物品": ["摆摊上架"], "摆摊下架物品": ["摆摊下架"], "摆摊买入物品": ["摆摊买入"],
    "玩家上线登陆": ["上线", "登陆", "登录"], "玩家离线登出": ["离线", "登出", "下线"],
    "玩家行为记录": ["倒计时", "权限", "升级", "经验", "等级"], "玩家货币记录": ["货币"],
    "玩家死亡记录": [""], "英雄死亡记录": ["英雄死亡"],
}
GROUPS = {1: range(2, 26), 26: range(27, 33)}

WHITE = "".join(chr(c) for c in range(0x21))


def day_folders(root):
    base = os.path.join(root, BASE_DIR)
    names = [n for n in os.listdir(base)
             if not n.startswith(".") and len(n) == 10 and n[4] == "-" and n[7] == "-"]
    return sorted(names)


def lines_of(text):
    if not text:
        return []
    pieces = re.split(r"\r\n|\r|\n", text)
    if re.search(r"(\r\n|\r|\n)$", text):
        pieces.pop()
    return pieces


def upper_unit(unit):
    """The simple upper-case mapping of one UTF-16 unit."""
    if 0xD800 <= unit <= 0xDFFF:
        return unit
    character = chr(unit)
    upper = character.upper()
    if len(upper) != 1:
        title = character.title()
        upper = title if len(title) == 1 else character
    return ord(upper)


def name_order(name):
    """The order Windows lists an NTFS folder in: UTF-16 units upper-cased one at a time and
    compared as unsigned values; names that upper-case alike by their own units."""
    data = name.encode("utf-16-le", "surrogatepass")
    units = [int.from_bytes(data[i:i + 2], "little") for i in range(0, len(data), 2)]
    return [upper_unit(unit) for unit in units], units


def load(root, dates, encoding):
    """Returns (files, records); records are lists of line parts."""
    files, records = 0, []
    for name in day_folders(root):
        if name not in dates:
            continue
        folder = os.path.join(root, BASE_DIR, name)
        if not os.path.isdir(folder):
            continue
        entries = sorted(os.listdir(folder), key=name_order)
        for pattern in ("*.log", "*.txt"):
            for entry in entries:
                if not fnmatch.fnmatchcase(entry.lower(), pattern):
                    continue
                files += 1
                with open(os.path.join(folder, entry), "rb") as f:
                    data = f.read()
                if encoding == "utf-8" and data.startswith(b"\xef\xbb\xbf"):
                    data = data[3:]
                for line in lines_of(data.decode(encoding, errors="replace")):
                    line = line.strip(WHITE)
                    if line:
                        records.append(line.split("\t"))
    return files, records


def part(parts, number):
    return parts[number] if number < len(parts) else ""


def match_text(value, keyword, exact):
    if exact:
        return value == keyword
    fold = lambda s: "".join(chr(ord(c) + 32) if "A" <= c <= "Z" else c for c in s)
    return value != "" and fold(keyword) in fold(value)


def match_keyword(parts, keyword, column, exact):
    if column == ALL_COLUMNS:
        return any(match_text(part(parts, n), keyword, exact) for n in SEARCHABLE.values())
    if column in SEARCHABLE:
        return match_text(part(parts, SEARCHABLE[column]), keyword, exact)
    return False


def action_flags(toggles):
    flags = [False] * len(ACTIONS)
    flags[0] = True

    def recompute():
        flags[0] = all(flags[i] for i in range(2, len(flags)) if i != 26)

    for index in toggles:
        if index < 0 or index >= len(flags):
            continue
        if index == 0:
            flags = [False] * len(ACTIONS)
            flags[0] = True
            continue
        flags[index] = not flags[index]
        if index in GROUPS:
            for member in GROUPS[index]:
                flags[member] = flags[index]
        recompute()
    return flags


def query(records, inputs, toggles):
    flags = action_flags(toggles)
    checked = [i for i, f in enumerate(flags) if f and i not in (0, 1, 26)]
    keywords = [k.lower() for i in checked for k in KEYWORDS[ACTIONS[i]] if k]
    result = []
    for parts in records:
        ok = True
        for keyword, column, exact in inputs:
            keyword = keyword.strip(WHITE)
            if keyword and not match_keyword(parts, keyword, column, exact):
                ok = False
                break
        if ok and not flags[0] and checked:
            logtime = part(parts, 16).lower()
            ok = any(k in logtime for k in keywords)
        if ok:
            result.append(parts)
    return result


def dump_lines(result):
    return ["\t".join([str(row)] + [part(parts, n) for n in GRID_PARTS])
            for row, parts in enumerate(result, start=1)]
