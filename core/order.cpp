// The order of the entries: the comparison of two entries, and the sort of a whole view by
// keys held with its rows.
#include "core/entry.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/mcfg.h"

namespace {

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
OrderKeys::Piece TypeOf(const FolderEntry& e) {
    const char* name = e.name();
    for (size_t i = e.name_length(); i-- > 0;)
        if (name[i] == '.') return {name + i, e.name_length() - i};
    return {"", 0};
}

// A find result's shown text in its three pieces: its folder (from mcfg.entries' table), a
// backslash and its name. The order of find results compares the pieces as one text.
struct ShownPieces {
    OrderKeys::Piece piece[3];
};

ShownPieces ShownOf(const FolderEntry& e, OrderKeys::Piece folder) {
    return {{folder, {"\\", 1}, {e.name(), e.name_length()}}};
}

OrderKeys::Piece TableFolder(const FolderEntry& e) {
    const char* folder = mcfg.entries.Folder(e.folder);
    return {folder, strlen(folder)};
}

// The byte at `at` of a text made of pieces, folded; 0 past its end.
unsigned char FoldedAt(const OrderKeys::Piece* pieces, int count, size_t at) {
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

using NumberRow = OrderKeys::NumberRow;
using TextRow = OrderKeys::TextRow;

// Byte b of a row's key, counted from its least significant byte.
inline unsigned ByteOf(const NumberRow& r, int b) { return (unsigned)(r.key >> (8 * b)) & 0xFFu; }
inline unsigned ByteOf(const TextRow& r, int b) {
    return (unsigned)((b < 8 ? r.lo : r.hi) >> (8 * (b & 7))) & 0xFFu;
}
inline bool KeyLess(const NumberRow& a, const NumberRow& b) { return a.key < b.key; }
inline bool KeyLess(const TextRow& a, const TextRow& b) {
    return a.hi < b.hi || (a.hi == b.hi && a.lo < b.lo);
}
inline bool KeyEqual(const TextRow& a, const TextRow& b) { return a.hi == b.hi && a.lo == b.lo; }

template <class Row> bool KeysAscend(const Row* rows, size_t n) {
    for (size_t i = 1; i < n; i++)
        if (KeyLess(rows[i], rows[i - 1])) return false;
    return true;
}

// A stable sort of rows[0, n) by key: least significant byte first, one counting pass for
// every byte position, each spread into `spare` and back; a position where every row has the
// same byte is passed over, so the attribute words of a folder cost one counting pass and the
// bytes that all sizes or names share cost nothing. Few rows are sorted by insertion.
template <class Row> void RadixSort(Row* rows, Row* spare, size_t n) {
    if (n < 2) return;
    if (n <= 32) {
        for (size_t i = 1; i < n; i++) {
            Row r = rows[i];
            size_t j = i;
            for (; j > 0 && KeyLess(r, rows[j - 1]); j--)
                rows[j] = rows[j - 1];
            rows[j] = r;
        }
        return;
    }
    constexpr int kBytes = (int)(sizeof(Row) - sizeof(FolderEntry*));
    uint32_t count[kBytes][256] = {};
    for (size_t i = 0; i < n; i++)
        for (int b = 0; b < kBytes; b++)
            count[b][ByteOf(rows[i], b)]++;
    Row* from = rows;
    Row* to = spare;
    for (int b = 0; b < kBytes; b++) {
        const uint32_t* c = count[b];
        if (c[ByteOf(from[0], b)] == n) continue;
        size_t place[256];
        size_t sum = 0;
        for (int v = 0; v < 256; v++) {
            place[v] = sum;
            sum += c[v];
        }
        for (size_t i = 0; i < n; i++)
            to[place[ByteOf(from[i], b)]++] = from[i];
        std::swap(from, to);
    }
    if (from != rows) memcpy((void*)rows, from, n * sizeof(Row));
}

inline uint64_t Mix(uint64_t h, uint64_t v) {
    h = (h ^ v) * 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 31);
}

inline uint64_t BigEndian(const unsigned char* bytes) {
    uint64_t v;
    memcpy(&v, bytes, sizeof v);
    return __builtin_bswap64(v);
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
        OrderKeys::Piece ta = TypeOf(*a), tb = TypeOf(*b);
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

void OrderKeys::TextKey(const FolderEntry* e, size_t at, TextRow* row) const {
    unsigned char bytes[16] = {};
    if (e) {
        Piece pieces[3];
        int count = 1;
        if (column_ == 3) {
            pieces[0] = TypeOf(*e);
        } else if (find_) {
            Piece folder =
                e->folder < folder_table_.size() ? folder_table_[e->folder] : Piece{"", 0};
            ShownPieces shown = ShownOf(*e, folder);
            std::copy(shown.piece, shown.piece + 3, pieces);
            count = 3;
        } else {
            pieces[0] = {e->name(), e->name_length()};
        }
        size_t filled = 0;
        for (int p = 0; p < count && filled < 16; p++) {
            if (at >= pieces[p].length) {
                at -= pieces[p].length;
                continue;
            }
            size_t take = std::min(pieces[p].length - at, 16 - filled);
            for (size_t i = 0; i < take; i++)
                bytes[filled + i] = Fold((unsigned char)pieces[p].text[at + i]);
            filled += take;
            at = 0;
        }
    }
    uint64_t flip = descending_ ? ~0ull : 0;
    row->hi = BigEndian(bytes) ^ flip;
    row->lo = BigEndian(bytes + 8) ^ flip;
}

template <class Get> bool OrderKeys::TakeFrom(size_t n, Get get, int column, int dir) {
    column_ = column;
    text_ = column == 0 || column == 3;
    // Names and types run from A to Z, sizes, times and attribute words from the largest,
    // with direction 1; the complement of a key turns its order round.
    descending_ = text_ ? dir == 0 : dir != 0;
    find_ = mcfg.find_mode != 0;
    n_ = n;
    folders_ = 0;
    folder_table_.clear();
    numbers_.reset();
    number_spare_.reset();
    texts_.reset();
    text_spare_.reset();
    try {
        if (text_ && column_ == 0 && find_) {
            folder_table_.reserve(mcfg.entries.FolderCount());
            for (unsigned i = 0; i < mcfg.entries.FolderCount(); i++) {
                const char* folder = mcfg.entries.Folder(i);
                folder_table_.push_back({folder, strlen(folder)});
            }
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (text_) {
        texts_.reset(new (std::nothrow) TextRow[n]);
        text_spare_.reset(new (std::nothrow) TextRow[n]);
        if (!texts_ || !text_spare_) return false;
    } else {
        numbers_.reset(new (std::nothrow) NumberRow[n]);
        number_spare_.reset(new (std::nothrow) NumberRow[n]);
        if (!numbers_ || !number_spare_) return false;
    }
    uint64_t digest = Mix(Mix(Mix(0x5EED, (uint64_t)column), (uint64_t)dir), find_);
    uint64_t flip = descending_ ? ~0ull : 0;
    // The folders go to the front of the rows and the other entries to the spare rows, each
    // in the order taken; the spare rows then follow the folders.
    size_t others = 0;
    for (size_t i = 0; i < n; i++) {
        FolderEntry* e = get(i);
        bool folder = e && (e->attributes & 0x10);
        if (text_) {
            TextRow row;
            row.entry = e;
            TextKey(e, 0, &row);
            digest = Mix(Mix(digest, row.hi), row.lo ^ folder);
            (folder ? texts_[folders_++] : text_spare_[others++]) = row;
        } else {
            uint64_t key = 0;
            if (e) {
                switch (column) {
                case 1: key = EntrySize(*e); break;
                case 2: key = FileTimeValue(e->last_write_time); break;
                case 4: key = e->attributes; break;
                default: break;
                }
            }
            // Columns beyond the five order nothing but the folders.
            if (column >= 1 && column <= 4) key ^= flip;
            NumberRow row = {key, e};
            digest = Mix(Mix(digest, key), folder);
            (folder ? numbers_[folders_++] : number_spare_[others++]) = row;
        }
    }
    if (text_)
        memcpy((void*)(texts_.get() + folders_), text_spare_.get(), others * sizeof(TextRow));
    else
        memcpy((void*)(numbers_.get() + folders_), number_spare_.get(), others * sizeof(NumberRow));
    digest_ = Mix(digest, n);
    return true;
}

bool OrderKeys::Take(const EntryList& list, int column, int dir) {
    return TakeFrom(
        list.size(), [&list](size_t i) { return list[i]; }, column, dir);
}

bool OrderKeys::Take(const ViewSlot* view, size_t n, int column, int dir) {
    if (!view) n = 0;
    return TakeFrom(
        n, [view](size_t i) { return view[i].entry; }, column, dir);
}

// Rows of equal keys whose texts go on past the key (its last byte is not the zero that
// pads a text) are ordered again by the next 16 bytes, run by run.
void OrderKeys::SortTexts(TextRow* rows, size_t n, size_t at) {
    RadixSort(rows, text_spare_.get(), n);
    unsigned flip = descending_ ? 0xFFu : 0;
    for (size_t i = 0; i < n;) {
        size_t j = i + 1;
        while (j < n && KeyEqual(rows[j], rows[i]))
            j++;
        if (j - i > 1 && ((rows[i].lo & 0xFFu) ^ flip) != 0) {
            for (size_t k = i; k < j; k++)
                TextKey(rows[k].entry, at + 16, &rows[k]);
            SortTexts(rows + i, j - i, at + 16);
        }
        i = j;
    }
}

bool OrderKeys::TextsInOrder(const TextRow* rows, size_t n) const {
    unsigned flip = descending_ ? 0xFFu : 0;
    for (size_t i = 1; i < n; i++) {
        if (KeyLess(rows[i], rows[i - 1])) return false;
        if (!KeyEqual(rows[i], rows[i - 1]) || ((rows[i].lo & 0xFFu) ^ flip) == 0) continue;
        // Two texts that share the key: their next bytes decide.
        TextRow a = rows[i - 1], b = rows[i];
        for (size_t at = 16; KeyEqual(a, b) && ((a.lo & 0xFFu) ^ flip) != 0; at += 16) {
            TextKey(a.entry, at, &a);
            TextKey(b.entry, at, &b);
        }
        if (KeyLess(b, a)) return false;
    }
    return true;
}

void OrderKeys::Order(ViewSlot* view) {
    if (!view || n_ == 0) return;
    size_t group[2][2] = {{0, folders_}, {folders_, n_ - folders_}};
    for (const auto& g : group) {
        if (text_) {
            TextRow* rows = texts_.get() + g[0];
            // A listing often comes in the order asked for already (by name): one pass tells.
            if (!TextsInOrder(rows, g[1])) SortTexts(rows, g[1], 0);
        } else {
            NumberRow* rows = numbers_.get() + g[0];
            if (!KeysAscend(rows, g[1])) RadixSort(rows, number_spare_.get(), g[1]);
        }
    }
    for (size_t i = 0; i < n_; i++)
        view[i] = {text_ ? texts_[i].entry : numbers_[i].entry, 0, 0.0, 0.0};
    view[0].count = (unsigned)n_;
}

void OrderView(ViewSlot* view, size_t n, int column, int dir) {
    if (!view || n == 0) return;
    OrderKeys keys;
    if (keys.Take(view, n, column, dir)) {
        keys.Order(view);
        return;
    }
    // Without memory for the keys, the slots are sorted by comparing their entries; a stable
    // sort without a buffer of its own still keeps equal entries in their order.
    std::stable_sort(view, view + n, [column, dir](const ViewSlot& x, const ViewSlot& y) {
        return CompareEntriesBy(x.entry, y.entry, column, dir) < 0;
    });
    for (size_t i = 0; i < n; i++)
        view[i] = {view[i].entry, 0, 0.0, 0.0};
    view[0].count = (unsigned)n;
}
