#!/usr/bin/env python3
"""Writes the Braille data of the program folder.

Reads (from the data folder given as the first argument):
- braille/sixkey-cells.txt: the byte that each Braille cell types; the one source of which
  Braille byte is which cell;
- braille/symbols.txt: the Braille bytes of the print symbols;
- braille/tone-groups.txt: the vowel groups whose tone cell moves before the group;
- VNCFiles/Vni for Win.vnc: the bytes of the 146 letters in "Vni for Win".

Writes (into the folder given as the second argument):
- "Vni for Win.vnc" and "Braille.vnc": the table pair of Vietnamese Braille grade 1;
- "PrtSrc.vnc" and "PrtDes.vnc": every Braille byte and its North American Braille ASCII
  character, the code of BRF files, which embossers print;
- "Dot": one line per Braille byte, character=dot numbers (what the dot reading speaks);
- "braille-cells.txt": the cell of every Braille byte, for the Braille screen font and the
  tools: one line per byte, two hex digits, a space, the raised dots in ascending order.

Braille text holds one byte per cell: the bytes that the six-key keyboard types, letters in
their print case (a capital sign DE goes before capitals), and digits as digit bytes (after the
number sign "#"), which show as the cells of a to j.
"""
import heapq
import sys
import unicodedata
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from make_code_tables import LETTERS  # noqa: E402  (the 146 letters in the letter order)

TONE_MARKS = ["\u0301", "\u0300", "\u0309", "\u0303", "\u0323"]  # sắc huyền hỏi ngã nặng
TONE_CELLS = [0xD8, 0xD9, 0xDA, 0xDB, 0xDC]  # their Braille bytes, in the same order
TONE_DOTS = ["35", "56", "26", "36", "6"]
CAPITAL_SIGN, NUMBER_SIGN = 0xDE, 0x23
# The uppercase tone and vowel-mark bytes of "Vni for Win", which InsertBrailleSigns counts as
# part of a run of capitals.
UPPERCASE_MARKS = set(range(0xC0, 0xC6)) | set(range(0xC8, 0xCC)) | {0xCF, 0xD5} | set(
    range(0xD8, 0xDD))
DIGIT_DOTS = ["1", "12", "14", "145", "15", "124", "1245", "125", "24", "245"]  # 1 to 9, 0
MAX_ENTRY = 15

# North American Braille ASCII: the character of each cell, indexed by the dot bits.
BRF = {}
for ch, dots in zip(
        " A1B'K2L@CIF/MSP\"E3H9O6R^DJG>NTQ,*5<-U8V.%[$+X!&;:4\\0Z7(_?W]#Y)=",
        ["", "1", "2", "12", "3", "13", "23", "123", "4", "14", "24", "124", "34", "134", "234",
         "1234", "5", "15", "25", "125", "35", "135", "235", "1235", "45", "145", "245", "1245",
         "345", "1345", "2345", "12345", "6", "16", "26", "126", "36", "136", "236", "1236", "46",
         "146", "246", "1246", "346", "1346", "2346", "12346", "56", "156", "256", "1256", "356",
         "1356", "2356", "12356", "456", "1456", "2456", "12456", "3456", "13456", "23456",
         "123456"]):
    BRF[dots] = ch.lower()


class DataError(Exception):
    pass


def dots_of_row(row):
    return "".join(str(d + 1) for d in range(6) if row >> d & 1)


def read_sixkey(path):
    """The cell (dot numbers) of every byte that the six-key table types."""
    cell_of, rows = {}, set()
    for n, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        line = line.split("#")[0].split()
        if not line:
            continue
        row, dots, columns = int(line[0]), line[1], line[2:]
        if len(columns) != 4 or not 1 <= row <= 63 or dots != dots_of_row(row):
            raise DataError(f"{path}:{n}: bad row")
        rows.add(row)
        for b in (int(c, 16) for c in columns if c != "-"):
            if cell_of.setdefault(b, dots) != dots:
                raise DataError(f"{path}:{n}: byte {b:02X} is on two cells")
    if len(rows) != 63:
        raise DataError(f"{path}: {len(rows)} rows, not 63")
    return cell_of


def cell_map(sixkey_cells):
    """Every Braille byte and its cell: the six-key bytes, and the digits, which show as the
    cells of the letters a to j of the common Braille alphabet (4 = 145, not the d of 1356)."""
    cells = dict(sixkey_cells)
    for digit, dots in zip("1234567890", DIGIT_DOTS):
        cells[ord(digit)] = dots
    return dict(sorted(cells.items()))


def vni_letters(path):
    entries = path.read_bytes().split()
    if len(entries) != len(LETTERS):
        raise DataError(f"{path}: {len(entries)} entries, not {len(LETTERS)}")
    vni = dict(zip(LETTERS, entries))
    for c in "bcdfghjklmnpqrstvwxzBCDFGHJKLMNPQRSTVWXZ":
        vni[c] = c.encode()
    return vni


def split_tone(letter):
    """A letter without its tone mark, and the tone index (None when it has none)."""
    d = unicodedata.normalize("NFD", letter)
    tones = [TONE_MARKS.index(c) for c in d if c in TONE_MARKS]
    base = unicodedata.normalize("NFC", "".join(c for c in d if c not in TONE_MARKS))
    return base, (tones[0] if tones else None)


class Encoder:
    def __init__(self, vni, cells):
        self.vni, self.cells = vni, cells

    def print_bytes(self, text):
        return b"".join(self.vni[c] for c in text)

    def braille_letter(self, letter):
        b = letter.encode("cp1258")
        if len(b) != 1 or b[0] not in self.cells:
            raise DataError(f"the letter {letter} has no Braille byte")
        return b

    def braille_bytes(self, text):
        """Letters written tone cell first, each toned letter on its own."""
        out = b""
        for c in text:
            base, tone = split_tone(c)
            if tone is not None:
                out += bytes([TONE_CELLS[tone]])
            out += self.braille_letter(base)
        return out


def letter_entries(enc):
    pairs = []
    for letter in LETTERS:
        pairs.append((enc.print_bytes(letter), enc.braille_bytes(letter)))
    for c in "bcdfghjklmnpqrstvwxzBCDFGHJKLMNPQRSTVWXZ":
        pairs.append((c.encode(), enc.braille_letter(c)))
    # A tone mark standing alone, and a tone cell typed before anything but a vowel.
    for tone, cell in enumerate(TONE_CELLS):
        mark = enc.print_bytes(unicodedata.normalize("NFC", "a" + TONE_MARKS[tone]))[1:]
        pairs.append((mark, bytes([cell])))
    return pairs


def read_symbols(path, cells):
    pairs = []
    for n, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        line = line.split("#")[0].split()
        if not line:
            continue
        try:
            src, dst = bytes([int(line[0], 16)]), bytes(int(x, 16) for x in line[1:])
        except ValueError:
            raise DataError(f"{path}:{n}: not hex bytes")
        if not dst or any(b not in cells for b in dst):
            raise DataError(f"{path}:{n}: a Braille byte with no cell")
        pairs.append((src, dst))
    return pairs


def read_tone_groups(path):
    groups, consonants = [], []
    for n, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        line = line.split("#")[0].split()
        if not line:
            continue
        if line[0] == "consonant":
            consonants.append(line[1])
        else:
            groups.append((line[0], int(line[1]), line[2:]))
    return groups, consonants


def case_forms(text):
    return list(dict.fromkeys([text, text[0].upper() + text[1:], text.upper()]))


def group_entries(enc, groups, consonants):
    """The entries that move a tone from a later vowel of a group to before the group, and
    their forms after qu and gi, where the tone goes after the consonant instead."""
    pairs = []
    for group, toned, after in groups:
        heads = [("", group)] + [(c, group[1:]) for c in consonants if c[-1] == group[0]]
        for head, rest in heads:
            for tone, mark in enumerate(TONE_MARKS):
                letters = list(head + rest)
                at = len(head + rest) - len(group) + toned - 1  # the toned vowel
                letters[at] = unicodedata.normalize("NFC", letters[at] + mark)
                for follow in after or [""]:
                    for form in case_forms(head + rest + follow):
                        upper = [c.isupper() for c in form]
                        toned_form = "".join(
                            unicodedata.normalize("NFC", c.upper() if u else c)
                            for c, u in zip(letters + list(follow), upper))
                        cell = bytes([TONE_CELLS[tone]])
                        braille = (enc.braille_bytes(form[:len(head)]) + cell +
                                   enc.braille_bytes(form[len(head):]))
                        pairs.append((enc.print_bytes(toned_form), braille))
    return pairs


def closing_sign_entries(pairs):
    """InsertBrailleSigns ends a run of capitals with a capital sign written before the marks
    that were still held, so in a heading that ends in a toned letter (BÀ) the sign falls
    between the letter and its mark byte. Each entry that ends in an uppercase mark therefore
    also has a form with the sign before that mark; its Braille has the sign after the letter."""
    return [(v[:-1] + bytes([CAPITAL_SIGN]) + v[-1:], b + bytes([CAPITAL_SIGN]))
            for v, b in pairs if len(v) > 1 and v[-1] in UPPERCASE_MARKS]


def order_entries(pairs):
    """Entries in an order where no entry is a prefix of an earlier one on either side; checks
    the other rules of a source table on both sides."""
    for side in (0, 1):
        seen = {}
        for p in pairs:
            if p[side] in seen and seen[p[side]] != p:
                raise DataError(f"two entries are {p[side].hex(' ')}")
            seen[p[side]] = p
            if not 0 < len(p[side]) <= MAX_ENTRY or any(b in b" \r\n" for b in p[side]):
                raise DataError(f"bad entry {p[side].hex(' ')}")
    pairs = list(dict.fromkeys(pairs))
    for side in (0, 1):
        singles = {p[side] for p in pairs if len(p[side]) == 1}
        for p in pairs:
            # A longer path that fails must always have a shorter entry to fall back on.
            if p[side][:1] not in singles:
                raise DataError(f"{p[side].hex(' ')} starts with a byte that is no entry")
    # Kahn's topological order over "is a prefix of", shortest and earliest first.
    index = [{p[side]: i for i, p in enumerate(pairs)} for side in (0, 1)]
    after = [[] for _ in pairs]
    waiting = [0] * len(pairs)
    for i, p in enumerate(pairs):
        for side in (0, 1):
            for n in range(1, len(p[side])):
                j = index[side].get(p[side][:n])
                if j is not None:
                    after[j].append(i)
                    waiting[i] += 1
    key = [(len(p[0]) + len(p[1]), i) for i, p in enumerate(pairs)]
    ready = [key[i] for i in range(len(pairs)) if waiting[i] == 0]
    heapq.heapify(ready)
    ordered = []
    while ready:
        _, i = heapq.heappop(ready)
        ordered.append(pairs[i])
        for j in after[i]:
            waiting[j] -= 1
            if waiting[j] == 0:
                heapq.heappush(ready, key[j])
    if len(ordered) != len(pairs):
        raise DataError("the prefixes of the two sides contradict each other")
    return ordered


def write_table(path, entries):
    path.write_bytes(b"".join(e + b"\r\n" for e in entries))


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_braille_tables.py DATA_FOLDER OUT_FOLDER")
    data, out = Path(sys.argv[1]), Path(sys.argv[2])
    try:
        cells = cell_map(read_sixkey(data / "braille/sixkey-cells.txt"))
        for tone, cell in enumerate(TONE_CELLS):
            if cells.get(cell) != TONE_DOTS[tone]:
                raise DataError(f"tone cell {cell:02X} is not dots {TONE_DOTS[tone]}")
        if cells.get(CAPITAL_SIGN) != "46" or cells.get(NUMBER_SIGN) != "3456":
            raise DataError("the capital sign or the number sign has moved")
        enc = Encoder(vni_letters(data / "VNCFiles/Vni for Win.vnc"), cells)
        groups, consonants = read_tone_groups(data / "braille/tone-groups.txt")
        pairs = (letter_entries(enc) + read_symbols(data / "braille/symbols.txt", cells) +
                 group_entries(enc, groups, consonants))
        pairs += closing_sign_entries(pairs)
        entries = order_entries(pairs)
    except DataError as e:
        sys.exit(f"make_braille_tables.py: {e}")

    out.mkdir(parents=True, exist_ok=True)
    write_table(out / "Vni for Win.vnc", [p[0] for p in entries])
    write_table(out / "Braille.vnc", [p[1] for p in entries])
    write_table(out / "PrtSrc.vnc", [bytes([b]) for b in cells])
    write_table(out / "PrtDes.vnc", [BRF[d].encode() for d in cells.values()])
    # "=" cannot be the name of a name=value line; the dot reading speaks it by itself.
    (out / "Dot").write_bytes(b"".join(
        bytes([b]) + b"=" + " ".join(d).encode() + b"\r\n" for b, d in cells.items()
        if b != ord("=")))
    (out / "braille-cells.txt").write_text(
        "# The Braille cell of every byte of Braille text, generated from sixkey-cells.txt:\n"
        "# two hex digits, a space, the raised dots in ascending order. Digits show as the\n"
        "# cells a to j. Bytes not listed have no cell.\n" +
        "".join(f"{b:02X} {d}\n" for b, d in cells.items()), encoding="ascii")


if __name__ == "__main__":
    main()
