#!/usr/bin/env python3
"""Builds data/syllables.txt: every Vietnamese syllable, with each tone it takes, one per line
in UTF-8 (NFC). The inventory is the source of the sound dictionary's syllable units and of the
spelling checker's rime masks, so it holds exactly the words that the syllable test accepts.

Facts it is built from:
- the word list of Debian's hunspell-vi (/usr/share/hunspell/vi_VN.dic);
- real Vietnamese text: the Debian New Maintainers' Guide (maint-guide-vi), the Vietnamese
  manual pages (manpages-vi) and the prose of tests/data/vi. From these only words with at
  least one Vietnamese mark are taken: their unmarked words are too often English (bin, sed);
- syllable_words.txt beside this script: real words that the sources above lack;
- the 158 rimes of Vietnamese with the tones each can carry (RIMES below), and a few tones that
  real words of the word list carry beyond them (EXTRA_TONES below);
- the initials that each tone of a few rimes admits (KNOWN_MASKS below): for those rimes the
  inventory is exactly what the masks allow, whatever the sources say.

A word is kept when it splits, as the syllable test splits it, into one of the 28 initial
classes, a rime of RIMES and at most one tone that RIMES allows for it, in at most 7 letters.
Each syllable is written once, with its tone mark on the vowel that carries it in the
traditional spelling (hòa, thủy, người).

Usage: make_syllables.py [OUTPUT]   (default: data/syllables.txt beside this script's project)
"""

import glob
import gzip
import os
import re
import sys
import unicodedata

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

RIMES_TEXT = """
a (0-5); ac (1,5); ach (1,4,5); ai (0-5); am (0-5); an (0-5); ang (0-5); anh (0-5);
ao (0-5); ap (1,5); at (1,5); au (0-5); ay (0-5); e (0-5); ec (1,5); em (0-5); en (0-5);
eng (0,2,3); eo (0-5); ep (1,5); et (1,5); i (0-5); ia (0-5); ich (1,5); im (0-5);
in (0-5); inh (0-5); ip (1,5); it (0,1,5); iu (0-5); iêc (0,1,5); iêm (0-5); iên (0-5);
iêng (0-5); iêp (1,5); iêt (1,5); iêu (0-5); o (0-5); oa (0-5); oac (1,5); oach (1,5);
oai (0-5); oam (2,5); oan (0-5); oang (0-5); oanh (0-5); oao (0,1,5); oat (1,5);
oay (0,1,3); oc (1,5); oe (0-5); oen (0,1,2,3); oeo (0,1,2,3,5); oet (1,5); oi (0-5);
om (0-5); on (0-5); ong (0-5); ooc (0,5); oong (0); op (0,1,5); ot (1,5); oăc (1,5);
oăm (0,1,2,5); oăn (0,1,2); oăng (0-5); oăt (1,5); u (0-5); ua (0-5); uc (1,5); ui (0-5);
um (0-5); un (0-5); ung (0-5); up (1,5); ut (1,5); uy (0-5); uya (0); uych (1,5);
uynh (0-5); uyt (1,4,5); uyu (3,4); uyên (0-5); uyêt (1,5); uân (0-5); uâng (0); uât (1,5);
uây (0,1,3,5); uê (0,1,2,3,5); uêch (1,5); uênh (0,2,4); uôc (1,5); uôi (0-5);
uôm (0,1,2,4,5); uôn (0-5); uông (0-5); uôt (1,5); uơ (0,3); y (0-5); ynh (1,2,3);
yt (1,5); yêm (1,3); yên (0-5); yêng (0); yêt (1,5); yêu (0,1,3); âc (1,5); âm (0-5);
ân (0-5); âng (0-5); âp (1,5); ât (1,5); âu (0-5); ây (0-5); ê (0-5); êch (1,5);
êm (0,1,2,4,5); ên (0-5); êng (0,1,2); ênh (0-5); êp (1,5); êt (1,4,5); êu (0-5); ô (0-5);
ôc (1,5); ôi (0-5); ôm (0-5); ôn (0-5); ông (0-5); ôp (1,5); ôt (1,5); ư (0-5); ưa (0-5);
ưc (1,5); ưi (0,1,3,4,5); ưng (0-5); ưt (1,5); ưu (0-5); ươc (1,5); ươi (0-5); ươm (0-5);
ươn (0-5); ương (0-5); ươp (1,5); ươt (1,5); ươu (0,1,2,5); ăc (1,5); ăm (0-5); ăn (0-5);
ăng (0-5); ăp (1,5); ăt (1,5); ơ (0-5); ơi (0-5); ơm (0-5); ơn (0-5); ơp (1,5); ơt (1,4,5)
"""

# Tones that the list above leaves out but real words carry; every one is attested by the
# hunspell-vi word list: quên béng, léng phéng; coóc, moóc, soóc (every source writes these
# loanwords with the acute, none with the level tone or the dot that the list gives ooc); oẳn tù
# tì; khuỵu; chim yểng.
EXTRA_TONES = {"eng": {1}, "ooc": {1}, "oăn": {3}, "uyu": {5}, "yêng": {3}}

# The 28 initial classes in their order (class 0 is no initial).
INITIALS = ["", "b", "c", "ch", "d", "đ", "g", "gh", "gi", "h", "k", "kh", "l", "m", "n", "ng",
            "ngh", "nh", "p", "ph", "qu", "r", "s", "t", "th", "tr", "v", "x"]
CONSONANTS = set("bcdfghjklmnpqrstvwxzđ")
VOWELS = set("aăâeêioôơuưy")
SHAPED = set("ăâêôơư")
# Tone marks as combining characters, by tone number.
TONE_MARKS = {"\u0301": 1, "\u0300": 2, "\u0309": 3, "\u0303": 4, "\u0323": 5}
MARK_OF_TONE = {v: k for k, v in TONE_MARKS.items()}

# Rows whose masks are known (tones 0 to 5; bit k allows initial class k).
KNOWN_MASKS = {
    "a": [0x0FFEFB7F, 0x0FFAFB6F, 0x0FFAFB7F, 0x0FFAFB6F, 0x0EE2F17A, 0x0EFA735F],
    "ac": [0, 0x0FBAFB7F, 0, 0, 0, 0x0FFAFA7A],
    "it": [0x00000009, 0x0FFB7E3B, 0, 0, 0, 0x0FF36E7B],
    "oong": [0x08400042, 0, 0, 0, 0, 0],
    "uya": [0x00000800, 0, 0, 0, 0, 0],
    "ynh": [0, 0x00100000, 0x00100000, 0x00100000, 0, 0],
    "y": [0x04901201, 0x00901601, 0x00901401, 0x00900601, 0x04102400, 0x00903400],
}


def parse_rimes(text):
    rimes = {}
    for item in text.replace("\n", " ").split(";"):
        item = item.strip().rstrip(".")
        if not item:
            continue
        m = re.fullmatch(r"(\S+) \(([0-9,\-]+)\)", item)
        tones = set()
        for part in m.group(2).split(","):
            if "-" in part:
                lo, hi = part.split("-")
                tones.update(range(int(lo), int(hi) + 1))
            else:
                tones.add(int(part))
        rimes[m.group(1)] = tones
    return rimes


RIMES = parse_rimes(RIMES_TEXT)
for _rime, _tones in EXTRA_TONES.items():
    RIMES[_rime] |= _tones


def letters(word):
    """The word as (base letter, tone) pairs; None when a character is not a Vietnamese letter."""
    out = []
    for ch in unicodedata.normalize("NFC", word):
        d = unicodedata.normalize("NFD", ch)
        tone = 0
        base = ""
        for c in d:
            if c in TONE_MARKS:
                if tone:
                    return None
                tone = TONE_MARKS[c]
            else:
                base += c
        base = unicodedata.normalize("NFC", base)
        if len(base) != 1 or not (base in CONSONANTS or base in VOWELS):
            return None
        out.append((base, tone))
    return out


def split_syllable(word):
    """(initial, rime, tone) as the syllable test splits a lowercase word, or None."""
    ls = letters(word)
    if not ls or len(ls) > 7:
        return None
    i = 0
    initial = ""
    while i < len(ls) and ls[i][0] in CONSONANTS:
        if ls[i][1]:
            return None
        initial += ls[i][0]
        i += 1
    # gi and qu: only an unmarked i or u joins the initial.
    if initial in ("g", "q") and i < len(ls) and ls[i] == ({"g": "i", "q": "u"}[initial], 0):
        initial += ls[i][0]
        i += 1
    if initial not in INITIALS:
        return None
    rime = ""
    tone = 0
    for base, t in ls[i:]:
        rime += base
        if t:
            if tone:
                return None
            tone = t
    if not rime or rime not in RIMES or tone not in RIMES[rime]:
        return None
    mask = KNOWN_MASKS.get(rime)
    if mask is not None and not mask[tone] >> INITIALS.index(initial) & 1:
        return None
    return initial, rime, tone


def tone_position(rime):
    """Index of the letter of the rime that carries the tone mark."""
    vowels = [k for k, c in enumerate(rime) if c in VOWELS]
    shaped = [k for k in vowels if rime[k] in SHAPED]
    if shaped:
        return shaped[-1]
    if rime[-1] not in VOWELS:
        return vowels[-1]
    if len(vowels) == 3:
        return vowels[1]
    return vowels[0]


def spell(initial, rime, tone):
    if tone:
        k = tone_position(rime)
        rime = rime[:k] + unicodedata.normalize("NFC", rime[k] + MARK_OF_TONE[tone]) + rime[k + 1:]
    return initial + rime


WORD = re.compile(r"[^\W\d_]+")
TROFF = re.compile(r"\\f[BIRP]|\\f\(..|\\\(..|\\.")


def words_of(text):
    return WORD.findall(unicodedata.normalize("NFC", text).lower())


def marked(word):
    return any(not c.isascii() for c in word)


def source_words():
    with open("/usr/share/hunspell/vi_VN.dic", encoding="utf-8") as f:
        lines = f.read().splitlines()[1:]
    for line in lines:
        yield from words_of(line.split("/")[0])
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "syllable_words.txt"),
              encoding="utf-8") as f:
        for line in f:
            yield from words_of(line.split("#")[0])
    texts = [os.path.join(ROOT, "tests/data/vi/maint-guide-prose.txt")]
    texts += glob.glob("/usr/share/doc/maint-guide-vi/*.txt.gz")
    texts += sorted(glob.glob("/usr/share/man/vi/man*/*.gz"))
    for name in texts:
        opener = gzip.open if name.endswith(".gz") else open
        with opener(name, "rt", encoding="utf-8", errors="replace") as f:
            text = TROFF.sub(" ", f.read())
        yield from (w for w in words_of(text) if marked(w))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "data/syllables.txt")
    found = set()
    for w in source_words():
        s = split_syllable(w)
        if s:
            found.add(s)
    # Rimes with known masks: every allowed initial, and nothing else.
    found = {s for s in found if s[1] not in KNOWN_MASKS}
    for rime, masks in KNOWN_MASKS.items():
        for tone, mask in enumerate(masks):
            for cls, initial in enumerate(INITIALS):
                if mask >> cls & 1:
                    found.add((initial, rime, tone))
    lines = sorted({spell(*s) for s in found if split_syllable(spell(*s)) == s},
                   key=lambda w: (split_syllable(w)[1], split_syllable(w)[0], split_syllable(w)[2]))
    dropped = [s for s in found if split_syllable(spell(*s)) != s]
    if dropped:
        sys.exit("cannot spell: %r" % dropped[:10])
    with open(out, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    print("%d syllables, %d rimes used, written to %s" %
          (len(lines), len({split_syllable(w)[1] for w in lines}), out))


if __name__ == "__main__":
    main()
