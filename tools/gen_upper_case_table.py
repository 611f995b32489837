#!/usr/bin/env python3
"""Generates platform/upper_case_table.inc, the table behind platform::UpperCaseUnit.

The table gives the simple (one-to-one) upper-case mapping of every code unit of the Basic
Multilingual Plane, taken from the Unicode Character Database of the Python running this script
(unicodedata.unidata_version is written into the output):

  - a character whose full upper-case mapping (str.upper()) is one character maps to it;
  - a character whose full upper-case mapping has several characters (sharp s -> "SS", the
    ligatures, the Greek letters with ypogegrammeni...) maps to its simple upper-case mapping,
    which Python does not expose: where the full title-case mapping (str.title()) is one
    character, that character (U+1F80 -> U+1F88, U+1FB3 -> U+1FBC: the simple upper-case form
    of a letter with ypogegrammeni is the letter with prosgegrammeni), else the character itself
    (U+00DF stays U+00DF). For Unicode 14.0.0 this gives exactly the Simple_Uppercase_Mapping of
    UnicodeData.txt (checked against Perl's Unicode::UCD);
  - surrogates (U+D800..U+DFFF) map to themselves.

The layout is that of platform/lower_case_table.inc (see tools/gen_lower_case_table.py): blocks of
per-unit differences stored once each, and an index of blocks.

Usage, from anywhere (rerun after a Python upgrade brings a new Unicode version):

    python3 tools/gen_upper_case_table.py [OUTPUT]

OUTPUT defaults to platform/upper_case_table.inc next to this script's folder.
"""

import pathlib
import sys

from gen_lower_case_table import UNIT_COUNT, build_blocks, render


def upper_case_unit(unit):
    if 0xD800 <= unit <= 0xDFFF:
        return unit
    character = chr(unit)
    upper = character.upper()
    if len(upper) != 1:
        title = character.title()
        upper = title if len(title) == 1 else character
    if ord(upper) >= UNIT_COUNT:
        sys.exit(f"U+{unit:04X} upper-cases outside the Basic Multilingual Plane")
    return ord(upper)


def main():
    default = pathlib.Path(__file__).resolve().parent.parent / "platform" / "upper_case_table.inc"
    output = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else default
    index, blocks = build_blocks(upper_case_unit)
    text = render(index, blocks, generator="tools/gen_upper_case_table.py",
                  includer="platform/upper_case.cpp", form="upper-case", prefix="kUpperCase")
    output.write_text(text, encoding="ascii", newline="\n")


if __name__ == "__main__":
    main()
