#!/usr/bin/env python3
"""Writes the six-key keyboard's cell table "SixKey" from data/braille/sixkey-cells.txt.

The output is what the keyboard component loads into its Characters: one line per cell in
cell order (63 lines), the bytes typed with no modifier, Shift, Alt and Shift+Alt separated by
single spaces (an empty column leaves two spaces in a row; empty columns at the end of a line
are left out), lines ending in CR LF.

Usage: make_sixkey_table.py SOURCE OUTPUT
"""
import sys
from pathlib import Path

ROWS = 63
# Bytes the table text cannot hold: they separate columns and lines, or end a string.
UNWRITABLE = {0x00, 0x0A, 0x0D, 0x20}


class TableError(Exception):
    pass


def dots_of(row):
    return "".join(str(d + 1) for d in range(6) if row & (1 << d))


def parse(text):
    """The four column bytes (None for none) of every cell, from the source text."""
    cells = []
    for number, line in enumerate(text.splitlines(), 1):
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        fields = line.split()
        where = f"line {number}"
        if len(fields) != 6:
            raise TableError(f"{where}: expected a cell, its dots and four columns, got {len(fields)} fields")
        row = len(cells) + 1
        if fields[0] != str(row):
            raise TableError(f"{where}: expected cell {row}, found {fields[0]}")
        if fields[1] != dots_of(row):
            raise TableError(f"{where}: cell {row} raises dots {dots_of(row)}, not {fields[1]}")
        columns = []
        for field in fields[2:]:
            if field == "-":
                columns.append(None)
                continue
            try:
                value = int(field, 16)
            except ValueError:
                value = -1
            if len(field) != 2 or not 0 <= value <= 0xFF:
                raise TableError(f"{where}: {field!r} is neither two hex digits nor -")
            if value in UNWRITABLE:
                raise TableError(f"{where}: byte {field} cannot be written in the cell table")
            columns.append(value)
        cells.append(columns)
    if len(cells) != ROWS:
        raise TableError(f"expected {ROWS} cells, found {len(cells)}")
    return cells


def table_bytes(cells):
    out = bytearray()
    for columns in cells:
        fields = [bytes([c]) if c is not None else b"" for c in columns]
        while fields and not fields[-1]:
            fields.pop()
        out += b" ".join(fields) + b"\r\n"
    return bytes(out)


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    source, output = Path(argv[1]), Path(argv[2])
    try:
        cells = parse(source.read_text(encoding="utf-8"))
    except (OSError, UnicodeDecodeError, TableError) as e:
        print(f"{source}: {e}", file=sys.stderr)
        return 1
    output.parent.mkdir(parents=True, exist_ok=True)
    temp = output.with_name(output.name + ".tmp")
    temp.write_bytes(table_bytes(cells))
    temp.replace(output)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
