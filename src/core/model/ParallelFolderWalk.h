#pragma once

#include "core/model/Error.h"
#include "core/model/FolderStream.h"
#include "core/model/FolderWalk.h"
#include "core/model/OpenFolders.h"
#include "core/model/WalkProgress.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <QSet>
#include <queue>

namespace palvorn {

// The deep walk below a folder, on any number of threads, with the same result for every number.
// Walk order: depth first, a folder's contents right after the folder itself, each folder's
// entries in the order the system lists them, hidden items and package contents included. The
// folder itself is not visited. Symbolic links are visited as items but never followed. Items are
// handed over as their open folder's descriptor and their own name, so that no call depends on a
// full path: the tree may change during the walk and items may lie at any depth.
//
// Each item is taken in two steps: probe makes its system calls on any thread, in no particular
// order; merge receives what probe left, on the calling thread and in walk order, so that
// everything a report says (order, first carriers, totals, error lines) is the same for any number
// of threads. A Walk provides:
//
//   struct Outcome { qsizetype bytes() const; };  // what probe leaves for merge
//   struct Scratch;  // one thread's state for probe; startPart(), if it has one, is called
//                    // before each run of items that merge takes in walk order
//   void probe(const FolderWalk::Item&, Scratch&, Outcome&) const;  // safe on several threads
//   void merge(const FolderWalk::Item&, Outcome&);  // item.folderFd is -1
//
// and, where it acts on a part's items together before they are merged, `bool settle(Part&)`:
// called on the merging thread when merge reaches the part, with the part's folder open again on
// request (Part::folderFd); false ends the walk there. Where it needs the folder itself before
// the walk begins, `Result<> begin(int folderFd)`: on an error the walk does not begin.
//
// Folders are read in parts of at most chunkItems entries. The threads share one queue of parts,
// earliest in walk order first, which keeps them near the part that merge waits for; with one
// thread, the calling thread reads each part when merge reaches it.
//
// Bounds. Descriptors: OpenFolders::capacityFor(threads) at any depth, as a folder is closed
// between its parts whenever its descriptor is wanted for another and opened again from its
// parent. Memory: the parts read but not merged hold at most aheadBytes (their entries, outcomes
// and the folders found in them, which wait in the queue without buffers) plus one part per
// thread, and are at most aheadChunks; besides, one part per folder level merge is in, and at most
// recycledParts merged parts of at most recycledBytes each, kept for their buffers.
class ParallelFolderWalk {
public:
    static constexpr std::size_t chunkItems = 256;
    static constexpr qsizetype chunkBytes = 256 * 1024;
    static constexpr qsizetype aheadBytes = 16 * 1024 * 1024;
    static constexpr qsizetype aheadChunks = 1024;

    // Options::threads, or one per core when that is 0; no more than the open-file limit allows.
    static int threadCount(const FolderWalk::Options& options);

    // An error whose text is "PATH: REASON" when the folder itself cannot be walked (missing, not
    // a folder, no permission), or begin's. Returns once every thread it started has ended, also
    // when stopped.
    template <typename Walk>
    static Result<> walk(Walk& walk, const QString& folder, const FolderWalk::ErrorSink& onError,
                         const FolderWalk::Options& options);

    template <typename Walk> class Part;

private:
    template <typename Walk> class Run;
};

template <typename Walk> class ParallelFolderWalk::Run {
    using Outcome = typename Walk::Outcome;
    static constexpr bool settles = requires(Walk & walk, Part<Walk>& part) { walk.settle(part); };

    // A run of up to chunkItems entries of one folder, read by one thread.
    struct Chunk {
        enum class State { Queued, Running, Done, Skipped };
        struct Entry {
            qsizetype nameAt; // in names
            bool isSymbolicLink;
            std::unique_ptr<Chunk> child; // a folder's first part, merged right after the entry
        };

        std::vector<std::uint32_t> key; // walk order: a part's key precedes every later one's
        // The folder's first part enters it from its parent; later ones reach it again and go on
        // from where the part before stopped.
        std::shared_ptr<WalkedFolder> folder;
        bool enters = false;
        bool resumes = false; // a later part, which goes on at position
        FolderStream::Position position = 0;

        // Set under the lock; the merge may look without it.
        std::atomic<State> state = State::Queued;
        OpenFolders::Failure failure; // the folder, or one above it, could not be opened
        bool reached = false;         // the failure is that of a folder entered before
        int readError = 0;
        std::string names; // the entries' names, each followed by a NUL
        // The first count entries and outcomes are this part's; a recycled part keeps the rest,
        // and their buffers, for the next folder.
        std::vector<Entry> entries;
        std::vector<Outcome> outcomes;
        std::size_t count = 0;
        std::unique_ptr<Chunk> next; // the folder's next part, merged after this one
        qsizetype bytes = 0;

        bool finished() const {
            const State now = state.load(std::memory_order_acquire);
            return now == State::Done || now == State::Skipped;
        }

        void reset() {
            key.clear();
            folder.reset();
            enters = false;
            resumes = false;
            position = 0;
            state = State::Queued;
            failure.path.resize(0);
            failure.reason.clear();
            reached = false;
            readError = 0;
            names.clear();
            count = 0;
            bytes = 0;
        }
    };

    // What each thread that reads parts keeps: its probe state, its folder reader, a buffer for
    // item paths, merged parts whose buffers it fills again, and empty parts for the folders it
    // finds. Parts are recycled rather than freed so that no thread frees what another allocated:
    // that would make them wait on each other's allocator. A part waiting to be read holds no
    // buffers: it borrows a merged part's when it is read.
    struct Reader {
        typename Walk::Scratch scratch{};
        FolderStream stream;
        QByteArray path;
        std::vector<std::unique_ptr<Chunk>> spare;
        std::vector<std::unique_ptr<Chunk>> shells;
    };
    // What an entry costs a part besides its name and what probe leaves; what a folder found costs
    // until it is read, besides its path.
    static constexpr qsizetype entryBytes = sizeof(typename Chunk::Entry) + sizeof(Outcome);
    static constexpr qsizetype foundBytes = sizeof(Chunk) + sizeof(WalkedFolder);
    // A part that held more than this is freed rather than kept for another folder, and no more
    // than so many merged parts are kept.
    static constexpr qsizetype recycledBytes = 64 * 1024;
    static constexpr std::size_t recycledParts = 64;
    static constexpr std::size_t keptShells = 4096;
    // How often the merge looks whether a part being read is done before it sleeps. A few looks
    // only: with as many threads as cores, a longer wait awake takes the core from the threads
    // reading (200 looks made two threads on two cores no faster than one).
    static constexpr int awakeRounds = 16;

    // Where the merge is in one folder; a folder's parts are merged one after the other.
    struct Place {
        std::unique_ptr<Chunk> chunk;
        std::size_t index;
    };

    struct LaterFirst {
        bool operator()(const Chunk* a, const Chunk* b) const { return a->key > b->key; }
    };

    friend class Part<Walk>;

public:
    Run(Walk& walk, const FolderWalk::ErrorSink& onError, const FolderWalk::Options& options,
        int threads)
        : m_walk(walk), m_onError(onError), m_options(options), m_threads(threads),
          m_folders(OpenFolders::capacityFor(threads)) {}

    void walk(int start, const QByteArray& path) {
        struct stat status = {};
        ::fstat(start, &status);
        m_device = status.st_dev;
        m_root = std::make_unique<Chunk>();
        m_root->key = {0};
        m_root->folder = m_folders.addStart(start, path);
        if (m_options.progress)
            m_options.progress->enterFolder(path);
        // One thread reads each part as the merge gets to it; more share the queue.
        if (m_threads > 1) {
            m_queue.push(m_root.get());
            m_queued.store(1, std::memory_order_relaxed);
        }
        std::vector<std::thread> workers;
        workers.reserve(std::size_t(m_threads));
        // The calling thread merges, and reads parts while the merge waits.
        for (int i = 1; i < m_threads; ++i)
            workers.emplace_back([this] { work(); });
        std::exception_ptr mergeFailure;
        try {
            mergeAll();
        } catch (...) {
            mergeFailure = std::current_exception();
        }
        {
            const std::lock_guard lock(m_mutex);
            m_ending = true;
            m_workToDo.notify_all();
        }
        for (std::thread& worker : workers)
            worker.join();
        if (mergeFailure)
            std::rethrow_exception(mergeFailure);
        if (m_workFailure)
            std::rethrow_exception(m_workFailure);
    }

private:
    // A worker: takes the earliest part while the merge is not too far behind (or the part is
    // the one it waits for), and ends when no part is queued or being read.
    void work() {
        Reader reader;
        std::unique_lock lock(m_mutex);
        for (;;) {
            const bool heldBack = !m_queue.empty() && !mayTake();
            ++m_idle;
            m_heldBack += heldBack;
            m_workToDo.wait(lock, [this] { return m_queue.empty() ? m_running == 0 : mayTake(); });
            --m_idle;
            m_heldBack -= heldBack;
            if (m_queue.empty())
                break;
            readNext(lock, reader);
        }
        // The last one out wakes the others and the merge: nothing more will come.
        m_workToDo.notify_all();
        m_mergeReady.notify_one();
    }

    bool ending() const {
        return m_ending.load(std::memory_order_relaxed) || FolderWalk::stopped(m_options);
    }

    bool mayTake() const {
        return ending() ||
               (m_aheadBytes.load(std::memory_order_relaxed) < aheadBytes &&
                m_aheadChunks.load(std::memory_order_relaxed) < aheadChunks) ||
               m_queue.top() == m_awaited;
    }

    // Takes the earliest queued part and reads it without the lock; its folders and its next
    // part join the queue.
    void readNext(std::unique_lock<std::mutex>& lock, Reader& reader) {
        Chunk* chunk = m_queue.top();
        m_queue.pop();
        m_queued.store(m_queue.size(), std::memory_order_relaxed);
        if (reader.spare.empty())
            reader.spare.swap(m_recycled);
        if (ending()) {
            forget(*chunk);
            finish(*chunk, Chunk::State::Skipped);
            wakeWorkersIfAllDone();
            return;
        }
        chunk->state.store(Chunk::State::Running, std::memory_order_relaxed);
        ++m_running;
        lock.unlock();
        try {
            read(*chunk, reader);
        } catch (...) {
            const std::lock_guard failed(m_mutex);
            if (!m_workFailure)
                m_workFailure = std::current_exception();
            m_ending = true;
        }
        lock.lock();
        --m_running;
        std::size_t queued = 0;
        for (std::size_t i = 0; i < chunk->count; ++i)
            if (chunk->entries[i].child) {
                m_queue.push(chunk->entries[i].child.get());
                ++queued;
            }
        if (chunk->next) {
            m_queue.push(chunk->next.get());
            ++queued;
        }
        m_queued.store(m_queue.size(), std::memory_order_relaxed);
        m_aheadBytes.fetch_add(chunk->bytes, std::memory_order_relaxed);
        m_aheadChunks.fetch_add(1, std::memory_order_relaxed);
        finish(*chunk, Chunk::State::Done);
        if (queued > 0 && m_idle > 0)
            m_workToDo.notify_all();
        wakeWorkersIfAllDone();
    }

    // Nothing queued and nothing being read: nothing more will come, the workers may end.
    void wakeWorkersIfAllDone() {
        if (m_queue.empty() && m_running == 0 && m_idle > 0)
            m_workToDo.notify_all();
    }

    void finish(Chunk& chunk, typename Chunk::State state) {
        chunk.state.store(state, std::memory_order_release);
        if (&chunk == m_awaited)
            m_mergeReady.notify_one();
    }

    // A part that will not be read no longer waits for its folder.
    static void forget(Chunk& chunk) {
        if (chunk.enters)
            chunk.folder->parent->waiting.fetch_sub(1, std::memory_order_relaxed);
        else if (chunk.resumes)
            chunk.folder->waiting.fetch_sub(1, std::memory_order_relaxed);
    }

    // One part: enters the folder if it is the first, or reaches it again, then reads and probes
    // its next entries.
    void read(Chunk& chunk, Reader& reader) {
        const OpenFolders::Lease lease = open(chunk, reader.stream);
        if (!lease)
            return;
        borrowBuffers(chunk, reader);
        typename Walk::Scratch& scratch = reader.scratch;
        if constexpr (requires { scratch.startPart(); })
            scratch.startPart();
        FolderStream& stream = reader.stream;
        const int fd = lease.fd();
        const QByteArray& folderPath = chunk.folder->path;
        qint64 items = 0;
        while (!FolderWalk::stopped(m_options)) {
            const std::optional<FolderStream::Entry> entry = stream.next();
            if (!entry) {
                chunk.readError = stream.readError();
                break;
            }
            if (chunk.count == chunk.entries.size()) {
                chunk.entries.emplace_back();
                chunk.outcomes.emplace_back();
            }
            typename Chunk::Entry& slot = chunk.entries[chunk.count];
            slot.nameAt = qsizetype(chunk.names.size());
            slot.isSymbolicLink = entry->isSymbolicLink;
            // With its NUL, so that the merge hands it to the system as it is.
            const qsizetype nameSize = qsizetype(std::strlen(entry->name)) + 1;
            chunk.names.append(entry->name, std::size_t(nameSize));
            // A recycled outcome: probe sets every field it uses.
            Outcome& outcome = chunk.outcomes[chunk.count];
            ++chunk.count;
            m_walk.probe({folderPath, fd, entry->name, entry->isSymbolicLink, reader.path}, scratch,
                         outcome);
            chunk.bytes += outcome.bytes() + nameSize + entryBytes;
            items += !entry->isSymbolicLink;
            slot.child = entry->isFolder ? firstPartOf(chunk, entry->name, reader) : nullptr;
            if (slot.child)
                chunk.bytes += foundBytes + slot.child->folder->path.size();
            if (chunk.count >= chunkItems || chunk.bytes >= chunkBytes) {
                chunk.next = nextPartOf(chunk, stream.position(), reader);
                break;
            }
        }
        // Counted per part: a counter shared by the threads is no place for every item.
        if (m_options.progress)
            m_options.progress->countItems(items);
        // The merge settles the part with its folder open again.
        if (settles && chunk.count > 0)
            chunk.folder->waiting.fetch_add(1, std::memory_order_relaxed);
    }

    // The part's folder, open: entered from its parent for the first part, reached again for the
    // later ones. An empty lease where it cannot be opened or lies on another file system.
    OpenFolders::Lease open(Chunk& chunk, FolderStream& stream) {
        OpenFolders::Lease lease;
        WalkedFolder& folder = *chunk.folder;
        if (!chunk.enters) { // the start, or a later part
            lease = m_folders.reach(chunk.folder, &chunk.failure);
            chunk.reached = true;
            if (!chunk.resumes) {
                stream.start(lease.fd());
                return lease;
            }
            folder.waiting.fetch_sub(1, std::memory_order_relaxed);
            if (lease)
                stream.resume(lease.fd(), chunk.position);
            return lease;
        }
        const bool entered = m_folders.enter(chunk.folder, &lease, &chunk.failure);
        chunk.reached = chunk.failure.path != folder.path;
        folder.parent->waiting.fetch_sub(1, std::memory_order_relaxed);
        if (!entered)
            return lease;
        if (m_options.oneFileSystem && deviceOf(lease.fd()) != m_device)
            return {};
        if (m_options.progress)
            m_options.progress->enterFolder(folder.path);
        stream.start(lease.fd());
        return lease;
    }

    static dev_t deviceOf(int fd) {
        struct stat status = {};
        ::fstat(fd, &status);
        return status.st_dev;
    }

    static std::unique_ptr<Chunk> newPart(Reader& reader) {
        if (reader.shells.empty())
            return std::make_unique<Chunk>();
        std::unique_ptr<Chunk> part = std::move(reader.shells.back());
        reader.shells.pop_back();
        part->reset();
        return part;
    }

    // A part about to be read takes a merged part's buffers; what is left of that one is a shell
    // for a folder found later.
    static void borrowBuffers(Chunk& chunk, Reader& reader) {
        if (reader.spare.empty())
            return;
        std::unique_ptr<Chunk> donor = std::move(reader.spare.back());
        reader.spare.pop_back();
        std::swap(chunk.entries, donor->entries);
        std::swap(chunk.outcomes, donor->outcomes);
        std::swap(chunk.names, donor->names);
        chunk.names.clear();
        if (reader.shells.size() < keptShells)
            reader.shells.push_back(std::move(donor));
    }

    static std::unique_ptr<Chunk> firstPartOf(const Chunk& chunk, const char* name,
                                              Reader& reader) {
        std::unique_ptr<Chunk> child = newPart(reader);
        child->key.assign(chunk.key.cbegin(), chunk.key.cend());
        child->key.push_back(static_cast<std::uint32_t>(chunk.count - 1));
        child->key.push_back(0);
        auto folder = std::make_shared<WalkedFolder>();
        folder->parent = chunk.folder;
        const QByteArray& above = chunk.folder->path;
        const qsizetype nameSize = qsizetype(std::strlen(name));
        folder->path.reserve(above.size() + 1 + nameSize);
        folder->path.append(above).append('/').append(QByteArrayView(name, nameSize));
        folder->nameAt = above.size() + 1;
        chunk.folder->waiting.fetch_add(1, std::memory_order_relaxed);
        child->folder = std::move(folder);
        child->enters = true;
        return child;
    }

    static std::unique_ptr<Chunk> nextPartOf(const Chunk& chunk, FolderStream::Position position,
                                             Reader& reader) {
        std::unique_ptr<Chunk> next = newPart(reader);
        next->key.assign(chunk.key.cbegin(), chunk.key.cend());
        ++next->key.back();
        next->folder = chunk.folder;
        next->resumes = true;
        next->position = position;
        chunk.folder->waiting.fetch_add(1, std::memory_order_relaxed);
        return next;
    }

    // The merge, in walk order: a part's entries, each folder's parts right after its entry;
    // every part freed once merged. The parts it holds stay until the workers have ended, also
    // when it returns early.
    void mergeAll() {
        std::vector<Place>& places = m_places;
        places.push_back({std::move(m_root), 0});
        QByteArray path;
        while (!places.empty()) {
            Place& place = places.back();
            Chunk& chunk = *place.chunk;
            if (place.index == 0 && !arrive(chunk))
                return;
            if (place.index < chunk.count) {
                typename Chunk::Entry& entry = chunk.entries[place.index];
                const char* name = chunk.names.data() + entry.nameAt;
                m_walk.merge({chunk.folder->path, -1, name, entry.isSymbolicLink, path},
                             chunk.outcomes[place.index]);
                ++place.index;
                if (entry.child)
                    places.push_back({std::move(entry.child), 0});
                continue;
            }
            if (chunk.readError != 0 && m_onError)
                m_onError(chunk.folder->path, Error::describe(chunk.readError));
            std::unique_ptr<Chunk> next = std::move(chunk.next);
            depart(std::move(place.chunk));
            if (next) {
                place.chunk = std::move(next);
                place.index = 0;
            } else {
                places.pop_back();
            }
        }
    }

    // Until the part is read, reads the earliest queued part itself (which is this one when it
    // is queued) rather than wait; reports a folder that could not be opened, and settles the
    // part. False once the walk ends early.
    bool arrive(Chunk& chunk) {
        if (m_threads == 1)
            readAlone(chunk);
        // Mostly the threads are ahead and the part is read: no lock to take. Where it is being
        // read and other parts wait, the merge reads those meanwhile rather than look on: on as
        // many threads as cores, a merge that waits is a core that does nothing.
        if (!chunk.finished() &&
            (m_queued.load(std::memory_order_relaxed) > 0 || !awaitBriefly(chunk))) {
            std::unique_lock lock(m_mutex);
            recycle();
            m_awaited = &chunk;
            bool lookedOn = false;
            while (!chunk.finished()) {
                if (!m_queue.empty() && mayTake()) {
                    readNext(lock, m_mergeReader);
                    lookedOn = false;
                    continue;
                }
                // Nothing to read: the part is likely read within microseconds.
                if (!lookedOn) {
                    lookedOn = true;
                    lock.unlock();
                    const bool read = awaitBriefly(chunk);
                    lock.lock();
                    if (read)
                        break;
                    continue;
                }
                if (m_idle > 0)
                    m_workToDo.notify_all();
                m_mergeReady.wait(lock, [this, &chunk] {
                    return chunk.finished() || (!m_queue.empty() && mayTake());
                });
            }
            m_awaited = nullptr;
        }
        if (m_ending.load(std::memory_order_acquire))
            return false;
        report(chunk.failure, chunk.reached);
        if constexpr (settles) {
            if (chunk.count > 0 &&
                chunk.state.load(std::memory_order_relaxed) == Chunk::State::Done && !settle(chunk))
                return false;
        }
        return true;
    }

    // A part another thread is reading is mostly read within microseconds (a few entries, two
    // calls each): where no other part waits to be read, the merge waits for it awake, giving the
    // core away only for a moment, rather than sleep and be woken, which costs both threads more
    // than the wait. True once it is read.
    static bool awaitBriefly(const Chunk& chunk) {
        for (int round = 0; round < awakeRounds; ++round) {
            if (chunk.finished())
                return true;
            if (chunk.state.load(std::memory_order_relaxed) != Chunk::State::Running)
                return false;
            std::this_thread::yield();
        }
        return chunk.finished();
    }

    // One thread: the part the merge gets to is the one to read, and nothing is queued.
    void readAlone(Chunk& chunk) {
        recycle();
        if (m_mergeReader.spare.empty())
            m_mergeReader.spare.swap(m_recycled);
        if (FolderWalk::stopped(m_options)) {
            forget(chunk);
            chunk.state.store(Chunk::State::Skipped, std::memory_order_relaxed);
            return;
        }
        read(chunk, m_mergeReader);
        m_aheadBytes.fetch_add(chunk.bytes, std::memory_order_relaxed);
        m_aheadChunks.fetch_add(1, std::memory_order_relaxed);
        chunk.state.store(Chunk::State::Done, std::memory_order_relaxed);
    }

    bool settle(Chunk& chunk) {
        Part<Walk> part(*this, chunk);
        const bool goOn = m_walk.settle(part);
        chunk.folder->waiting.fetch_sub(1, std::memory_order_relaxed);
        report(part.m_failure, true);
        if (goOn)
            return true;
        const std::lock_guard lock(m_mutex);
        m_ending = true;
        m_workToDo.notify_all();
        return false;
    }

    // A folder entered before and no longer reachable is reported once, however many of its
    // parts and subfolders needed it.
    void report(const OpenFolders::Failure& failure, bool reached) {
        if (failure.path.isEmpty() && failure.reason.isEmpty())
            return;
        if (reached) {
            if (m_unreachable.contains(failure.path))
                return;
            m_unreachable.insert(failure.path);
        }
        if (m_onError)
            m_onError(failure.path, failure.reason);
    }

    // A merged part is handed back to the threads that read, to be filled again, some at a time
    // so that the merge seldom takes the lock.
    void depart(std::unique_ptr<Chunk> chunk) {
        chunk->folder.reset();
        if (chunk->state.load(std::memory_order_relaxed) == Chunk::State::Done) {
            m_aheadBytes.fetch_sub(chunk->bytes, std::memory_order_relaxed);
            m_aheadChunks.fetch_sub(1, std::memory_order_relaxed);
        }
        if (chunk->bytes <= recycledBytes)
            m_departed.push_back(std::move(chunk));
        if (m_departed.size() >= 32 || m_heldBack.load(std::memory_order_relaxed) > 0) {
            const std::lock_guard lock(m_mutex);
            recycle();
            if (m_heldBack > 0)
                m_workToDo.notify_all();
        }
    }

    // Under the lock.
    void recycle() {
        for (std::unique_ptr<Chunk>& chunk : m_departed)
            if (m_recycled.size() < recycledParts)
                m_recycled.push_back(std::move(chunk));
        m_departed.clear();
    }

    Walk& m_walk;
    const FolderWalk::ErrorSink& m_onError;
    const FolderWalk::Options& m_options;
    const int m_threads;
    OpenFolders m_folders;
    dev_t m_device = 0;

    std::unique_ptr<Chunk> m_root;
    std::vector<Place> m_places;                    // one per folder level the merge is in
    Reader m_mergeReader;                           // for the parts the merging thread reads
    std::vector<std::unique_ptr<Chunk>> m_recycled; // merged parts, for the readers to take
    std::mutex m_mutex;
    std::condition_variable m_workToDo;
    std::condition_variable m_mergeReady;
    int m_idle = 0;                 // workers waiting for a part
    std::atomic_int m_heldBack = 0; // of them, those waiting for the merge to catch up
    std::vector<std::unique_ptr<Chunk>> m_departed; // merged parts not yet handed back
    QSet<QByteArray> m_unreachable; // folders entered before that could not be reached again

    std::priority_queue<Chunk*, std::vector<Chunk*>, LaterFirst> m_queue;
    int m_running = 0;
    std::atomic<std::size_t> m_queued = 0; // m_queue's size, for the merge to look without the lock
    std::atomic<qsizetype> m_aheadBytes = 0;
    std::atomic<qsizetype> m_aheadChunks = 0;
    const Chunk* m_awaited = nullptr;
    std::atomic_bool m_ending = false; // stop reading: a thread failed or settle ended the walk
    std::exception_ptr m_workFailure;
};

// One part of a folder as settle sees it: its items, what probe left for each, and its folder,
// opened again when asked for and kept open until settle returns.
template <typename Walk> class ParallelFolderWalk::Part {
public:
    std::size_t size() const { return m_chunk.count; }
    const char* name(std::size_t i) const {
        return m_chunk.names.data() + m_chunk.entries[i].nameAt;
    }
    typename Walk::Outcome& outcome(std::size_t i) { return m_chunk.outcomes[i]; }
    const QByteArray& folderPath() const { return m_chunk.folder->path; }

    // The folder's descriptor, or -1 when it cannot be reached any more (the walk reports why).
    int folderFd() {
        if (!m_lease && m_failure.reason.isEmpty())
            m_lease = m_run.m_folders.reach(m_chunk.folder, &m_failure);
        return m_lease ? m_lease.fd() : -1;
    }

private:
    template <typename> friend class Run;
    using Chunk = typename Run<Walk>::Chunk;
    Part(Run<Walk>& run, Chunk& chunk) : m_run(run), m_chunk(chunk) {}

    Run<Walk>& m_run;
    Chunk& m_chunk;
    OpenFolders::Lease m_lease;
    OpenFolders::Failure m_failure;
};

template <typename Walk>
Result<> ParallelFolderWalk::walk(Walk& walk, const QString& folder,
                                  const FolderWalk::ErrorSink& onError,
                                  const FolderWalk::Options& options) {
    QByteArray path;
    const Result<int> start = FolderWalk::openStart(folder, &path);
    if (!start)
        return failure(start.error());
    if constexpr (requires { walk.begin(*start); }) {
        if (Result<> begun = walk.begin(*start); !begun) {
            ::close(*start);
            return begun;
        }
    }
    Run<Walk>(walk, onError, options, threadCount(options)).walk(*start, path);
    return {};
}

} // namespace palvorn
