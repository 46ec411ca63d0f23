// What the editor says while the user types, moves and deletes, decided on the bytes around
// the caret. The main window's key handlers carry the decisions out in the editor and speak
// them.
#pragma once

#include "document/doctext.h"

#include <optional>
#include <string>
#include <string_view>

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

// How many bytes the letter at i takes: a line break (CR LF) is one letter, and so, when marks
// is set (VNI display), is a letter with its mark. 0 at the end.
std::size_t LetterLength(std::string_view bytes, std::size_t i, bool marks);
// How many letters the bytes hold, as the user counts them.
std::size_t LetterCount(std::string_view bytes, bool marks);

// The start of a text, as it is said for what the clipboard and undo handle: its first words,
// with single spaces between them, and how many letters the whole text has.
constexpr std::size_t StartWords = 5;
constexpr std::size_t StartBytesMax = 80; // of one long run of letters without a blank
struct TTextStart {
    std::string Words;
    std::size_t Letters = 0;
    bool Whole = false; // Words says all of the text (its blanks aside)
};
TTextStart TextStart(std::string_view text, bool vniDisplay, std::size_t words = StartWords);
// "một hai ba, 12 ký tự" in the language of the voice; a text of blanks only says the space's
// name.
std::string SpokenStart(std::string_view text, bool vniDisplay, bool english);
// The name put before what was taken off the selection, in the language of the voice.
std::string UnselectedName(bool english);

// A selection that moved one of its ends, from [oldStart, oldEnd) to [newStart, newEnd): the
// part it gained and the part it lost (one of them, or both when it crossed its anchor).
struct TSelectionChange {
    std::size_t AddedStart = 0, AddedEnd = 0;
    std::size_t RemovedStart = 0, RemovedEnd = 0;
};
TSelectionChange SelectionChange(std::size_t oldStart, std::size_t oldEnd, std::size_t newStart,
                                 std::size_t newEnd);

// What changed from one text to the other: where, and what was removed and inserted there, in
// whole letters.
struct TTextChange {
    std::size_t Start = 0;
    std::string Removed, Inserted;
};
TTextChange TextChange(std::string_view before, std::string_view after, bool vniDisplay);

} // namespace tavi
