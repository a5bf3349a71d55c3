// The order of the entries: the comparison of two entries, and the sort of a whole view by
// keys held with its rows.
#include "core/entry.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/mcfg.h"
#include "core/panel.h"

namespace {

struct Piece {
    const char* text;
    size_t length;
};

template <typename T> int Order(T a, T b) { return a < b ? -1 : a > b ? 1 : 0; }

inline unsigned char Fold(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

// Byte-by-byte comparison of two texts of known lengths with the ASCII capitals folded to
// lower case; the shorter one first when one is the start of the other.
int CompareFoldedN(const char* a, size_t la, const char* b, size_t lb) {
    size_t n = std::min(la, lb);
    for (size_t i = 0; i < n; i++) {
        unsigned char x = Fold((unsigned char)a[i]), y = Fold((unsigned char)b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return Order(la, lb);
}

// The type of a name: from its last dot on, or the empty text when it has none. A name
// without a dot thus has the empty type, which orders before every other type.
Piece TypeOf(const FolderEntry& e) {
    const char* name = e.name();
    for (size_t i = e.name_length(); i-- > 0;)
        if (name[i] == '.') return {name + i, e.name_length() - i};
    return {kNoText, 0};
}

// A find result's shown text in its three pieces: its folder (from panel.entries' table), a
// backslash and its name. The order of find results compares the pieces as one text.
struct ShownPieces {
    Piece piece[3];
};

ShownPieces ShownOf(const FolderEntry& e, Piece folder) {
    return {{folder, {"\\", 1}, {e.name(), e.name_length()}}};
}

Piece TableFolder(const FolderEntry& e) {
    const char* folder = panel.entries.Folder(e.folder);
    return {folder, strlen(folder)};
}

// The byte at `at` of a text made of pieces, folded; 0 past its end.
unsigned char FoldedAt(const Piece* pieces, int count, size_t at) {
    for (int p = 0; p < count; p++) {
        if (at < pieces[p].length) return Fold((unsigned char)pieces[p].text[at]);
        at -= pieces[p].length;
    }
    return 0;
}

int CompareShownFolded(const FolderEntry& a, const FolderEntry& b) {
    ShownPieces x = ShownOf(a, TableFolder(a)), y = ShownOf(b, TableFolder(b));
    for (size_t at = 0;; at++) {
        unsigned char p = FoldedAt(x.piece, 3, at), q = FoldedAt(y.piece, 3, at);
        if (p != q) return p < q ? -1 : 1;
        if (!p) return 0;
    }
}

uint64_t FileTimeValue(const FILETIME& t) {
    return ((uint64_t)t.dwHighDateTime << 32) | t.dwLowDateTime;
}

// Folds the ASCII capitals of eight bytes at once: a byte below 0x80 from 'A' to 'Z' gains
// 0x20. No byte's sum carries into the next one.
inline uint64_t Fold8(uint64_t w) {
    const uint64_t ones = 0x0101010101010101ull, high = 0x8080808080808080ull;
    uint64_t t = w & ~high;
    uint64_t from_a = t + (0x80 - 'A') * ones, past_z = t + (0x80 - 'Z' - 1) * ones;
    return w | (((from_a & ~past_z & ~w) & high) >> 2);
}

inline uint64_t Mix(uint64_t h, uint64_t v) { return (h ^ v) * 0x9E3779B97F4A7C15ull; }

// Eight bytes of a text from `text` on, of which the first `length` count, the rest zero.
inline uint64_t Word(const char* text, size_t length) {
    uint64_t w;
    memcpy(&w, text, sizeof w);
    return length >= 8 ? w : length == 0 ? 0 : w & ((1ull << (8 * length)) - 1);
}

// A row of an order: a key held with the entry's reference and its place in the listing. A
// number (size, time, attribute word), or 16 folded bytes of a text (name, type, shown path),
// big-endian and padded with zeros, which no text holds: compared as numbers, keys order as
// their entries do, and the place orders entries of equal keys as they were listed. A row
// is no larger than a view slot, so that the view's own memory holds the rows while they
// are sorted.
struct NumberRow {
    uint64_t key;
    FolderEntry* entry;
    size_t place;
};
struct TextRow {
    uint64_t hi, lo;
    FolderEntry* entry;
    size_t place;
};
static_assert(sizeof(TextRow) <= sizeof(ViewSlot) && sizeof(NumberRow) <= sizeof(ViewSlot),
              "rows fit the view's slots");

inline bool KeyLess(const NumberRow& a, const NumberRow& b) { return a.key < b.key; }
inline bool KeyLess(const TextRow& a, const TextRow& b) {
    return a.hi < b.hi || (a.hi == b.hi && a.lo < b.lo);
}
inline bool KeyEqual(const NumberRow& a, const NumberRow& b) { return a.key == b.key; }
inline bool KeyEqual(const TextRow& a, const TextRow& b) { return a.hi == b.hi && a.lo == b.lo; }

// Keys first, then the places: no two rows are equal, so a plain sort keeps entries of equal
// keys in the listing's order. A comparison sort of these short keys beats a byte-wise radix
// sort, which must pass over every row once for each byte in which names differ (a dozen
// passes for names of 15 characters), and needs no spare rows.
template <class Row> bool RowLess(const Row& a, const Row& b) {
    return KeyLess(a, b) || (KeyEqual(a, b) && a.place < b.place);
}

// The keys of one order, taken from the entries into rows, folders first.
class OrderKeys {
  public:
    OrderKeys(int column, int dir, bool find)
        : column_(column), text_(column == 0 || column == 3),
          // Names and types run from A to Z, sizes, times and attribute words from the
          // largest, with direction 1; the complement of a key turns its order round.
          flip_((column == 0 || column == 3 ? dir == 0 : dir != 0) ? ~0ull : 0), find_(find) {}
    bool text() const { return text_; }

    // The folded bytes [at, at + 16) of an entry's text, zeros past its end, complemented for
    // the order from Z to A.
    void TextKey(const FolderEntry* e, size_t at, TextRow* row) const {
        if (!e || !(column_ == 0 && find_)) {
            // A name or a type is read a word at a time: its store has bytes to spare after
            // every text.
            Piece piece = !e             ? Piece{kNoText, 0}
                          : column_ == 3 ? TypeOf(*e)
                                         : Piece{e->name(), e->name_length()};
            size_t length = piece.length > at ? piece.length - at : 0;
            const char* text = piece.text + std::min(at, piece.length);
            row->hi = __builtin_bswap64(Fold8(Word(text, length))) ^ flip_;
            row->lo = __builtin_bswap64(Fold8(Word(text + 8, length > 8 ? length - 8 : 0))) ^ flip_;
            return;
        }
        // A find result's shown path, in its three pieces.
        unsigned char bytes[16] = {};
        if (e) {
            ShownPieces shown = ShownOf(*e, TableFolder(*e));
            size_t filled = 0;
            for (const Piece& piece : shown.piece) {
                if (filled == 16) break;
                if (at >= piece.length) {
                    at -= piece.length;
                    continue;
                }
                size_t take = std::min(piece.length - at, 16 - filled);
                memcpy(bytes + filled, piece.text + at, take);
                filled += take;
                at = 0;
            }
        }
        uint64_t w[2];
        memcpy(w, bytes, sizeof w);
        row->hi = __builtin_bswap64(Fold8(w[0])) ^ flip_;
        row->lo = __builtin_bswap64(Fold8(w[1])) ^ flip_;
    }
    NumberRow NumberKey(FolderEntry* e) const {
        uint64_t key = 0;
        if (e) {
            switch (column_) {
            case 1: key = EntrySize(*e); break;
            case 2: key = FileTimeValue(e->last_write_time); break;
            case 4: key = e->attributes; break;
            default: return {0, e};  // columns beyond the five order nothing but the folders
            }
        }
        return {key ^ flip_, e};
    }
    // Whether the text of a row goes on past its key: the key's last byte is no padding.
    bool Continues(const TextRow& r) const { return ((r.lo ^ flip_) & 0xFFu) != 0; }
    bool Continues(const NumberRow&) const { return false; }

    // The order of two rows as CompareEntriesBy gives it within one kind.
    int Compare(const NumberRow& a, const NumberRow& b) const { return Order(a.key, b.key); }
    int Compare(TextRow a, TextRow b) const {
        for (size_t at = 16; KeyEqual(a, b) && Continues(a); at += 16) {
            TextKey(a.entry, at, &a);
            TextKey(b.entry, at, &b);
        }
        return KeyLess(a, b) ? -1 : KeyLess(b, a) ? 1 : 0;
    }

    // Takes the rows of n entries into `rows`, the folders first, each kind in the order
    // given; the number of folders is returned, and the digest of the keys goes to *digest.
    template <class Row, class Get> size_t Take(size_t n, Get get, Row* rows, uint64_t* digest) {
        uint64_t h = DigestStart();
        size_t folders = 0;
        bool apart = false;
        for (size_t i = 0; i < n; i++) {
            FolderEntry* e = get(i);
            bool folder = e && (e->attributes & 0x10);
            rows[i] = MakeRow(e, (Row*)nullptr);
            rows[i].place = i;
            h = Mix(HashOf(h, rows[i]), folder);
            // A folder after another entry: the folders must be brought to the front.
            if (folder && folders++ < i) apart = true;
        }
        if (apart)
            std::stable_partition(rows, rows + n, [](const Row& r) {
                return r.entry && (r.entry->attributes & 0x10);
            });
        *digest = Mix(h, n);
        return folders;
    }
    // The same digest without the rows.
    template <class Row, class Get> uint64_t Digest(size_t n, Get get) const {
        uint64_t h = DigestStart();
        for (size_t i = 0; i < n; i++) {
            FolderEntry* e = get(i);
            h = Mix(HashOf(h, MakeRow(e, (Row*)nullptr)), e && (e->attributes & 0x10));
        }
        return Mix(h, n);
    }

    // Orders rows[0, n) of one kind; rows of equal entries keep their order.
    template <class Row> void Sort(Row* rows, size_t n) const {
        // A listing often comes in the order asked for already (by name), or in its reverse
        // (after a click that turned the direction round): one pass tells.
        bool up = true, down = true;
        for (size_t i = 1; i < n && (up || down); i++) {
            int c = Compare(rows[i - 1], rows[i]);
            if (c > 0) up = false;
            if (c < 0) down = false;
        }
        if (up) return;
        if (down) {
            // Turned round, equal entries turn back into their order.
            std::reverse(rows, rows + n);
            for (size_t i = 0; i < n;) {
                size_t j = i + 1;
                while (j < n && Compare(rows[i], rows[j]) == 0)
                    j++;
                std::reverse(rows + i, rows + j);
                i = j;
            }
            return;
        }
        SortRuns(rows, n, 0);
    }

  private:
    NumberRow MakeRow(FolderEntry* e, NumberRow*) const { return NumberKey(e); }
    TextRow MakeRow(FolderEntry* e, TextRow*) const {
        TextRow row;
        row.entry = e;
        TextKey(e, 0, &row);
        return row;
    }
    uint64_t DigestStart() const { return Mix(Mix(Mix(0x5EED, (uint64_t)column_), flip_), find_); }
    static uint64_t HashOf(uint64_t h, const NumberRow& r) { return Mix(h, r.key); }
    static uint64_t HashOf(uint64_t h, const TextRow& r) { return Mix(Mix(h, r.hi), r.lo); }

    // Sorts rows[0, n) by their keys, whose texts were taken from byte `at` on, and then each
    // run of equal keys whose texts go on past them by their next 16 bytes.
    template <class Row> void SortRuns(Row* rows, size_t n, size_t at) const {
        std::sort(rows, rows + n, [](const Row& a, const Row& b) { return RowLess(a, b); });
        for (size_t i = 0; i < n;) {
            size_t j = i + 1;
            while (j < n && KeyEqual(rows[j], rows[i]))
                j++;
            if (j - i > 1 && Continues(rows[i])) Refine(rows + i, j - i, at + 16);
            i = j;
        }
    }
    void Refine(NumberRow*, size_t, size_t) const {}
    void Refine(TextRow* rows, size_t n, size_t at) const {
        for (size_t k = 0; k < n; k++)
            TextKey(rows[k].entry, at, &rows[k]);
        SortRuns(rows, n, at);
    }

    int column_;
    bool text_;
    uint64_t flip_;
    bool find_;
};

// Orders n entries (get(i) the i-th) into view[0, n), whose memory holds the rows meanwhile.
template <class Row, class Get>
uint64_t OrderInto(OrderKeys& keys, size_t n, Get get, ViewSlot* view) {
    Row* rows = reinterpret_cast<Row*>(view);
    uint64_t digest = 0;
    size_t folders = keys.Take(n, get, rows, &digest);
    keys.Sort(rows, folders);
    keys.Sort(rows + folders, n - folders);
    // Row i lies below slot i, so the slots are written from the last on, each after its row
    // was read and never over a row still to be read.
    for (size_t i = n; i-- > 0;) {
        FolderEntry* e = rows[i].entry;
        view[i] = {e, 0, 0.0, 0.0};
    }
    view[0].count = (unsigned)n;
    return digest;
}

template <class Get>
uint64_t OrderAll(size_t n, Get get, int column, int dir, bool find, ViewSlot* view) {
    OrderKeys keys(column, dir, find);
    return keys.text() ? OrderInto<TextRow>(keys, n, get, view)
                       : OrderInto<NumberRow>(keys, n, get, view);
}

}  // namespace

int CompareEntriesBy(const FolderEntry* a, const FolderEntry* b, int column, int dir) {
    if (!a || !b) return 0;
    // Folders first in both directions; the reparse-point bit plays no part.
    bool folder_a = (a->attributes & 0x10) != 0, folder_b = (b->attributes & 0x10) != 0;
    if (folder_a != folder_b) return folder_a ? -1 : 1;

    int r = 0;
    switch (column) {
    case 0:
        r = mcfg.find_mode
                ? CompareShownFolded(*a, *b)
                : CompareFoldedN(a->name(), a->name_length(), b->name(), b->name_length());
        return dir ? r : -r;
    case 1: r = Order(EntrySize(*a), EntrySize(*b)); return dir ? -r : r;
    case 2:
        r = Order(FileTimeValue(a->last_write_time), FileTimeValue(b->last_write_time));
        return dir ? -r : r;
    case 3: {
        Piece ta = TypeOf(*a), tb = TypeOf(*b);
        r = CompareFoldedN(ta.text, ta.length, tb.text, tb.length);
        return dir ? r : -r;
    }
    case 4: r = Order(a->attributes, b->attributes); return dir ? -r : r;
    default: return 0;
    }
}

int CompareEntries(const ViewSlot* a, const ViewSlot* b) {
    if (!a || !b) return 0;
    return CompareEntriesBy(a->entry, b->entry, mcfg.sort_column, mcfg.sort_dir);
}

void OrderEntries(const EntryList& list, int column, int dir, ViewSlot* view, ViewOrder* made) {
    OrderEntries(list, column, dir, mcfg.find_mode != 0, view, made);
}

void OrderEntries(const EntryList& list, int column, int dir, bool find, ViewSlot* view,
                  ViewOrder* made) {
    size_t n = list.size();
    if (!view || n == 0) return;
    uint64_t digest = OrderAll(
        n, [&list](size_t i) { return list[i]; }, column, dir, find, view);
    if (made) *made = {list.stamp(), column, dir, find ? 1 : 0, digest};
}

ViewOrder OrderOf(const EntryList& list, int column, int dir) {
    OrderKeys keys(column, dir, mcfg.find_mode != 0);
    auto get = [&list](size_t i) { return list[i]; };
    size_t n = list.size();
    uint64_t digest = keys.text() ? keys.Digest<TextRow>(n, get) : keys.Digest<NumberRow>(n, get);
    return {list.stamp(), column, dir, mcfg.find_mode, digest};
}
