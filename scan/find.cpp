#include "scan/find.h"

#include <windows.h>
#include <process.h>
#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/log.h"
#include "core/messages.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "core/tempfile.h"
#include "controls/ui.h"
#include "browse/navigate.h"
#include "core/paths.h"
#include "browse/status.h"
#include "core/handles.h"

namespace {

// The longest piece: what fgets reads into a 260-byte buffer.
const size_t kPiece = MAX_PATH - 1;
const size_t kBlock = 64 * 1024;

// Whether the byte c occurs in [p, p + n), eight bytes at a time. Every block a content
// search reads is tested for Ctrl+Z, and the C library's memchr here goes byte by byte.
bool HasByte(const char* p, size_t n, unsigned char c) {
    const uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
    const uint64_t spread = ones * c;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        memcpy(&w, p + i, 8);
        w ^= spread;
        // A zero byte in w (a byte equal to c) sets its high bit here, and only then.
        if ((w - ones) & ~w & highs) return true;
    }
    for (; i < n; i++)
        if ((unsigned char)p[i] == c) return true;
    return false;
}

// The platform's text mode, applied to raw bytes in place: CR LF becomes LF, a lone CR
// stays, and a Ctrl+Z byte ends the file (`end` set). A CR that is the last byte waits for
// the next block (`pending_cr`). Returns the translated length.
size_t TextMode(char* buf, size_t n, bool& pending_cr, bool& end) {
    size_t limit = n;
    if (const char* z = (const char*)memchr(buf, 0x1A, n)) {
        limit = (size_t)(z - buf);
        end = true;
    }
    const char* cr = (const char*)memchr(buf, '\r', limit);
    if (!cr) return limit;
    char* w = buf + (cr - buf);
    const char* r = cr;
    const char* stop = buf + limit;
    while (cr) {
        size_t len = (size_t)(cr - r);
        if (w != r) memmove(w, r, len);
        w += len;
        if (cr + 1 < stop) {
            if (cr[1] == '\n') {
                *w++ = '\n';
                r = cr + 2;
            } else {
                *w++ = '\r';
                r = cr + 1;
            }
        } else if (end) {
            // Followed by the Ctrl+Z: a lone CR.
            *w++ = '\r';
            r = cr + 1;
        } else {
            pending_cr = true;
            r = cr + 1;
        }
        cr = r < stop ? (const char*)memchr(r, '\r', (size_t)(stop - r)) : nullptr;
    }
    size_t tail = (size_t)(stop - r);
    if (w != r) memmove(w, r, tail);
    return (size_t)(w + tail - buf);
}

// Splits the text-mode stream of a file into the pieces that fgets with a 260-byte buffer
// would return, and tests each for the text. A piece that straddles two blocks is gathered
// in `carry_`; every other piece is tested where it lies. Where the text does not occur in
// the rest of a block at all, no piece there can hold it: only the block's unfinished last
// piece is kept, and the pieces before it are never cut.
class PieceScanner {
  public:
    explicit PieceScanner(std::string_view text)
        : text_(text), plain_(text.find_first_of("\r\n") == std::string_view::npos) {
        // Horspool's skips: how far the window may move when its last byte is c.
        size_t m = text.size();
        size_t most = m < 255 ? m : 255;
        memset(skip_, (int)most, sizeof skip_);
        for (size_t i = m > most ? m - most : 0; i + 1 < m; i++)
            skip_[(unsigned char)text[i]] = (unsigned char)(m - 1 - i);
    }

    // Feeds one raw block of the file; true once the text was found in a finished piece.
    // `pending_cr` carries a CR at a block's end to the next block; `end` is set at a
    // Ctrl+Z, which ends the file.
    bool FeedRaw(char* raw, size_t n, bool& pending_cr, bool& end) {
        size_t pos = 0;
        if (pending_cr) {
            pending_cr = false;
            bool pair = n > 0 && raw[0] == '\n';
            if (Feed(pair ? "\n" : "\r", 1)) return true;
            if (pair) pos = 1;
        }
        // Text mode drops only CRs in front of an LF, so a text without CR and LF occurs in
        // the translated block exactly when it occurs in the raw one: the translation can
        // then wait until there is a candidate.
        if (!plain_ || HasByte(raw + pos, n - pos, 0x1A)) {
            size_t len = TextMode(raw + pos, n - pos, pending_cr, end);
            return Feed(raw + pos, len);
        }
        if (carry_len_ > 0) {
            // The piece begun before ends in the block's first line.
            const char* nl = (const char*)memchr(raw + pos, '\n', n - pos);
            size_t head = nl ? (size_t)(nl - raw) + 1 : n;
            size_t len = TextMode(raw + pos, head - pos, pending_cr, end);
            if (Feed(raw + pos, len)) return true;
            pos = head;
        }
        if (pos == n) return false;
        if (Occurs(raw + pos, n - pos)) {
            size_t len = TextMode(raw + pos, n - pos, pending_cr, end);
            return Feed(raw + pos, len);
        }
        size_t line = LastLine(raw, pos, n);
        size_t len = TextMode(raw + line, n - line, pending_cr, end);
        Keep(raw + line, len);
        return false;
    }

    // At the end of the file the last line may lack its newline: fgets returns it as well.
    bool Finish(bool pending_cr) {
        if (pending_cr && Feed("\r", 1)) return true;
        size_t len = carry_len_;
        carry_len_ = 0;
        return len > 0 && Test(carry_, len);
    }

  private:
    // Feeds translated bytes.
    bool Feed(const char* data, size_t n) {
        size_t pos = 0;
        if (carry_len_ > 0 && Pieces(data, n, pos, true)) return true;
        if (pos == n) return false;
        if (Occurs(data + pos, n - pos)) return Pieces(data, n, pos, false);
        size_t line = LastLine(data, pos, n);
        Keep(data + line, n - line);
        return false;
    }

    // Cuts and tests pieces from `pos` on, the first of them continuing `carry_`; stops after
    // one piece when `one` is set.
    bool Pieces(const char* data, size_t n, size_t& pos, bool one) {
        while (pos < n) {
            size_t room = kPiece - carry_len_;
            size_t span = n - pos < room ? n - pos : room;
            const char* start = data + pos;
            const char* nl = (const char*)memchr(start, '\n', span);
            size_t take = nl ? (size_t)(nl - start) + 1 : span;
            bool ends = nl || span == room;
            pos += take;
            if (!ends) {
                memcpy(carry_ + carry_len_, start, take);
                carry_len_ += take;
                return false;
            }
            if (carry_len_ == 0) {
                if (Test(start, take)) return true;
            } else {
                memcpy(carry_ + carry_len_, start, take);
                size_t len = carry_len_ + take;
                carry_len_ = 0;
                if (Test(carry_, len)) return true;
            }
            if (one) return false;
        }
        return false;
    }

    // The start of the last line in [pos, n), or pos, which is a piece end, when the range
    // holds no LF.
    static size_t LastLine(const char* data, size_t pos, size_t n) {
        size_t line = n;
        while (line > pos && data[line - 1] != '\n')
            line--;
        return line;
    }

    // Keeps the unfinished last piece of a line start: the line's pieces are 259-character
    // parts, and all but the remainder are finished.
    void Keep(const char* line, size_t n) {
        size_t keep = n % kPiece;
        memcpy(carry_, line + n - keep, keep);
        carry_len_ = keep;
    }

    // Whether the text occurs anywhere in [data, data + n): the test that lets a block without
    // it pass untranslated and uncut, so it runs over every byte read and is kept tight.
    bool Occurs(const char* data, size_t n) const {
        size_t m = text_.size();
        if (m == 0) return true;
        if (n < m) return false;
        const unsigned char* p = (const unsigned char*)data;
        const unsigned char* last = p + (n - m);
        const unsigned char end = (unsigned char)text_[m - 1];
        while (p <= last) {
            unsigned char c = p[m - 1];
            if (c == end && memcmp(p, text_.data(), m - 1) == 0) return true;
            p += skip_[c];
        }
        return false;
    }

    // A piece ends, for the search, at its first zero byte.
    bool Test(const char* piece, size_t n) const {
        if (const char* zero = (const char*)memchr(piece, '\0', n)) n = (size_t)(zero - piece);
        if (n < text_.size()) return false;
        return std::string_view(piece, n).find(text_) != std::string_view::npos;
    }

    std::string_view text_;
    unsigned char skip_[256];
    bool plain_;
    char carry_[MAX_PATH];
    size_t carry_len_ = 0;
};

// Reads the file in large blocks and scans its text-mode pieces. A file that cannot be
// opened (a folder among them), or that is no file on a disk (a device, a pipe), has no
// content match: a read of those may wait for good.
bool ContentMatch(const char* path, std::string_view text, char* block,
                  const std::atomic<bool>* stop = nullptr) {
    Handle file = OpenDiskFile(path, FILE_FLAG_SEQUENTIAL_SCAN);
    if (!file) return false;
    PieceScanner scanner(text);
    bool found = false, pending_cr = false, end = false;
    DWORD got = 0;
    while (!found && !end && !(stop && stop->load()) &&
           ReadFile(file.get(), block, (DWORD)kBlock, &got, nullptr) && got > 0) {
        found = scanner.FeedRaw(block, got, pending_cr, end);
        // A short read of a disk file is its end; asking again would only confirm it.
        if (got < kBlock) break;
    }
    if (!found) found = scanner.Finish(pending_cr);
    return found;
}

// A folder of the search and its place in the result list's table of folders, taken when its
// first result goes into the list (-1 until then): results are appended after the walk has
// moved on, so the folder's text goes with them.
struct FolderPlace {
    std::string path;
    long index = -1;
};

// One file whose contents are tested: its path, its record with how it is reached, and its
// folder. `state` is the queue's: waiting for a reader, being read, or decided.
struct ContentTask {
    std::string path;
    FindRecord record;
    Reach reach;
    std::shared_ptr<FolderPlace> folder;
    enum : unsigned char { kWaiting, kReading, kMatch, kNoMatch } state = kWaiting;
};

// The content tests of one search, read on threads beside the walk: reading the files is most
// of a content search, and the platform serves two readers faster than one. The walk queues
// each file in the order it meets them; a reader takes the oldest waiting file and decides
// it; the walk hands the decided files from the queue's head on to `commit`, so the results
// reach the list in the order of the walk, as if the walk had read each file itself. The
// queue is bounded, so the walk waits when it runs far ahead of the readers. Without reader
// threads (none asked for, or none to be had) the walk reads each file itself.
class ContentReaders {
  public:
    using Commit = std::function<void(ContentTask&)>;

    ContentReaders(std::string_view text, const std::atomic<bool>* stop, Commit commit)
        : text_(text), stop_(stop), commit_(std::move(commit)) {}
    ContentReaders(const ContentReaders&) = delete;
    ContentReaders& operator=(const ContentReaders&) = delete;
    // Ends the readers and waits for them: each ends after the block it reads, so every file
    // is closed when the search returns.
    ~ContentReaders() {
        {
            std::lock_guard<std::mutex> hold(lock_);
            closing_ = true;
        }
        work_.notify_all();
        for (Handle& thread : threads_)
            WaitForSingleObject(thread.get(), INFINITE);
    }

    // Starts up to `count` reader threads; the walk reads itself when none start.
    void Start(unsigned count) {
        for (unsigned i = 0; i < count; i++) {
            Handle thread((HANDLE)_beginthreadex(nullptr, 0, Run, this, 0, nullptr));
            if (!thread) break;
            threads_.push_back(std::move(thread));
        }
        if (threads_.empty()) own_block_.resize(kBlock);
    }

    // Queues a file for its content test, after the results decided before it; waits while
    // the queue is full.
    void Add(ContentTask&& task) {
        if (threads_.empty()) {
            task.state = ContentMatch(task.path.c_str(), text_, own_block_.data(), stop_)
                             ? ContentTask::kMatch
                             : ContentTask::kNoMatch;
            if (!Stopped()) commit_(task);
            return;
        }
        std::unique_lock<std::mutex> hold(lock_);
        CommitDecided(hold);
        while (queue_.size() >= kQueue && !Stopped())
            WaitForHead(hold);
        if (Stopped()) return;
        queue_.push_back(std::move(task));
        // Each wake is a call into the platform that the readers' own calls wait behind: only
        // a reader that waits is woken.
        bool wake = idle_ > 0;
        hold.unlock();
        if (wake) work_.notify_one();
    }

    // Waits until every queued file is decided and committed, or the search is stopped.
    void Finish() {
        if (threads_.empty()) return;
        std::unique_lock<std::mutex> hold(lock_);
        CommitDecided(hold);
        while (!queue_.empty() && !Stopped())
            WaitForHead(hold);
    }

  private:
    // The most files queued at once: enough to keep the readers busy while the walk lists a
    // folder, few enough that the results of a stopped search are never far behind the walk.
    static constexpr size_t kQueue = 256;

    bool Stopped() const { return stop_ && stop_->load(); }

    // Waits until the file at the queue's head is decided, and commits what is. Bounded, so
    // that a stop is seen while every reader is held by a slow file.
    void WaitForHead(std::unique_lock<std::mutex>& hold) {
        walk_waits_ = true;
        decided_.wait_for(hold, std::chrono::milliseconds(50));
        walk_waits_ = false;
        CommitDecided(hold);
    }

    // Hands the decided files at the queue's head to commit_, outside the queue's lock; a
    // reader holds on to its file by address, which a deque keeps while others come and go.
    void CommitDecided(std::unique_lock<std::mutex>& hold) {
        while (!queue_.empty() && queue_.front().state >= ContentTask::kMatch && !Stopped()) {
            ContentTask task = std::move(queue_.front());
            queue_.pop_front();
            first_waiting_--;
            hold.unlock();
            commit_(task);
            hold.lock();
        }
    }

    static unsigned __stdcall Run(void* arg) {
        ((ContentReaders*)arg)->Read();
        return 0;
    }

    void Read() {
        std::vector<char> block(kBlock);
        std::unique_lock<std::mutex> hold(lock_);
        for (;;) {
            idle_++;
            work_.wait(hold, [this] { return closing_ || first_waiting_ < queue_.size(); });
            idle_--;
            if (closing_ || Stopped()) return;
            ContentTask& task = queue_[first_waiting_++];
            task.state = ContentTask::kReading;
            hold.unlock();
            bool match = ContentMatch(task.path.c_str(), text_, block.data(), stop_);
            hold.lock();
            task.state = match ? ContentTask::kMatch : ContentTask::kNoMatch;
            // The walk, waiting for room, is woken once a good share of the queue can go on
            // to the list, not for every file: each wake is a call into the platform too.
            if (walk_waits_ && queue_.front().state >= ContentTask::kMatch) {
                size_t decided = 0;
                while (decided < queue_.size() && queue_[decided].state >= ContentTask::kMatch)
                    decided++;
                if (decided >= kQueue / 4 || decided == queue_.size()) decided_.notify_one();
            }
        }
    }

    std::string_view text_;
    const std::atomic<bool>* stop_;
    Commit commit_;
    std::vector<Handle> threads_;
    std::vector<char> own_block_;
    std::mutex lock_;
    std::condition_variable work_;     // a file was queued, or the readers are to end
    std::condition_variable decided_;  // the file at the queue's head was decided
    std::deque<ContentTask> queue_;
    size_t first_waiting_ = 0;  // the place in queue_ of the oldest file no reader took
    unsigned idle_ = 0;         // readers waiting for a file
    bool walk_waits_ = false;   // the walk waits for the queue's head
    bool closing_ = false;
};

// One search: the query, the result list and one path that every level shares. Each level
// appends "\name" to the path and cuts it again, so no level copies its folder.
struct Search {
    EntryList& list;
    const char* pattern;
    const char* text;
    int both;
    std::string path;
    const SearchControl* control;
    ContentReaders* readers;
    bool Stopped() const { return control && control->stop && control->stop->load(); }
};

// Files whose contents live elsewhere (offline, or fetched when opened) are never opened
// for the content test: reading them would bring every one of them back over the network.
// Devices are never read either.
const DWORD kRemoteContent = FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_DEVICE |
                             0x40000 /* RECALL_ON_OPEN */ | 0x400000 /* RECALL_ON_DATA_ACCESS */;

bool NameMatches(const Search& s, const char* name) {
    return s.pattern && (strstr(name, s.pattern) != nullptr || _stricmp(name, s.pattern) == 0);
}

// Whether the contents decide the file: with both set when the name matched, otherwise when
// no pattern is given. A file whose contents are not tested matches by its name alone, and
// only when either test suffices.
bool TestsContent(const Search& s, bool name_match, DWORD attributes) {
    return s.text && (s.both ? name_match : s.pattern == nullptr) && !(attributes & kRemoteContent);
}

// Appends a result to the list, its folder joining the list's table with its first result.
void AddResult(Search& s, FindRecord& record, const Reach& reach, FolderPlace& folder) {
    std::unique_lock<std::mutex> hold;
    if (s.control && s.control->lock) hold = std::unique_lock<std::mutex>(*s.control->lock);
    if (folder.index < 0) folder.index = (long)s.list.AddFolder(folder.path.c_str());
    record.dwReserved1 = (DWORD)folder.index;
    if (s.list.append(record, reach) && s.control && s.control->found) ++*s.control->found;
}

// Searches the folder held in s.path (of `len` bytes). A folder or a record whose path would
// pass the platform's longest path cannot be reached: it is passed over. Paths are built from
// usable names: a name that lost characters in the code page goes in by its short name, and
// without one it is passed over with a log line.
void Walk(Search& s, size_t len) {
    if (s.control && s.control->entering) s.control->entering(s.path.c_str());
    // This folder with its place in the results' table of folders, made at its first result.
    std::shared_ptr<FolderPlace> folder;
    const size_t units = PathUnits(s.path);
    FindRecord fd;
    WalkFolder(&s.path[0], len, fd, [&s, len, units, &folder](FindRecord& r, const Reach& reach) {
        if (s.Stopped()) return false;
        const char* name = reach.name;
        if (!name) {
            log_line("%s\tFind () %s\\%s skipped: it cannot be reached by its name ...\n",
                     time_stamp(), s.path.c_str(), r.cFileName);
            return true;
        }
        size_t name_len = strlen(name);
        size_t full = len + 1 + name_len;
        // A byte is at most one unit: only a path that might pass the limit is counted.
        bool fits = units + 1 + name_len <= kLongestPathUnits ||
                    units + 1 + PathUnits(name, name_len) <= kLongestPathUnits;
        if (IsRealFolder(r.dwFileAttributes)) {
            s.list.depth++;
            if (s.list.depth < s.list.depth_limit && fits) {
                s.path.resize(len);
                s.path += '\\';
                s.path += name;
                // The walk below has its own record: this one is still being read here.
                Walk(s, full);
                s.path.resize(len);
            }
            s.list.depth--;
            return true;
        }
        if (!fits) return true;
        // The name test sees the name as listed; the list shows it as listed too, while
        // every path is made from the usable name (the short name keeps its own field).
        bool name_match = NameMatches(s, r.cFileName);
        bool content = TestsContent(s, name_match, r.dwFileAttributes);
        if (!content && (s.both || !name_match)) return true;
        // The folder and the name as the list shows them fit the platform's longest path, as
        // every path the program hands on must.
        size_t shown_len = strlen(r.cFileName);
        if (units + 1 + shown_len > kLongestPathUnits &&
            units + 1 + PathUnits(r.cFileName, shown_len) > kLongestPathUnits)
            return true;
        if (!folder) {
            folder = std::make_shared<FolderPlace>();
            folder->path.assign(s.path, 0, len);
        }
        if (!content) {
            AddResult(s, r, reach, *folder);
            return true;
        }
        ContentTask task;
        task.path.reserve(full);
        task.path.assign(s.path, 0, len);
        task.path += '\\';
        task.path.append(name, name_len);
        task.record = r;
        task.reach = reach;
        task.folder = folder;
        s.readers->Add(std::move(task));
        return true;
    }, false);
}

}  // namespace

void SearchFolder(EntryList& list, const char* folder, const char* pattern, const char* text,
                  int both, const SearchControl* control) {
    if (!folder) return;
    if (PathUnits(folder) > kLongestPathUnits) return;
    Search s{list, pattern, text, both, folder, control, nullptr};
    // The folder is joined to names with a backslash of its own.
    while (!s.path.empty() && s.path.back() == '\\')
        s.path.pop_back();
    size_t len = s.path.size();
    std::unique_ptr<ContentReaders> readers;
    if (text) {
        readers = std::make_unique<ContentReaders>(
            text, control ? control->stop : nullptr, [&s](ContentTask& task) {
                if (task.state == ContentTask::kMatch)
                    AddResult(s, task.record, task.reach, *task.folder);
            });
        readers->Start(control ? control->readers : kContentReaders);
        s.readers = readers.get();
    }
    Walk(s, len);
    if (readers) readers->Finish();
}

bool FileContains(const char* path, const char* text) {
    if (!path || !text) return false;
    std::vector<char> block(kBlock);
    return ContentMatch(path, text, block.data());
}

int WriteFindFile(const char* path, const ViewSlot* view) {
    FILE* out = CreateOutputFile(path);
    if (!out) return 1;
    setvbuf(out, nullptr, _IOFBF, kBlock);
    unsigned n = ViewCount(view);
    for (unsigned i = 0; i < n; i++) {
        if (!view[i].entry) continue;
        std::string whole = ShownName(*view[i].entry);
        if (whole.empty()) continue;
        const char* shown = whole.c_str();
        // The file holds one result per line: a name with a line break in it (which some file
        // systems allow) would read as two results, so it is left out.
        if (strpbrk(shown, "\r\n")) {
            log_line("%s\tFind () a result left out of find.txt: its name holds a line break "
                     "...\n",
                     time_stamp());
            continue;
        }
        fputs(Utf8Text(shown).c_str(), out);
        fputc('\n', out);
    }
    fclose(out);
    return 0;
}

// One search on a thread of its own. The window's thread makes it (the folder, the query and
// a generation) and takes its results once it has ended or been stopped; the thread writes
// only its own list and progress.
struct FindJob {
    std::string folder;
    FindQuery query;
    unsigned generation = 0;
    HWND window = nullptr;
    std::atomic<bool> stop{false};
    EntryList found;     // written by the thread under `found_lock`
    std::mutex found_lock;
    size_t taken = 0;    // results and folders already in the list (the window's thread's)
    unsigned folders_taken = 0;
    std::atomic<long long> count{0};
    std::mutex where_lock;
    std::string where;
};

namespace {

// The running job is the panel's. Its thread holds a share of it too: a thread given up (see
// kStopBound) goes on with a job the window no longer knows, and lets it go when it ends.
const char* const kStopTip = "Stop the search";

// How long a stop waits for the search's thread. The search asks for its stop between any
// two records and blocks, so it ends within milliseconds; one that does not is held by a read
// that never ends (a drive that stopped answering), and it is given up: its results so far
// are kept or dropped, its late message changes nothing, and the window goes on.
const DWORD kStopBound = 250;

unsigned __stdcall FindThread(void* arg) {
    std::unique_ptr<std::shared_ptr<FindJob>> share((std::shared_ptr<FindJob>*)arg);
    FindJob* job = share->get();
    SearchControl control;
    control.stop = &job->stop;
    control.found = &job->count;
    control.lock = &job->found_lock;
    control.entering = [job](const char* folder) {
        std::lock_guard<std::mutex> hold(job->where_lock);
        job->where = folder;
    };
    const FindQuery& q = job->query;
    const char* pattern = q.pattern.c_str();
    const char* text = q.text.c_str();
    const char* folder = job->folder.c_str();
    if (!q.pattern.empty() && !q.text.empty())
        SearchFolder(job->found, folder, pattern, text, 1, &control);
    else if (!q.text.empty())
        SearchFolder(job->found, folder, nullptr, text, 0, &control);
    else
        SearchFolder(job->found, folder, pattern, nullptr, 0, &control);
    PostMessageA(job->window, WM_APP_FIND_DONE, job->generation, 0);
    return 0;
}

// Ends the running job's thread (asked to stop when `stop`), waiting for it at most
// kStopBound, and hands the job over.
std::shared_ptr<FindJob> EndJob(bool stop) {
    if (!panel.find) return nullptr;
    if (stop) panel.find->stop = true;
    if (panel.find_thread) {
        if (WaitForSingleObject(panel.find_thread.get(), stop ? kStopBound : INFINITE) !=
            WAIT_OBJECT_0) {
            panel.find->stop = true;
            log_line("%s\tFind (%s) given up: the search does not answer ...\n", time_stamp(),
                     panel.find->folder.c_str());
        }
        panel.find_thread.reset();
    }
    mtip.Update(mbtn.hwnd, kFindTip);
    return std::move(panel.find);
}

// find.txt in the temporary folder, with the rows of the list in its order.
void WriteFindTxt() {
    if (!panel.entries.empty() && ViewCount(panel.view) > 0) {
        std::string path = TempFilePath("find.txt");
        if (!path.empty()) WriteFindFile(path.c_str(), panel.view);
    }
}

// Copies the results the job found since the last call into the list's entries, with their
// folders: the list, emptied when the search began, holds the job's folder table in the
// same order, so every result's folder place stays right. True when there were any.
bool TakeFound(FindJob& job) {
    std::lock_guard<std::mutex> hold(job.found_lock);
    for (; job.folders_taken < job.found.FolderCount(); job.folders_taken++)
        panel.entries.AddFolder(job.found.Folder(job.folders_taken));
    size_t before = job.taken;
    for (; job.taken < job.found.size(); job.taken++)
        panel.entries.append(*job.found[job.taken]);
    return job.taken > before;
}

// Shows the results found so far while the search runs, in the list's order.
void ShowBatch(FindJob& job) {
    if (!TakeFound(job)) return;
    SetMode(kShowFound);
    Sort();
}

// Shows what a job found, as a search that ran on the window's thread always has.
void ShowResults(std::shared_ptr<FindJob> job, bool stopped) {
    // The list has held the job's results since it began; the last ones join them.
    TakeFound(*job);
    if (!panel.entries.empty()) {
        SetMode(kShowFound);
        SetOrder(0, mcfg.sort_dir);
        ClearCounts();
        Sort();
    } else {
        // The list is empty now: so are the view and the counts that the status line
        // shows, and the layout follows the modes switched off when the search began.
        ReleaseView();
        ClearCounts();
        AskLayout();
    }
    AskPaint();
    const FindQuery& q = job->query;
    if (stopped)
        log_line("%s\tFind (%s,%s,%s) stopped: %u found ...\n", time_stamp(), job->folder.c_str(),
                 q.pattern.c_str(), q.text.c_str(), (unsigned)panel.entries.size());
    log_line("%s\tFind (%s,%s,%s) OK ...\n", time_stamp(), job->folder.c_str(), q.pattern.c_str(),
             q.text.c_str());
    WriteFindTxt();
}

// A job still running when the program ends is stopped and waited for a moment; a thread
// that does not answer keeps its own share of the job, which outlives the program's objects.
void StopFindAtExit() {
    if (panel.find) {
        panel.find->stop = true;
        if (panel.find_thread) WaitForSingleObject(panel.find_thread.get(), kStopBound);
    }
}

// The boxes once a search is asked for: the path box shows the folder searched again (text
// typed there and not entered is no folder of the program's), and the query joins the search
// box's history.
void ShowQuery(const char* folder, const char* input) {
    mcbx.SetText(folder);
    if (input[0] && AddHistory(input)) mcby.AddString(input);
}

// Any change of what the list shows gives the running search up.
void GiveUpFind() { StopFind(false); }

}  // namespace

bool FindRunning() { return panel.find != nullptr; }

void FindShowSoFar() {
    if (panel.find) ShowBatch(*panel.find);
}

void StopFind(bool show) {
    if (!panel.find) return;
    std::shared_ptr<FindJob> job = EndJob(true);
    if (show) {
        ShowResults(std::move(job), true);
    } else {
        log_line("%s\tFind (%s) given up ...\n", time_stamp(), job->folder.c_str());
        AskPaint();
    }
}

void FindFinished(unsigned generation) {
    // A job given up, or stopped and shown, has left; its late message changes nothing.
    if (!panel.find || panel.find->generation != generation) return;
    ShowResults(EndJob(false), false);
}

std::string FindProgress(long long* found) {
    if (found) *found = panel.find ? panel.find->count.load() : 0;
    if (!panel.find) return "";
    std::lock_guard<std::mutex> hold(panel.find->where_lock);
    return panel.find->where;
}

void Find() {
    static bool stop_at_exit = atexit(StopFindAtExit) == 0;
    (void)stop_at_exit;
    // The find button stops the search it started, showing what it found so far.
    if (panel.find) {
        StopFind(true);
        return;
    }
    SetMode(kStartFind);

    // The search runs below the folder that was read; text typed into the path box and
    // not entered is no folder of the program's, and the box shows the folder again.
    std::string whole = panel.folder;
    const char* folder = whole.c_str();
    char input[MAX_PATH];
    mcby.GetTextInto(input, sizeof input);
    FindQuery q = SplitQuery(input);
    if (!folder[0]) {
        ShowQuery(folder, input);
        log_line("%s\tFind (%s,%s,%s) OK ...\n", time_stamp(), folder, q.pattern.c_str(),
                 q.text.c_str());
        WriteFindTxt();
        return;
    }
    // Stopping the scan first: its last step may still hand rows to the list.
    ReleaseEntries();
    SetOrder(0, mcfg.sort_dir);
    SetListJobStop(GiveUpFind);

    auto job = std::make_shared<FindJob>();
    job->folder = folder;
    job->query = q;
    job->generation = panel.NextGeneration();
    job->window = mwin.hwnd;
    panel.find = job;
    auto* share = new std::shared_ptr<FindJob>(job);
    uintptr_t thread = _beginthreadex(nullptr, 0, FindThread, share, 0, nullptr);
    // The window's side of the start runs while the search walks: emptying the list lays out
    // its scroll bars, a round trip to the window system that takes as long as listing a few
    // thousand entries. The list has no view meanwhile, so it shows no row of the entries
    // released. The search's results reach the list only through its message, after this.
    mlvw.DeleteAll();
    ShowQuery(folder, input);
    if (thread) {
        panel.find_thread.reset((HANDLE)thread);
        mtip.Update(mbtn.hwnd, kStopTip);
    } else {
        // No thread to be had: the search runs here, and its message shows the results.
        FindThread(share);
    }
    AskPaint();
}
