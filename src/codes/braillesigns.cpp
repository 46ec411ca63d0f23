#include "codes/braillesigns.h"

#include <array>

namespace tavi {

namespace {

enum class TByteClass : unsigned char { Other, Capital, Digit, Mark };

// Capital, then digit, then mark: the first class that a byte belongs to.
constexpr std::array<TByteClass, 256> MakeClasses() {
    std::array<TByteClass, 256> classes{};
    for (int c : {0x20, 0x21, 0x2C, 0x2E, 0x3F, 0xCF, 0xD5}) classes[c] = TByteClass::Mark;
    for (int c = 0xC0; c <= 0xC5; ++c) classes[c] = TByteClass::Mark;
    for (int c = 0xC8; c <= 0xCB; ++c) classes[c] = TByteClass::Mark;
    for (int c = 0xD8; c <= 0xDC; ++c) classes[c] = TByteClass::Mark;
    for (int c = '0'; c <= '9'; ++c) classes[c] = TByteClass::Digit;
    for (int c = 'A'; c <= 'Z'; ++c) classes[c] = TByteClass::Capital;
    for (int c : {0xC6, 0xCC, 0xCD, 0xCE, 0xD1, 0xD2, 0xD3, 0xD4, 0xD6})
        classes[c] = TByteClass::Capital;
    return classes;
}
constexpr std::array<TByteClass, 256> Classes = MakeClasses();

constexpr bool ContinuesNumber(unsigned char c) {
    return c == ',' || (c >= 0x2E && c <= 0x39);
}

enum class TSignState { Plain, OneCap, Caps, CapsMarks, Number };

} // namespace

std::string InsertBrailleSigns(std::string_view text) {
    constexpr char CAP = BrailleCapitalSign;
    constexpr char NUM = BrailleNumberSign;
    std::string out;
    out.reserve(text.size() + text.size() / 8 + 4);
    TSignState state = TSignState::Plain;
    char heldCapital = 0;
    std::string heldRun;
    for (char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        const TByteClass kind = Classes[c];
        switch (state) {
        case TSignState::Plain:
        case TSignState::Number:
            if (kind == TByteClass::Capital) {
                out += CAP;
                heldCapital = ch;
                state = TSignState::OneCap;
            } else if (state == TSignState::Plain && kind == TByteClass::Digit) {
                out += NUM;
                out += ch;
                state = TSignState::Number;
            } else {
                out += ch;
                if (state == TSignState::Number && !ContinuesNumber(c)) state = TSignState::Plain;
            }
            break;
        case TSignState::OneCap:
            if (kind == TByteClass::Capital) {
                out += CAP;
                out += heldCapital;
                state = TSignState::Caps;
            } else {
                out += heldCapital;
                if (kind == TByteClass::Digit) out += NUM;
                state = kind == TByteClass::Digit ? TSignState::Number : TSignState::Plain;
            }
            out += ch;
            break;
        case TSignState::Caps:
        case TSignState::CapsMarks:
            if (kind == TByteClass::Mark) {
                if (state == TSignState::Caps) heldRun.clear();
                heldRun += ch;
                state = TSignState::CapsMarks;
                break;
            }
            if (kind != TByteClass::Capital) out += CAP; // the run ends
            if (state == TSignState::CapsMarks) out += heldRun;
            if (kind == TByteClass::Digit) out += NUM;
            out += ch;
            state = kind == TByteClass::Capital ? TSignState::Caps
                    : kind == TByteClass::Digit ? TSignState::Number
                                                : TSignState::Plain;
            break;
        }
    }
    switch (state) {
    case TSignState::OneCap: out += heldCapital; break;
    case TSignState::Caps: out += CAP; break;
    case TSignState::CapsMarks:
        out += CAP;
        out += heldRun;
        break;
    default: break;
    }
    return out;
}

std::string StripBrailleSigns(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == BrailleCapitalSign) continue;
        if (c == BrailleNumberSign && i + 1 < text.size() && text[i + 1] >= '0' &&
            text[i + 1] <= '9')
            continue;
        out += c;
    }
    return out;
}

} // namespace tavi
