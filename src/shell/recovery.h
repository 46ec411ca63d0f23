// The recovery file: the document the editor holds while it is modified, written soon after a
// change, every period while the changes go on, and when the program is told to end, so that a
// crash, a kill or a logout loses next to nothing. One file per user; it goes when the document
// is saved, replaced or given up.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tavi {

struct TRecovery {
    std::string FileName; // the document's name as the window holds it ("Khong Ten": none)
    bool Braille = false; // shown in Braille (the text is then Braille cells)
    std::string Rtf;      // the document as the editor writes it
    bool operator==(const TRecovery&) const = default;
};

// The file's bytes: a header line, then each field with its length, so any bytes survive.
std::string FormatRecovery(const TRecovery& r);
// Nothing for data that is not a whole recovery file (damaged or cut short).
std::optional<TRecovery> ParseRecovery(std::string_view data);

// The recovery file of a user (the name in UTF-8) in the program's state folder.
std::filesystem::path RecoveryFile(const std::filesystem::path& stateFolder,
                                   const std::string& userName);

// How long after a change the next snapshot is taken: firstMs after the first change since
// the last snapshot, and while changes go on, one period after the last snapshot (never sooner
// than firstMs), so that a kill loses at most about a period of typing and steady typing costs
// one snapshot a period. sinceLastMs < 0: no snapshot was taken yet.
int RecoveryDelayMs(long long sinceLastMs, int firstMs, int periodMs);

// Written atomically; throws EFOpenError when it cannot be written.
void WriteRecoveryFile(const std::filesystem::path& file, const TRecovery& r);
// Nothing when there is no file or it cannot be used.
std::optional<TRecovery> ReadRecoveryFile(const std::filesystem::path& file);

} // namespace tavi
