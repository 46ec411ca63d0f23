#include "codes/sixkeykb.h"

#include "codes/memorystream.h"
#include "platform/qbytechars.h"

namespace tavi {

TSixKeys::TSixKeys(TBrailKey& engine, QObject* parent) : QObject(parent), Engine(engine) {
    Engine.SetDotKeys(std::string_view(Keys.data(), Keys.size()));
}

bool TSixKeys::SetKey(std::size_t dot, TAZChar key) {
    if (key >= 'a' && key <= 'z') key = static_cast<TAZChar>(key - 0x20);
    if (key < 'A' || key > 'Z') return false;
    if (Keys[dot] != key) {
        Keys[dot] = key;
        Engine.SetDotKeys(std::string_view(Keys.data(), Keys.size()));
    }
    return true;
}

TSixKeyKbd::TSixKeyKbd(QObject* owner, TBrailKey& engine)
    : TKeyComponent(owner, engine), FSixKeys(new TSixKeys(engine, this)), Engine(engine) {}

void TSixKeyKbd::SetCharacters(const QStringList& list) {
    if (&list != &FCharacters) FCharacters = list;
    if (!FCharacters.isEmpty()) Engine.LoadCells(CharactersText(FCharacters));
}

void TSixKeyKbd::LoadCharacters(const std::filesystem::path& fileName) {
    const std::string bytes = ReadWholeFile(fileName);
    QStringList lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string_view line(bytes.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.append(BytesToQString(line));
        start = end + 1;
    }
    SetCharacters(lines);
}

} // namespace tavi
