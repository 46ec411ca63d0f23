// The prefix tree of a source code table and the greedy longest-match converter that runs
// over it. Shared by the Vietnamese code converter (4-byte nodes, one-byte entry numbers) and
// the Braille converter (5-byte nodes, two-byte entry numbers).
#pragma once

#include <algorithm>
#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace tavi {

// True for the three bytes that separate the entries of a table file.
constexpr bool IsTableSeparator(unsigned char c) {
    return c == 0x0D || c == 0x0A || c == 0x20;
}

// The entries of a table file in file order (runs of bytes other than CR, LF and space).
std::vector<std::string_view> SplitTableEntries(std::string_view table);

// Every way in which a table file breaks the rules of a source table: a repeated entry, an
// entry that is a prefix of an earlier one, an entry over 15 bytes, more than maxEntries
// entries, no separator after the last entry. Empty for a good table.
std::vector<std::string> TableRuleProblems(std::string_view table, std::size_t maxEntries);

// Reads a table file as a destination: a line feed is ignored, every CR and every space starts
// the next entry, other bytes are appended to the current entry, which keeps at most 15 bytes.
// Returns slots entries (element 0 is entry 1); bytes for entries beyond them are ignored.
std::vector<std::string> ReadDestEntries(std::string_view table, std::size_t slots);

// The number of entries of a table read as a destination: the CR and space bytes, plus one
// when the last byte is none of CR, LF and space.
std::size_t CountDestEntries(std::string_view table);

// What one entry (or one byte) of a source becomes, laid out for one fixed 16-byte copy: the
// bytes, then their number. Destination entries keep at most 15 bytes, so every one fits.
struct TOutSlot {
    char Bytes[15] = {};
    std::uint8_t Size = 0;
};
static_assert(sizeof(TOutSlot) == 16);

// Appends to a string through a pointer, growing it in steps; Finish() trims it to what was
// written. Much cheaper than appending a few bytes at a time with std::string.
class TByteSink {
public:
    explicit TByteSink(std::string& out) : Out(out), Used(out.size()) { Refresh(); }
    void Put(std::string_view bytes) {
        const std::size_t n = bytes.size();
        if (n > Room) Grow(n);
        char* d = Base + Used;
        if (n <= 16) {
            for (std::size_t i = 0; i < n; ++i) d[i] = bytes[i];
        } else {
            std::copy(bytes.begin(), bytes.end(), d);
        }
        Used += n;
        Room -= n;
    }
    // Copies all 16 bytes (cheaper than a copy of any length) and keeps Size of them.
    void PutSlot(const TOutSlot& slot) {
        if (Room < sizeof slot) Grow(sizeof slot);
        std::memcpy(Base + Used, &slot, sizeof slot);
        Used += slot.Size;
        Room -= slot.Size;
    }
    // Room for n bytes written through the pointer, then Commit(end of what was written): a
    // loop that keeps the pointer in a register.
    char* Reserve(std::size_t n) {
        if (Room < n) Grow(n);
        return Base + Used;
    }
    void Commit(const char* end) {
        const std::size_t n = static_cast<std::size_t>(end - (Base + Used));
        Used += n;
        Room -= n;
    }
    void Finish() { Out.resize(Used); }

private:
    void Refresh() {
        Base = Out.data();
        Room = Out.size() - Used;
    }
    void Grow(std::size_t n);

    std::string& Out;
    std::size_t Used;
    char* Base = nullptr;
    std::size_t Room = 0;
};

// Nodes are numbered from 1. Byte 0 of a node is the byte it matches (0x0D in a terminal
// node), bytes 1-2 the next sibling (little-endian, 0 = none), the rest the entry number of a
// terminal node (little-endian). The first child of node n is node n + 1.
template <unsigned EntryBytes> class TTableTree {
public:
    static constexpr std::size_t NodeSize = 3 + EntryBytes;
    static constexpr unsigned char Terminal = 0x0D;
    static constexpr std::size_t MaxNodes = 0xFFFF; // sibling numbers are 16 bits

    TTableTree() { Single.fill(true); }

    // Builds the tree of a table file. Entry k is the k-th entry of the file; entries beyond
    // maxEntries are left out. A table that breaks the file rules still loads safely: a
    // repeated entry keeps its first number, and when an entry is a prefix of an earlier one
    // the entries are inserted shortest first so that every entry stays reachable. Throws
    // EDataError when the tree would need more nodes than 16-bit links can address.
    void Build(std::string_view table, std::size_t maxEntries, const std::string& tableName);
    void Clear();
    bool Empty() const { return Count == 0; }
    std::size_t NodeCount() const { return Count; }
    const std::bitset<256>& Chars() const { return TableChars; }

    unsigned char NodeByte(std::size_t n) const { return Nodes[n * NodeSize]; }
    std::size_t Sibling(std::size_t n) const {
        return Nodes[n * NodeSize + 1] | (std::size_t(Nodes[n * NodeSize + 2]) << 8);
    }
    unsigned Entry(std::size_t n) const {
        unsigned v = 0;
        for (unsigned b = 0; b < EntryBytes; ++b)
            v |= unsigned(Nodes[n * NodeSize + 3 + b]) << (8 * b);
        return v;
    }

    // Greedy longest match of in. For every recognised entry, emitEntry(k, sourceBytes) is
    // called; bytes that belong to no entry are passed to emitBytes unchanged. With more, in is
    // only the head of the text: the bytes of a path that the next bytes could still extend
    // (fewer than the longest entry) are left alone, and the returned count of bytes used
    // stops before them; they are to be matched again at the head of the rest. Matching a
    // text in such pieces gives exactly what matching it whole gives.
    template <class EmitEntry, class EmitBytes>
    std::size_t Match(std::string_view in, EmitEntry&& emitEntry, EmitBytes&& emitBytes,
                      bool more = false) const;
    // Match where every byte that is dealt with on its own (see IsSingle) goes to
    // emitSingle(position), which returns the position after what it dealt with: a converter
    // that knows what each such byte becomes writes it without telling entries from bytes.
    template <class EmitEntry, class EmitBytes, class EmitSingle>
    std::size_t MatchWith(std::string_view in, EmitEntry&& emitEntry, EmitBytes&& emitBytes,
                          EmitSingle&& emitSingle, bool more = false) const;
    // True for a byte that, met where a path would start, is dealt with on its own: it is in
    // no entry (copied), a whole entry that no longer entry starts with (DirectEntry), or
    // starts no entry (copied).
    bool IsSingle(unsigned char c) const { return Single[c]; }
    // The entry of a byte that is a whole entry on its own and starts no longer one; 0 if none.
    unsigned DirectEntry(unsigned char c) const { return Direct[c]; }

private:
    std::size_t Find(std::size_t node, unsigned char c) const {
        if (node == 1) return Root[c];
        if (const std::size_t row = Rows[node]) return Next[row * 256 + c];
        for (;;) {
            if (NodeByte(node) == c) return node;
            node = Sibling(node);
            if (node == 0) return 0;
        }
    }
    std::size_t Append(unsigned char c, const std::string& tableName);
    void BuildRows();
    void Insert(std::string_view entry, unsigned number, const std::string& tableName);

    std::vector<std::uint8_t> Nodes; // node 0 is unused
    std::size_t Count = 0;
    std::bitset<256> TableChars;
    std::array<bool, 256> InTable{};         // TableChars as bytes: one load per input byte
    std::array<std::uint16_t, 256> Root{};   // the root-level node holding each byte
    std::array<std::uint16_t, 256> Direct{}; // entry of a byte that is a whole entry on its own
    std::array<bool, 256> Single{};
    // Siblings (the last bytes of UTF-8 letters, the marks after a vowel) are looked up in a
    // row of 256 node numbers instead of walked: Rows[first node] is its row in Next (0: a lone
    // node, compared).
    std::vector<std::uint16_t> Rows;
    std::vector<std::uint16_t> Next;
};

template <unsigned EntryBytes>
template <class EmitEntry, class EmitBytes, class EmitSingle>
std::size_t TTableTree<EntryBytes>::MatchWith(std::string_view in, EmitEntry&& emitEntry,
                                              EmitBytes&& emitBytes, EmitSingle&& emitSingle,
                                              bool more) const {
    const std::size_t n = in.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(in[i]);
        if (Single[c]) {
            i = emitSingle(i);
            continue;
        }
        // Follow the path from the root as far as the text and the tree go, keeping the longest
        // entry passed on the way.
        std::size_t node = Root[c];
        std::size_t j = i + 1;
        std::size_t matchEnd = i;
        unsigned pending = 0;
        for (;;) {
            const std::size_t child = node + 1;
            if (NodeByte(child) == Terminal) {
                pending = Entry(child);
                matchEnd = j;
                if (Sibling(child) == 0) break; // no longer entry can follow
            }
            if (j == n) {
                // The path restarts from the root at i, so the next piece can take it over.
                if (more) return i;
                break;
            }
            const unsigned char d = static_cast<unsigned char>(in[j]);
            const std::size_t next = InTable[d] ? Find(child, d) : 0;
            if (next == 0) {
                // Without an entry, a byte of the table that breaks the path goes with it.
                if (pending == 0 && InTable[d]) ++j;
                break;
            }
            node = next;
            ++j;
        }
        // The bytes after the longest entry are read again from the root.
        if (pending) {
            emitEntry(pending, in.substr(i, matchEnd - i));
            i = matchEnd;
        } else {
            emitBytes(in.substr(i, j - i));
            i = j;
        }
    }
    return n;
}

template <unsigned EntryBytes>
template <class EmitEntry, class EmitBytes>
std::size_t TTableTree<EntryBytes>::Match(std::string_view in, EmitEntry&& emitEntry,
                                          EmitBytes&& emitBytes, bool more) const {
    const auto single = [&](std::size_t i) {
        const unsigned char c = static_cast<unsigned char>(in[i]);
        if (Direct[c]) {
            emitEntry(Direct[c], in.substr(i, 1));
            return i + 1;
        }
        std::size_t j = i + 1;
        if (!InTable[c])
            while (j < in.size() && !InTable[static_cast<unsigned char>(in[j])]) ++j;
        emitBytes(in.substr(i, j - i));
        return j;
    };
    return MatchWith(in, emitEntry, emitBytes, single, more);
}

extern template class TTableTree<1>;
extern template class TTableTree<2>;

} // namespace tavi
