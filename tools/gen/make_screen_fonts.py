#!/usr/bin/python3
"""Writes the two screen fonts of the editor, drawn from DejaVu Sans.

"Vni-Screen" draws text in the "Vni for Win" code: every byte is one glyph. A letter that the
code writes as a base letter and a mark byte (a + F9 for á) gets a zero-advance glyph for the
mark byte, placed over the letter before it, as the old 8-bit Vietnamese fonts did; a letter
that the code writes as one byte (F4 for ơ) is drawn whole. Which bytes are marks and which are
letters comes from the code tables themselves: entry k of "Vni for Win.vnc" is the letter of
entry k of "Unicode.vnc". Every other byte is drawn as its Windows-1252 character.

"VBraille" draws every Braille byte as its six-dot cell. The cell of a byte comes from the
six-key cell table (data/braille/sixkey-cells.txt, the one source): cell r has dot i raised when
bit i-1 of r is set, and every byte in any of its four columns is drawn as that cell. The
digits 1..9, 0 are drawn as the cells of the letters a..j; the space is the empty cell; other
bytes keep their usual glyphs. The Unicode Braille patterns U+2800-U+283F draw the same cells,
as glyphs of their own, for printing.

The widgets hold one character per byte through a fixed map (Windows-1252 code points, the
bytes that code page leaves undefined and the soft hyphen 0xAD at U+F000 + byte); the fonts map
exactly those characters. They have no GSUB, GPOS or kern table, so nothing can move or reorder
a glyph, and every glyph is a plain outline (no components, no hinting).

Run it with Debian's /usr/bin/python3 (python3-fonttools):
    make_screen_fonts.py --dejavu DIR --tables DIR --cells FILE --out DIR
"""
import argparse
import sys
from pathlib import Path

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.recordingPen import DecomposingRecordingPen
from fontTools.pens.transformPen import TransformPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont

PRIVATE_BASE = 0xF000
# The digits 1..9, 0 as the cells of a..j.
DIGIT_CELLS = {"1": "1", "2": "12", "3": "14", "4": "145", "5": "15",
               "6": "124", "7": "1245", "8": "125", "9": "24", "0": "245"}
# The bytes that have a glyph: all but the control bytes 00-1F and 7F.
PRINTABLE = [b for b in range(0x20, 0x100) if b != 0x7F]
NOTICE = ("Derived from DejaVu Sans (Bitstream Vera Fonts license; DejaVu changes are in the "
          "public domain). Glyphs rearranged for 8-bit Vietnamese text and Braille.")


def fail(message):
    sys.exit("make_screen_fonts: " + message)


def byte_to_char(b):
    """The character a widget holds for byte b (kept equal to platform/bytechars)."""
    if b < 0x80:
        return b
    if b == 0xAD:
        return PRIVATE_BASE + b
    try:
        return ord(bytes([b]).decode("cp1252"))
    except UnicodeDecodeError:
        return PRIVATE_BASE + b


def table_entries(path):
    """The entries of a code table file: runs of bytes other than CR, LF and space."""
    return path.read_bytes().replace(b"\r", b" ").replace(b"\n", b" ").split()


class Source:
    """A DejaVu face: its glyphs, metrics and character map."""

    def __init__(self, path):
        self.font = TTFont(path)
        self.glyphs = self.font.getGlyphSet()
        self.glyf = self.font["glyf"]
        self.hmtx = self.font["hmtx"]
        self.cmap = self.font.getBestCmap()
        self.ascii_glyphs = {self.cmap[c] for c in range(0x21, 0x7F) if c in self.cmap}

    def glyph_of(self, ch):
        name = self.cmap.get(ord(ch))
        if name is None:
            fail("%s has no glyph for U+%04X" % (self.font.reader.file.name, ord(ch)))
        return name

    def advance(self, name):
        return self.hmtx[name][0]

    def leaves(self, name, dx=0, dy=0):
        """The simple glyphs a glyph is built of, with their offsets."""
        g = self.glyf[name]
        if not g.isComposite():
            return [(name, dx, dy)]
        out = []
        for c in g.components:
            if hasattr(c, "transform"):
                fail("scaled component in " + name)
            out += self.leaves(c.glyphName, dx + c.x, dy + c.y)
        return out

    def centre(self, name):
        """Horizontal centre of a letter's body: a horned letter (ơ, Ư) is centred on its
        plain vowel, not on its advance, which includes the horn."""
        for leaf, dx, _ in self.leaves(name):
            if leaf in self.ascii_glyphs:
                return dx + self.advance(leaf) / 2
        return self.advance(name) / 2

    def draw(self, parts):
        """One plain outline from (glyph, dx, dy) parts."""
        rec = DecomposingRecordingPen(self.glyphs)
        for name, dx, dy in parts:
            self.glyphs[name].draw(TransformPen(rec, (1, 0, 0, 1, dx, dy)))
        pen = TTGlyphPen(None)
        rec.replay(pen)
        return pen.glyph()


class Builder:
    """Collects glyphs and the character map of one new font."""

    def __init__(self, src):
        self.src = src
        self.order = [".notdef"]
        self.outlines = {".notdef": src.draw([(".notdef", 0, 0)])}
        self.advances = {".notdef": src.advance(".notdef")}
        self.cmap = {}

    def copy(self, name):
        if name not in self.outlines:
            self.order.append(name)
            self.outlines[name] = self.src.draw([(name, 0, 0)])
            self.advances[name] = self.src.advance(name)
        return name

    def add(self, name, outline, advance):
        self.order.append(name)
        self.outlines[name] = outline
        self.advances[name] = advance
        return name

    def map_byte(self, b, glyph):
        self.cmap[byte_to_char(b)] = glyph

    def usual_glyph(self, b):
        """The Windows-1252 glyph of a byte; a box for the bytes that code page leaves out."""
        ch = byte_to_char(b)
        if b == 0xA0:
            return self.copy(self.src.glyph_of(" "))
        if b == 0xAD:
            return self.copy(self.src.glyph_of("-"))
        if ch >= PRIVATE_BASE:
            if "unknownbyte" not in self.outlines:
                self.add("unknownbyte", self.src.draw([(".notdef", 0, 0)]),
                         self.src.advance(".notdef"))
            return "unknownbyte"
        return self.copy(self.src.glyph_of(chr(ch)))

    def save(self, path, family, style, src_font):
        fb = FontBuilder(src_font["head"].unitsPerEm, isTTF=True)
        fb.setupGlyphOrder(self.order)
        fb.setupCharacterMap(self.cmap)
        fb.setupGlyf(self.outlines)
        glyf = fb.font["glyf"]
        metrics = {}
        for name in self.order:
            g = glyf[name]
            g.recalcBounds(glyf)
            metrics[name] = (self.advances[name], getattr(g, "xMin", 0))
        fb.setupHorizontalMetrics(metrics)
        hhea = src_font["hhea"]
        fb.setupHorizontalHeader(ascent=hhea.ascent, descent=hhea.descent, lineGap=hhea.lineGap)
        bold = style == "Bold"
        ps = family + "-" + style
        fb.setupNameTable({"familyName": family, "styleName": style,
                           "uniqueFontIdentifier": ps, "fullName": family + " " + style,
                           "psName": ps, "version": "Version 1.0", "copyright": NOTICE,
                           "licenseDescription": NOTICE})
        os2 = src_font["OS/2"]
        fb.setupOS2(usWeightClass=700 if bold else 400,
                    fsSelection=0x20 if bold else 0x40,
                    sTypoAscender=os2.sTypoAscender, sTypoDescender=os2.sTypoDescender,
                    sTypoLineGap=os2.sTypoLineGap, usWinAscent=os2.usWinAscent,
                    usWinDescent=os2.usWinDescent, achVendID="TAVI",
                    # Installable, as DejaVu itself: its licence lets documents embed the faces.
                    fsType=0,
                    ulCodePageRange1=1, ulCodePageRange2=0)
        post = src_font["post"]
        fb.setupPost(underlinePosition=post.underlinePosition,
                     underlineThickness=post.underlineThickness)
        fb.font["head"].macStyle = 1 if bold else 0
        fb.save(str(path))


def vni_screen(src, tables):
    """The "Vni for Win" screen font."""
    vni = table_entries(tables / "Vni for Win.vnc")
    uni = [e.decode("utf-8") for e in table_entries(tables / "Unicode.vnc")]
    if len(vni) != 146 or len(uni) != 146:
        fail("the Vni for Win and Unicode tables must hold 146 letters")
    b = Builder(src)
    letters = {}  # one-byte letters: byte -> the letter it stands for
    for v, u in zip(vni, uni):
        if len(v) == 1 and v[0] >= 0x80:
            letters[v[0]] = u
    uses = {}  # mark byte -> [(base letter, whole letter)]
    for v, u in zip(vni, uni):
        if len(v) == 2:
            base = chr(v[0]) if v[0] < 0x80 else letters.get(v[0])
            if base is None:
                fail("entry %r: base byte is no letter" % v)
            uses.setdefault(v[1], []).append((base, u))
        elif len(v) > 2:
            fail("entry %r is longer than a letter and a mark" % v)
    for byte, uses_of in sorted(uses.items()):
        if byte in letters:
            fail("byte %02X is both a letter and a mark" % byte)
        # The shape comes from the first whole letter on a plain base (a, A): its outline
        # without the base letter's.
        base, whole = next(((x, w) for x, w in uses_of if ord(x) < 0x80), uses_of[0])
        base_glyph = src.glyph_of(base)
        parts = src.leaves(src.glyph_of(whole))
        for leaf in src.leaves(base_glyph):
            if leaf not in parts:
                fail("%s is not drawn as %s plus a mark" % (whole, base))
            parts.remove(leaf)
        if not parts:
            fail("%s has no mark over %s" % (whole, base))
        # Zero advance: drawn left of the pen, over the letter before it. The mark keeps its
        # place relative to the centre of the letter's body, for a letter of the mean width of
        # the letters it goes with (the font cannot know which letter comes before it).
        reach = sum(src.advance(src.glyph_of(x)) - src.centre(src.glyph_of(x))
                    for x, _ in uses_of) / len(uses_of)
        shift = round(-src.centre(base_glyph) - reach)
        outline = src.draw([(n, dx + shift, dy) for n, dx, dy in parts])
        b.map_byte(byte, b.add("vnimark%02X" % byte, outline, 0))
    for byte, letter in letters.items():
        b.map_byte(byte, b.copy(src.glyph_of(letter)))
    for byte in PRINTABLE:
        if byte_to_char(byte) not in b.cmap:
            b.map_byte(byte, b.usual_glyph(byte))
    return b


def braille_cells(path):
    """byte -> cell number, from the six-key cell table."""
    cells = {}
    for line in path.read_text(encoding="utf-8").splitlines():
        fields = line.split("#", 1)[0].split()
        if not fields:
            continue
        if len(fields) != 6:
            fail("%s: bad line %r" % (path, line))
        cell = int(fields[0])
        dots = sum(1 << (int(d) - 1) for d in fields[1])
        if not 1 <= cell <= 63 or dots != cell:
            fail("%s: cell %s does not match its dots %s" % (path, fields[0], fields[1]))
        for col in fields[2:]:
            if col == "-":
                continue
            byte = int(col, 16)
            if cells.get(byte, cell) != cell:
                fail("%s: byte %02X is cell %d and cell %d" % (path, byte, cells[byte], cell))
            cells[byte] = cell
    for digit, dots in DIGIT_CELLS.items():
        cell = sum(1 << (int(d) - 1) for d in dots)
        if cells.get(ord(digit), cell) != cell:
            fail("digit %s is already another cell" % digit)
        cells[ord(digit)] = cell
    return cells


def vbraille(src, cells_path):
    b = Builder(src)
    for byte, cell in braille_cells(cells_path).items():
        b.map_byte(byte, b.copy(src.glyph_of(chr(0x2800 + cell))))
    b.map_byte(0x20, b.copy(src.glyph_of("\u2800")))
    for byte in PRINTABLE:
        if byte_to_char(byte) not in b.cmap:
            b.map_byte(byte, b.usual_glyph(byte))
    # The Unicode Braille patterns, each a glyph of its own: printed Braille is drawn from its
    # patterns, and a PDF names a glyph's text by the first character mapped to it.
    for cell in range(64):
        name = src.glyph_of(chr(0x2800 + cell))
        b.cmap[0x2800 + cell] = b.add(name + ".pattern", src.draw([(name, 0, 0)]),
                                      src.advance(name))
    return b


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--dejavu", required=True, type=Path, help="folder of DejaVuSans.ttf")
    ap.add_argument("--tables", required=True, type=Path, help="folder of the .vnc tables")
    ap.add_argument("--cells", required=True, type=Path, help="the six-key cell table")
    ap.add_argument("--out", required=True, type=Path, help="folder to write the fonts into")
    args = ap.parse_args()
    args.out.mkdir(parents=True, exist_ok=True)
    for face, style in (("DejaVuSans.ttf", "Regular"), ("DejaVuSans-Bold.ttf", "Bold")):
        src = Source(args.dejavu / face)
        vni_screen(src, args.tables).save(args.out / ("Vni-Screen-%s.ttf" % style),
                                          "Vni-Screen", style, src.font)
    src = Source(args.dejavu / "DejaVuSans.ttf")
    vbraille(src, args.cells).save(args.out / "VBraille.ttf", "VBraille", "Regular", src.font)


if __name__ == "__main__":
    main()
