// The prefix tree of a source code table and the greedy longest-match converter that runs
// over it. Shared by the Vietnamese code converter (4-byte nodes, one-byte entry numbers) and
// the Braille converter (5-byte nodes, two-byte entry numbers).
#pragma once

#include <algorithm>
#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
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
    // called; bytes that belong to no entry are passed to emitBytes unchanged.
    template <class EmitEntry, class EmitBytes>
    void Match(std::string_view in, EmitEntry&& emitEntry, EmitBytes&& emitBytes) const;

private:
    std::size_t Find(std::size_t node, unsigned char c) const {
        if (node == 1) return Root[c];
        for (;;) {
            if (NodeByte(node) == c) return node;
            node = Sibling(node);
            if (node == 0) return 0;
        }
    }
    std::size_t Append(unsigned char c, const std::string& tableName);
    void Insert(std::string_view entry, unsigned number, const std::string& tableName);

    std::vector<std::uint8_t> Nodes; // node 0 is unused
    std::size_t Count = 0;
    std::bitset<256> TableChars;
    std::array<bool, 256> InTable{};         // TableChars as bytes: one load per input byte
    std::array<std::uint16_t, 256> Root{};   // the root-level node holding each byte
    std::array<std::uint16_t, 256> Direct{}; // entry of a byte that is a whole entry on its own
};

template <unsigned EntryBytes>
template <class EmitEntry, class EmitBytes>
void TTableTree<EntryBytes>::Match(std::string_view in, EmitEntry&& emitEntry,
                                   EmitBytes&& emitBytes) const {
    const std::size_t n = in.size();
    std::size_t i = 0;
    std::size_t held = 0;      // start of the bytes read since the last match or output
    std::size_t pathStart = 0; // where the path from the root began
    std::size_t matchEnd = 0;  // end of the pending entry's bytes
    std::size_t node = 1;
    unsigned pending = 0;
    auto flushPending = [&] {
        emitEntry(pending, in.substr(pathStart, matchEnd - pathStart));
        pending = 0;
    };
    for (;;) {
        if (i == n) {
            if (pending == 0) {
                if (held < n) emitBytes(in.substr(held));
                return;
            }
            // The pending entry is written and what followed it is read again from the root.
            flushPending();
            i = pathStart = held;
            node = 1;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(in[i++]);
        if (!InTable[c]) {
            if (pending) {
                flushPending();
                // Bytes of a longer path that failed here lie between the match and c: read
                // them again from the root, as when the path fails on a byte of the table.
                if (held + 1 < i) {
                    i = pathStart = held;
                    node = 1;
                    continue;
                }
            }
            while (i < n && !InTable[static_cast<unsigned char>(in[i])]) ++i;
            emitBytes(in.substr(held, i - held));
            held = pathStart = i;
            node = 1;
            continue;
        }
        if (node == 1 && Direct[c]) { // a one-byte entry that no longer entry starts with
            held = matchEnd = i;
            pending = Direct[c];
            flushPending();
            pathStart = i;
            continue;
        }
        const std::size_t found = Find(node, c);
        if (found) {
            const std::size_t child = found + 1;
            if (NodeByte(child) == Terminal) {
                held = matchEnd = i;
                pending = Entry(child);
                if (Sibling(child) == 0) { // no longer entry can follow
                    flushPending();
                    pathStart = i;
                    node = 1;
                    continue;
                }
            }
            node = child;
        } else {
            if (pending) {
                flushPending();
                i = held; // read the bytes after the match again
            } else {
                emitBytes(in.substr(held, i - held));
            }
            held = pathStart = i;
            node = 1;
        }
    }
}

extern template class TTableTree<1>;
extern template class TTableTree<2>;

} // namespace tavi
