#include "codes/keyboard.h"

namespace tavi {

TAccentKeys::TAccentKeys(TVnKey& engine, QObject* parent) : QObject(parent), Engine(engine) {
    Engine.SetAccentKeys(std::string_view(Keys.data(), Keys.size()));
}

void TAccentKeys::SetKey(std::size_t mark, char key) {
    if (Keys[mark] == key) return;
    Keys[mark] = key;
    Engine.SetAccentKeys(std::string_view(Keys.data(), Keys.size()));
}

TKeyboard::TKeyboard(QObject* owner, TVnKey& engine)
    : TKeyComponent(owner, engine), FAccentKeys(new TAccentKeys(engine, this)), Engine(engine) {
    SetCodeTable(VniAscii);
}

void TKeyboard::SetCharacters(const QStringList& list) {
    if (&list != &FCharacters) FCharacters = list;
    CharactersChanged();
}

void TKeyboard::SetCodeTable(TCodeTable value) {
    if (value == FCodeTable) return;
    FCodeTable = value;
    switch (value) {
    case VniAnsi:
        FCodeTableName = "VNI-ANSI";
        Engine.LoadTable(TVnKey::VniAnsiTable);
        break;
    case VniAscii:
        FCodeTableName = "VNI-ASCII";
        Engine.LoadTable(TVnKey::VniAsciiTable);
        break;
    case Other: CharactersChanged(); break;
    }
}

// With no letters of the user's, the keyboard falls back on the VNI-ASCII table.
void TKeyboard::CharactersChanged() {
    if (FCharacters.isEmpty()) {
        SetCodeTable(VniAscii);
        return;
    }
    FCodeTable = Other;
    Engine.LoadTable(CharactersText(FCharacters));
}

} // namespace tavi
