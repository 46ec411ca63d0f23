// What the editor says while the user types, moves and deletes, decided on the bytes around
// the caret. The main window's key handlers carry the decisions out in the editor and speak
// them.
#pragma once

#include "document/doctext.h"

#include <optional>
#include <string>

namespace tavi {

// The echo modes, in the order of their menu items.
enum class TEchoMode { None, Char, Word, Sentence, Paragraph };

// The second byte of a two-byte "Vni for Win" letter.
bool IsCombiningMark(int c);
// The vowels a tone mark goes on, including the mark bytes of â ă ê ô (the letter's last byte).
bool IsToneVowel(int c);

// A piece of the text at the caret: what a key passes over or deletes.
struct TPiece {
    std::size_t Start = 0; // in the whole text
    std::string Bytes;     // empty: nothing there
};

// The character just before the caret, or in VNI display, when that is a mark, the whole
// letter: its base and its mark.
TPiece LetterBefore(const TCaretText& t, bool vniDisplay);
// The character at the caret, or in VNI display, when a mark follows it, that letter whole.
TPiece LetterAfter(const TCaretText& t, bool vniDisplay);

// The keys that pass or delete a letter, in the editor and in every text field.
enum class TFieldKey { Left, Right, Delete, Backspace };

// What such a key says, and what makes it take a two-byte letter whole. Right, Delete and
// Backspace are decided as they go down, before they act; Left once the caret has moved.
struct TFieldKeyEcho {
    bool Beep = false;      // nothing there to pass or delete
    bool Deletion = false;  // Said is deleted
    bool Selection = false; // what is deleted is the selection
    std::string Said;
    // Removed first, so that the key's own deletion takes the other byte of the letter.
    std::optional<std::size_t> ClearByte;
    // The caret goes there: before the key's own move (Right) or after it (Left), so that the
    // caret passes the letter whole.
    std::optional<std::size_t> CaretTo;
};
TFieldKeyEcho FieldKeyEcho(TFieldKey key, const TCaretText& t, bool vniDisplay);

// The accent keys 6 and 8 speak the letter they make at key-down; 7 and 9 make a single-byte
// letter, which is spoken once it stands in the text.
struct TAccentEcho {
    std::string Letter; // to speak now
    bool Pending = false;
};
TAccentEcho AccentKeyEcho(char key, int before);

// The byte that Ctrl+Alt with a key (a letter or digit key, as its capital ASCII code) types
// in VNI display: -1 for keys outside the table, 0 for keys that type nothing.
int CtrlAltByte(int key);

// The most of a word that its echo says: the end of it.
constexpr std::size_t WordEchoMax = 255;

// What a typed character completes under an echo mode: the text to speak, which comes in the
// display's code table when Braille is set (character echo of Braille cells) and is VNI text
// otherwise. placedByKeyboard: ch is 0 because a keyboard put a letter in the text instead.
struct TTypedEcho {
    std::string Piece;
    bool Braille = false;     // Piece is Braille text, spoken in the "Braille" code table
    bool FromBraille = false; // Piece is Braille text to be read as words (converted first)
};
TTypedEcho TypedEcho(unsigned char ch, TEchoMode mode, bool vniDisplay, const TCaretText& t,
                     bool placedByKeyboard);

// The tone names by tone number 1 to 5 (dấu sắc, huyền, hỏi, ngã, nặng) in Vni for Win.
const std::string& ToneMarkName(int tone);
// The name of a deletion, put in front of what is deleted, and of a lone or deleted space, in
// the language of the voice.
std::string DeletionName(bool english);
std::string SpaceName(bool english);

// "dòng 3 cột 5" (1-based) in Vni for Win, as Alt+F1 says it.
std::string LineAndColumn(int line, int column);

} // namespace tavi
