#!/usr/bin/env python3
"""Writes the seed corpus of the state fuzzer into corpus/: valid state blocks and every kind
of damaged one a host or a project file could hand over. Run it again after changing a case;
the files are committed."""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus")
MAGIC = b"\x56\x43\x32\x21"


def block(text, length=None, zero=True):
    data = text.encode("utf-8") if isinstance(text, str) else text
    n = len(data) if length is None else length
    return MAGIC + struct.pack("<i", n) + data + (b"\0" if zero else b"")


def state(red="0", green="0", blue="0", x2="0", tag="ZARIVIR"):
    return f'<{tag} red="{red}" green="{green}" blue="{blue}" x2="{x2}"/>'


cases = {
    "valid-zeros": block(state()),
    "valid-mixed": block(state("0.5", "0", "1", "1")),
    "valid-long-digits": block(state("0.30000001192092895508", "0.69999998807907104492", "1.0000000000000000818e-05", "0.5")),
    "valid-other-tag": block(state("0.25", "0.5", "0.75", "1", tag="SOMETHING")),
    "valid-green-only": block('<ZARIVIR green="0.6"/>'),
    "valid-children-and-extras": block('<ZARIVIR red="0.5" extra="9"><child red="1"/>text</ZARIVIR>'),
    "valid-trailing-garbage": block(state("1", "1", "1", "1")) + b"garbage after the text",
    "values-nan-inf": block(state("nan", "inf", "-inf", "NaN")),
    "values-huge": block(state("-1e400", "1e400", "1e-400", "99999999999999999999999")),
    "values-forms": block(state("1e-05", " 0.25", "+.5", "0x10")),
    "values-words": block(state("abc", "", "on", "On")),
    "uppercase-names": block('<ZARIVIR RED="1" Green="1" BLUE="1" X2="1"/>'),
    "duplicate-attributes": block('<ZARIVIR red="0.1" red="0.9"/>'),
    "empty": b"",
    "header-only": MAGIC + struct.pack("<i", 44),
    "nine-bytes": MAGIC + struct.pack("<i", 1) + b"<",
    "wrong-magic": b"\x57" + block(state())[1:],
    "length-zero": block(state(), length=0),
    "length-negative": block(state(), length=-1),
    "length-huge": block(state(), length=0x7FFFFFFF),
    "length-too-short": block(state("1", "1", "1", "1"), length=20),
    "length-cuts-after-attribute": block(state("1", "1", "1", "1"), length=35),
    "length-longer-than-data": block(state("1", "1", "1", "1"), length=1000, zero=False),
    "not-xml": block("just some text"),
    "unclosed": block('<ZARIVIR red="1" green="1"'),
    "unmatched-quote": block('<ZARIVIR red="1/>'),
    "invalid-utf8-value": block(b'<ZARIVIR red="\xff\xfe0.5" green="\xc3\x28"/>'),
    "invalid-utf8-name": block(b'<ZARIVIR r\xe9d="0.5" \xed\xa0\x80="1"/>'),
    "nul-inside": block(b'<ZARIVIR red="0.5\x00" green="1"/>'),
    "deeply-nested": block("<a>" * 20000 + "</a>" * 20000),
    "deeply-nested-unclosed": block("<a>" * 100000),
    "entity-expansion": block(
        '<?xml version="1.0"?><!DOCTYPE z [<!ENTITY a "aaaaaaaaaa">'
        + "".join(f'<!ENTITY {chr(98 + i)} "' + f"&{chr(97 + i)};" * 10 + '">' for i in range(9))
        + ']><ZARIVIR red="&j;"/>'),
    "declaration-first": block('<?xml version="1.0" encoding="UTF-8"?>\n' + state("0.5", "0.5", "0.5", "0.5")),
    "megabyte-of-attributes": block("<ZARIVIR " + " ".join(f'a{i}="{i}"' for i in range(90000)) + ' red="0.5"/>'),
}

os.makedirs(OUT, exist_ok=True)

for name, data in cases.items():
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)

print(f"{len(cases)} seeds in {OUT}")
