// The physical limit of a crawl or strip: only the system calls any such walk must make, with no
// text built. minimal_walk [--relative|--relative-proc] [--threads N] all|one NAME|sizes|strip
// NAME FOLDER; strip asks for the size of the value (for the report) and removes it.
// By default every attribute call gets the item's full path; with --relative it names the item by
// its folder's descriptor and its own name without following links (listxattrat/getxattrat where
// the kernel has them, otherwise the l* calls on /proc/self/fd/N/NAME), as palvorn's walks do;
// --relative-proc always takes the /proc way. With --threads N above 1, N threads share one stack
// of folders waiting to be read; without it, or with --threads 1, the walk is the one-thread walk
// the earlier figures were measured with.
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>
#include <vector>

#ifndef SYS_getxattrat
#define SYS_getxattrat 464
#endif
#ifndef SYS_listxattrat
#define SYS_listxattrat 465
#endif
#ifndef SYS_removexattrat
#define SYS_removexattrat 466
#endif

namespace {

enum class Mode { All, One, Sizes, Strip };
enum class Calls { FullPath, At, Proc };
Mode mode;
Calls calls = Calls::FullPath;
std::string wanted;
std::set<std::string> seen;
long long items = 0, total = 0;

struct XattrArgs {
    alignas(8) uint64_t value;
    uint32_t size;
    uint32_t flags;
};

// The item as each kind of call names it.
struct Item {
    const std::string& path;
    int folder;
    const char* name;
    char proc[320];
};

ssize_t listOf(Item& item, char* buffer, size_t size) {
    switch (calls) {
    case Calls::At:
        return syscall(SYS_listxattrat, item.folder, item.name, AT_SYMLINK_NOFOLLOW, buffer, size);
    case Calls::Proc:
        return llistxattr(item.proc, buffer, size);
    default:
        return listxattr(item.path.c_str(), buffer, size);
    }
}

ssize_t getOf(Item& item, const char* name, void* buffer, size_t size) {
    switch (calls) {
    case Calls::At: {
        XattrArgs args{reinterpret_cast<uintptr_t>(buffer), uint32_t(size), 0};
        return syscall(SYS_getxattrat, item.folder, item.name, AT_SYMLINK_NOFOLLOW, name, &args,
                       sizeof args);
    }
    case Calls::Proc:
        return lgetxattr(item.proc, name, buffer, size);
    default:
        return getxattr(item.path.c_str(), name, buffer, size);
    }
}

int removeOf(Item& item, const char* name) {
    switch (calls) {
    case Calls::At:
        return int(syscall(SYS_removexattrat, item.folder, item.name, AT_SYMLINK_NOFOLLOW, name));
    case Calls::Proc:
        return lremovexattr(item.proc, name);
    default:
        return removexattr(item.path.c_str(), name);
    }
}

// Whether the name is one whose value the mode reads (or removes).
bool wantedName(const char* name) {
    return (mode == Mode::One || mode == Mode::Strip) && wanted == name;
}

// The value of a name the mode wants: read, or for a strip removed.
void take(Item& item, const char* name, ssize_t length, std::vector<char>& value) {
    if (mode == Mode::Strip) {
        removeOf(item, name);
        return;
    }
    value.resize(static_cast<size_t>(length) + 1);
    getOf(item, name, value.data(), static_cast<size_t>(length));
}

void visit(Item& item) {
    ++items;
    if (calls == Calls::Proc)
        snprintf(item.proc, sizeof item.proc, "/proc/self/fd/%d/%s", item.folder, item.name);
    const ssize_t size = listOf(item, nullptr, 0);
    if (size <= 0)
        return;
    std::vector<char> names(static_cast<size_t>(size));
    const ssize_t got = listOf(item, names.data(), names.size());
    for (ssize_t at = 0; at < got; at += static_cast<ssize_t>(strlen(names.data() + at)) + 1) {
        const char* name = names.data() + at;
        const bool read = mode == Mode::All ? seen.insert(name).second : wantedName(name);
        const ssize_t length = (read || mode == Mode::Sizes) ? getOf(item, name, nullptr, 0) : -1;
        if (read && length >= 0) {
            std::vector<char> value;
            take(item, name, length, value);
        }
        if (length > 0)
            total += length;
    }
}

// Every entry of dir but ".", ".." and links, with path (the folder's) extended by its name.
template <typename OnEntry> void readEntries(DIR* dir, std::string& path, OnEntry onEntry) {
    const size_t base = path.size();
    while (const dirent* entry = readdir(dir)) {
        if (!strcmp(entry->d_name, ".") || !strcmp(entry->d_name, ".."))
            continue;
        path.resize(base);
        path.append("/").append(entry->d_name);
        if (entry->d_type != DT_LNK)
            onEntry(*entry);
    }
}

void walk(int parent, const char* name, std::string& path) {
    const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
    if (!dir)
        return;
    readEntries(dir, path, [&](const dirent& entry) {
        Item item{path, dirfd(dir), entry.d_name, {}};
        visit(item);
        if (entry.d_type == DT_DIR)
            walk(dirfd(dir), entry.d_name, path);
    });
    closedir(dir);
}

// The threaded walk. Kept apart from the one-thread walk above, which stays as it was measured;
// only the reading of a folder's entries is shared.

// An open folder, closed when it is done and none of its subfolders waits for it any more.
class OpenFolder {
public:
    explicit OpenFolder(DIR* dir) : dir_(dir) {}
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;
    ~OpenFolder() { closedir(dir_); }
    int fd() const { return dirfd(dir_); }

private:
    DIR* dir_;
};

// A folder to read: named by its parent's descriptor and its own name, as the one-thread walk
// opens it. Subfolders share their parent's descriptor instead of holding one each, so a wide
// tree holds one descriptor per folder being read or with subfolders still waiting (about the
// depth times the threads, since the stack is taken from the top), not one per waiting folder.
struct Waiting {
    std::shared_ptr<OpenFolder> parent; // none for the walk's root: the name is its path
    std::string name;
    std::string path; // for the full-path calls
};

// The folders waiting, shared by the threads. The walk is done when none waits and no thread is
// reading one, since only a thread reading a folder can add more.
class FolderStack {
public:
    void push(Waiting folder) {
        {
            const std::lock_guard lock(mutex_);
            waiting_.push_back(std::move(folder));
        }
        changed_.notify_one();
    }

    // The next folder, marking its thread busy until finished(); none when the walk is done.
    std::optional<Waiting> pop() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !waiting_.empty() || busy_ == 0; });
        if (waiting_.empty())
            return std::nullopt;
        ++busy_;
        Waiting folder = std::move(waiting_.back());
        waiting_.pop_back();
        return folder;
    }

    void finished() {
        const std::lock_guard lock(mutex_);
        if (--busy_ == 0 && waiting_.empty())
            changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    // Bound: one entry per folder found and not yet read, at most the folders of the tree.
    std::vector<Waiting> waiting_;
    int busy_ = 0;
};

// The names whose first value has been read, by any thread. Each thread also remembers the names
// it has already met, so that only a name new to it takes the shared lock.
class SharedSeen {
public:
    // Whether this is the name's first sight in the whole walk.
    bool firstSight(const char* name) {
        const std::lock_guard lock(mutex_);
        return names_.insert(name).second;
    }

private:
    std::mutex mutex_;
    std::set<std::string> names_; // bound: one entry per distinct attribute name in the tree
};

// Aligned to a cache line so that one thread's counters never share a line with the next's.
class alignas(64) Worker {
public:
    Worker(FolderStack& stack, SharedSeen& shared) : stack_(stack), shared_(shared) {}

    void run() {
        while (std::optional<Waiting> folder = stack_.pop()) {
            read(*folder);
            stack_.finished();
        }
    }

    long long items = 0, total = 0;

private:
    bool firstSight(const char* name) {
        if (known_.find(std::string_view(name)) != known_.end())
            return false;
        known_.emplace(name);
        return shared_.firstSight(name);
    }

    void visit(Item& item) {
        ++items;
        if (calls == Calls::Proc)
            snprintf(item.proc, sizeof item.proc, "/proc/self/fd/%d/%s", item.folder, item.name);
        const ssize_t size = listOf(item, nullptr, 0);
        if (size <= 0)
            return;
        names_.resize(static_cast<size_t>(size));
        const ssize_t got = listOf(item, names_.data(), names_.size());
        for (ssize_t at = 0; at < got; at += static_cast<ssize_t>(strlen(names_.data() + at)) + 1) {
            const char* name = names_.data() + at;
            const bool read = mode == Mode::All ? firstSight(name) : wantedName(name);
            const ssize_t length =
                (read || mode == Mode::Sizes) ? getOf(item, name, nullptr, 0) : -1;
            if (read && length >= 0)
                take(item, name, length, value_);
            if (length > 0)
                total += length;
        }
    }

    void read(Waiting& waiting) {
        const int parent = waiting.parent ? waiting.parent->fd() : AT_FDCWD;
        const int fd =
            openat(parent, waiting.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        waiting.parent.reset(); // the parent's descriptor is no longer needed by this folder
        DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
        if (!dir) {
            if (fd >= 0)
                close(fd);
            return;
        }
        const auto folder = std::make_shared<OpenFolder>(dir);
        path_ = std::move(waiting.path);
        readEntries(dir, path_, [&](const dirent& entry) {
            Item item{path_, folder->fd(), entry.d_name, {}};
            visit(item);
            if (entry.d_type == DT_DIR)
                stack_.push({folder, entry.d_name, path_});
        });
    }

    FolderStack& stack_;
    SharedSeen& shared_;
    std::set<std::string, std::less<>> known_; // bound: the distinct attribute names in the tree
    // Reused from item to item; bound: the largest name list of an item, 64 KiB on Linux, and
    // the largest value, as much.
    std::vector<char> names_;
    std::vector<char> value_;
    std::string path_;
};

void walkThreaded(const std::string& root, int threads) {
    FolderStack stack;
    SharedSeen shared;
    std::vector<Worker> workers(static_cast<size_t>(threads), Worker(stack, shared));
    stack.push({nullptr, root, root});
    {
        std::vector<std::jthread> running;
        for (Worker& worker : workers)
            running.emplace_back([&worker] { worker.run(); });
    }
    for (const Worker& worker : workers) {
        items += worker.items;
        total += worker.total;
    }
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 && (!strcmp(argv[1], "--relative") || !strcmp(argv[1], "--relative-proc"))) {
        const long probe = syscall(SYS_listxattrat, AT_FDCWD, "/", AT_SYMLINK_NOFOLLOW, nullptr, 0);
        calls = probe >= 0 && !strcmp(argv[1], "--relative") ? Calls::At : Calls::Proc;
        ++argv;
        --argc;
    }
    int threads = 1;
    if (argc > 2 && !strcmp(argv[1], "--threads")) {
        char* end = nullptr;
        const long count = strtol(argv[2], &end, 10);
        if (*argv[2] == '\0' || *end != '\0' || count < 1 || count > 1024) {
            fprintf(stderr, "minimal_walk: --threads takes a count from 1 to 1024, not '%s'\n",
                    argv[2]);
            return 2;
        }
        threads = static_cast<int>(count);
        argv += 2;
        argc -= 2;
    }
    if (argc < 3)
        return 2;
    mode = !strcmp(argv[1], "all")     ? Mode::All
           : !strcmp(argv[1], "sizes") ? Mode::Sizes
           : !strcmp(argv[1], "strip") ? Mode::Strip
                                       : Mode::One;
    if (mode == Mode::One || mode == Mode::Strip)
        wanted = argv[2];
    std::string path = argv[argc - 1];
    if (threads == 1)
        walk(AT_FDCWD, path.c_str(), path);
    else
        walkThreaded(path, threads);
    printf("%lld items, %lld bytes, calls: %s\n", items, total,
           calls == Calls::At     ? "listxattrat/getxattrat"
           : calls == Calls::Proc ? "l*xattr on /proc/self/fd"
                                  : "full paths");
}
