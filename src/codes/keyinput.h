// What the keyboard engines see of the keyboard and of the text they type into. The engines
// are plain state machines; the widget layer turns its key events into TKeyEvent and wraps
// the focused edit widget as a TEditTarget.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavi {

// Key codes of TKeyEvent: letter keys are 'A'-'Z', digit keys '0'-'9' (as virtual-key codes
// are); the modifier keys have these codes; any other key may be 0.
constexpr int VkShift = 0x10;
constexpr int VkControl = 0x11;
constexpr int VkAlt = 0x12;

struct TKeyEvent {
    int Key = 0;
    // Modifiers held as the event reports them.
    bool Shift = false;
    bool Control = false;
    bool Alt = false;
    bool Extended = false; // arrows, Home, End, Page Up/Down, Insert, Delete and the like
    bool Keypad = false;   // a key of the numeric keypad
    bool AutoRepeat = false;
    bool Typed = false; // the key types text (a character message)
    int Char = -1;      // that text as one byte; -1 when it is not exactly one byte
};

// What becomes of a key press that carries a character.
struct TKeyVerdict {
    enum TKind {
        Pass,     // goes on unchanged
        Suppress, // goes on with no character, so the key types nothing
        Retype,   // goes on carrying Char instead of its own character
    };
    TKind Kind = Pass;
    unsigned char Char = 0;
};

// The edit control that received a key. Positions and lengths are bytes; the caret is the
// start of the selection.
class TEditTarget {
public:
    virtual ~TEditTarget() = default;
    // The count bytes just before the caret; empty when there are fewer, when the target holds
    // no text or when it may not be changed.
    virtual std::string TextBeforeCaret(std::size_t count) = 0;
    // Selects the count bytes just before the caret.
    virtual void SelectBeforeCaret(std::size_t count) = 0;
    // Replaces the selection by bytes; the caret ends after them.
    virtual void ReplaceSelection(std::string_view bytes) = 0;
    // Types one character into the target as if it came from the keyboard, bypassing the
    // keyboards.
    virtual void SendChar(unsigned char c) = 0;
};

// A keyboard engine as the widget layer drives it.
class TKeyEngine {
public:
    virtual ~TKeyEngine() = default;
    virtual TKeyVerdict KeyDown(const TKeyEvent& key, TEditTarget& target) = 0;
    virtual void KeyUp(const TKeyEvent& key, TEditTarget& target) = 0;
    // A mouse button went down: the caret may have moved.
    virtual void MouseDown() = 0;
    // True when the key must reach the engine even if it is a shortcut of a menu or action.
    virtual bool TakesShortcut(const TKeyEvent& /*key*/) const { return false; }
    // The program lost the keyboard: keys held now are released elsewhere.
    virtual void KeyboardLost() {}
};

// A byte string with a caret and a selection, as an edit control holds it: the target of the
// engines wherever no widget is involved.
class TTextBuffer : public TEditTarget {
public:
    std::string Text;
    std::size_t SelStart = 0; // the caret
    std::size_t SelLength = 0;

    // Types text at the caret, as the keys that type it would.
    void Type(std::string_view bytes);

    std::string TextBeforeCaret(std::size_t count) override;
    void SelectBeforeCaret(std::size_t count) override;
    void ReplaceSelection(std::string_view bytes) override;
    void SendChar(unsigned char c) override { Type(std::string(1, static_cast<char>(c))); }
};

} // namespace tavi
