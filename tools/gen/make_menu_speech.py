#!/usr/bin/env python3
"""Writes the menu speech list "Menu" from data/menu/menu-speech.txt.

Each source line is a menu caption (without its "&"), a tab and the text spoken for it, in
UTF-8. The output holds one line per entry, caption=spoken text: the caption in the Vni for Dos
code (the code of the interface texts), the spoken text in Vni for Win (the code the speak
operation is given), CR LF line ends. A caption repeated, a line without a tab or a character
that the codes cannot hold is an error.

usage: make_menu_speech.py SOURCE OUTPUT
"""
import sys
import unicodedata
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import make_code_tables as tables  # noqa: E402


def encoder(keyboard_table):
    entries = tables.parse_keyboard_table(keyboard_table)
    letters = dict(zip(tables.LETTERS, entries))

    def encode(text, where):
        out = b""
        for ch in unicodedata.normalize("NFC", text):
            if ch in letters:
                out += letters[ch]
            elif ord(ch) < 0x80 and ch not in "\r\n=":
                out += ch.encode()
            else:
                raise SystemExit(f"{where}: cannot write {ch!r}")
        return out

    return encode


def main():
    source, output = Path(sys.argv[1]), Path(sys.argv[2])
    vni_dos = encoder(tables.VNI_ASCII)
    vni_win = encoder(tables.VNI_ANSI)
    lines, seen = [], set()
    for number, line in enumerate(source.read_text(encoding="utf-8").splitlines(), 1):
        if not line.strip() or line.startswith("#"):
            continue
        if "\t" not in line:
            raise SystemExit(f"{source}:{number}: no tab between caption and spoken text")
        caption, spoken = line.split("\t", 1)
        if caption in seen:
            raise SystemExit(f"{source}:{number}: caption repeated: {caption}")
        seen.add(caption)
        where = f"{source}:{number}"
        lines.append(vni_dos(caption, where) + b"=" + vni_win(spoken.strip(), where))
    output.write_bytes(b"\r\n".join(lines) + b"\r\n")


if __name__ == "__main__":
    main()
