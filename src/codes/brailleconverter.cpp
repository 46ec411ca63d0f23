#include "codes/brailleconverter.h"

#include "codes/braillesigns.h"
#include "codes/vncodeconverter.h"
#include "platform/errors.h"
#include "platform/paths.h"

namespace tavi {

TBrailleConverter::TBrailleConverter() : TableFolder(ProgramFolder()) {}

std::filesystem::path TBrailleConverter::TablePath(const std::string& name) const {
    return FindFileIgnoringCase(TableFolder, name + ".vnc");
}

void TBrailleConverter::SetSourceTable(const std::string& name) {
    if (name == SourceName) return;
    SourceName = name;
    MatchNodes.Clear();
    if (name.empty()) return;
    MatchNodes.Build(ReadWholeFile(TablePath(name)), BrailleTableMax, name);
}

void TBrailleConverter::SetDestTable(const std::string& name) {
    if (name == DestName) return;
    DestName = name;
    DestEntries.clear();
    if (name.empty()) return;
    const std::string table = ReadWholeFile(TablePath(name));
    DestEntries = ReadDestEntries(table, CountDestEntries(table));
}

void TBrailleConverter::ConvertInto(std::string_view in, std::string& out) const {
    TByteSink sink(out);
    MatchNodes.Match(
        in,
        [&](unsigned k, std::string_view source) {
            // A source table longer than its destination: the entry has nothing to become,
            // so it stays as it was rather than being read from beyond the table.
            sink.Put(k <= DestEntries.size() ? std::string_view(DestEntries[k - 1]) : source);
        },
        [&](std::string_view bytes) { sink.Put(bytes); });
    sink.Finish();
}

bool TBrailleConverter::Convert() {
    if (SourceName.empty() || DestName.empty()) return false;
    InStream.Rewind();
    OutStream.Clear();
    if (SourceName == DestName)
        OutStream.Data = InStream.Data;
    else
        ConvertInto(InStream.Data, OutStream.Data);
    OutStream.Position = OutStream.Data.size();
    InStream.Position = InStream.Data.size();
    return true;
}

std::string TBrailleConverter::ConvertWord(std::string_view word) {
    word = word.substr(0, ShortStringMax);
    if (word.empty() || SourceName == DestName) return std::string(word);
    std::string out;
    ConvertInto(word, out);
    if (out.size() > ShortStringMax) out.resize(ShortStringMax);
    return out;
}

std::string TCodeConverter::ConvertText(std::string_view text) {
    InStream.Data.assign(text);
    InStream.Rewind();
    if (!Convert()) throw EDataError("No code table pair is selected for the conversion");
    OutStream.Rewind();
    return OutStream.Data;
}

std::string BrailleFromVni(TCodeConverter& converter, std::string_view vniText) {
    converter.SetSourceTable(VniWinTable);
    converter.SetDestTable(BrailleTableName);
    return converter.ConvertText(InsertBrailleSigns(vniText));
}

std::string VniFromBraille(TCodeConverter& converter, std::string_view brailleText) {
    converter.SetSourceTable(BrailleTableName);
    converter.SetDestTable(VniWinTable);
    return StripBrailleSigns(converter.ConvertText(brailleText));
}

} // namespace tavi
