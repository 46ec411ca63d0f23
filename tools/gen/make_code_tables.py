#!/usr/bin/env python3
"""Writes the Vietnamese code tables of data/VNCFiles.

Every table lists the 146 letters in the letter order: a ă â e ê i o ô ơ u ư y, each plain,
acute, grave, hook above, tilde, dot below; then đ; then the same in capitals, Đ last. One
letter group per line, entries separated by single spaces, lines ending in CR LF.

Sources of the bytes:
- "Vni for Win" and "Vni for Dos": the VNI-ANSI and VNI-ASCII letter tables of the accent
  keyboard (held below as text, exactly as the keyboard has them).
- "LikeVNIDos": the reading code of the word reader: the Vni for Dos base letter followed by
  the tone digit 1-5.
- "VISCII", "TCVN3", "VPS": recode's charsets VISCII, TCVN (TCVN 5712:1993; its lowercase is
  the ABC font code, its capitals with tones the VN1 positions) and VPS. recode's VPS lacks
  capital O with circumflex and tilde, which VPS places at 0x99 between 0x98 and 0x9A.
- "Unicode" (UTF-8, precomposed), "Unicode Compound" (UTF-8, precomposed vowel letters with a
  combining tone mark, as Vietnamese keyboards write "to hop" text) and "Windows-1258"
  (precomposed where the code page has the letter, else base letter plus combining tone).

Run it with the folder to write into; it needs recode only for VISCII, TCVN3 and VPS.
"""
import subprocess
import sys
import unicodedata
from pathlib import Path

GROUPS = ["a", "ă", "â", "e", "ê", "i", "o", "ô", "ơ", "u", "ư", "y"]
TONES = ["", "\u0301", "\u0300", "\u0309", "\u0303", "\u0323"]


def letters():
    out = []
    for upper in (False, True):
        for g in GROUPS:
            base = g.upper() if upper else g
            out += [unicodedata.normalize("NFC", base + t) for t in TONES]
        out.append("Đ" if upper else "đ")
    return out


LETTERS = letters()
assert len(LETTERS) == 146

# The accent keyboard's tables, as printed there: one letter per item, bytes in hex, ASCII
# letters as themselves.
VNI_ANSI = """
a a,F9 a,F8 a,FB a,F5 a,EF | a,EA a,E9 a,E8 a,FA a,FC a,EB | a,E2 a,E1 a,E0 a,E5 a,E3 a,E4
e e,F9 e,F8 e,FB e,F5 e,EF | e,E2 e,E1 e,E0 e,E5 e,E3 e,E4 | i ED EC E6 F3 F2
o o,F9 o,F8 o,FB o,F5 o,EF | o,E2 o,E1 o,E0 o,E5 o,E3 o,E4 | F4 F4,F9 F4,F8 F4,FB F4,F5 F4,EF
u u,F9 u,F8 u,FB u,F5 u,EF | F6 F6,F9 F6,F8 F6,FB F6,F5 F6,EF | y y,F9 y,F8 y,FB y,F5 EE | F1
A A,D9 A,D8 A,DB A,D5 A,CF | A,CA A,C9 A,C8 A,DA A,DC A,CB | A,C2 A,C1 A,C0 A,C5 A,C3 A,C4
E E,D9 E,D8 E,DB E,D5 E,CF | E,C2 E,C1 E,C0 E,C5 E,C3 E,C4 | I CD CC C6 D3 D2
O O,D9 O,D8 O,DB O,D5 O,CF | O,C2 O,C1 O,C0 O,C5 O,C3 O,C4 | D4 D4,D9 D4,D8 D4,DB D4,D5 D4,CF
U U,D9 U,D8 U,DB U,D5 U,CF | D6 D6,D9 D6,D8 D6,DB D6,D5 D6,CF | Y Y,D9 Y,D8 Y,DB Y,D5 CE | D1
"""
VNI_ASCII = """
a A0 85 E0 E1 E2 | E8 E9 EA EB EC ED | 83 E3 E4 E5 E6 E7 | e 82 8A 81 84 86 | 88 89 8B 8E 8F AC
i A1 8D A9 AA AB | o A2 95 91 92 94 | 93 96 98 99 9A 9B | F3 F4 F5 F6 F7 F8 | u A3 97 9C 9D 9E
9F A4 A5 A6 A7 A8 | y EE EF F0 F1 F2 | AD
A 5E 60 7C 7D 7E | FC B0 B1 B2 B3 7B | FD 80 87 8C 90 AF | E B4 B5 B6 B7 B8 | FE B9 BA BB BC BD
I BE BF C0 C1 C2 | O C3 C4 C5 C6 C7 | F9 C8 C9 CA CB CC | FA CD CE CF D0 D1 | U D2 D3 D4 D5 D6
FB D7 D8 D9 DA DB | Y DC DD DE DF 40 | AE
"""


def parse_keyboard_table(text):
    entries = []
    for item in text.replace("|", " ").split():
        b = b""
        for part in item.split(","):
            b += part.encode() if len(part) == 1 else bytes([int(part, 16)])
        entries.append(b)
    assert len(entries) == 146, len(entries)
    return entries


def like_vni_dos(vni_dos):
    # Base letter (the plain form of the group in Vni for Dos) plus the tone digit.
    out = []
    for i, letter in enumerate(LETTERS):
        if i in (72, 145):
            out.append(vni_dos[i])
            continue
        half, rest = divmod(i, 73)
        group, tone = divmod(rest, 6)
        base = vni_dos[half * 73 + group * 6]
        out.append(base + (str(tone).encode() if tone else b""))
    return out


def recode(charset):
    out = []
    for letter in LETTERS:
        p = subprocess.run(["recode", "-f", "utf8.." + charset], input=letter.encode(),
                           capture_output=True, check=True)
        out.append(p.stdout)
    return out


def vps():
    out = recode("VPS")
    i = LETTERS.index("Ỗ")
    if out[i] == b"":
        out[i] = b"\x99"
    return out


def compound(letter):
    d = unicodedata.normalize("NFD", letter)
    tone = "".join(c for c in d if c in TONES[1:])
    base = unicodedata.normalize("NFC", "".join(c for c in d if c not in TONES[1:]))
    return base + tone


def cp1258(letter):
    try:
        return letter.encode("cp1258")
    except UnicodeEncodeError:
        return compound(letter).encode("cp1258")


def write_table(folder, name, entries):
    assert len(entries) == 146 and all(entries), name
    assert len(set(entries)) == 146, name
    lines = [entries[i:i + 6] for i in range(0, 72, 6)] + [[entries[72]]]
    lines += [entries[73 + i:73 + i + 6] for i in range(0, 72, 6)] + [[entries[145]]]
    data = b"\r\n".join(b" ".join(line) for line in lines) + b"\r\n"
    (folder / (name + ".vnc")).write_bytes(data)


def main():
    folder = Path(sys.argv[1] if len(sys.argv) > 1 else "data/VNCFiles")
    folder.mkdir(parents=True, exist_ok=True)
    vni_dos = parse_keyboard_table(VNI_ASCII)
    write_table(folder, "Vni for Win", parse_keyboard_table(VNI_ANSI))
    write_table(folder, "Vni for Dos", vni_dos)
    write_table(folder, "LikeVNIDos", like_vni_dos(vni_dos))
    write_table(folder, "VISCII", recode("VISCII"))
    write_table(folder, "TCVN3", recode("TCVN"))
    write_table(folder, "VPS", vps())
    write_table(folder, "Unicode", [l.encode() for l in LETTERS])
    write_table(folder, "Unicode Compound", [compound(l).encode() for l in LETTERS])
    write_table(folder, "Windows-1258", [cp1258(l) for l in LETTERS])


if __name__ == "__main__":
    main()
