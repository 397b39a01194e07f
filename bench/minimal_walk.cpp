// The physical limit of a crawl: only the system calls any such walk must make, with no text
// built. minimal_walk [--relative|--relative-proc] all|one NAME|sizes FOLDER
// By default every attribute call gets the item's full path; with --relative it names the item by
// its folder's descriptor and its own name without following links (listxattrat/getxattrat where
// the kernel has them, otherwise the l* calls on /proc/self/fd/N/NAME), as palvorn's walks do;
// --relative-proc always takes the /proc way.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

#ifndef SYS_getxattrat
#define SYS_getxattrat 464
#endif
#ifndef SYS_listxattrat
#define SYS_listxattrat 465
#endif

namespace {

enum class Mode { All, One, Sizes };
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
        const bool read = mode == Mode::All ? seen.insert(name).second : mode == Mode::One && wanted == name;
        const ssize_t length = (read || mode == Mode::Sizes) ? getOf(item, name, nullptr, 0) : -1;
        if (read && length >= 0) {
            std::vector<char> value(static_cast<size_t>(length) + 1);
            getOf(item, name, value.data(), static_cast<size_t>(length));
        }
        if (length > 0)
            total += length;
    }
}

void walk(int parent, const char* name, std::string& path) {
    const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
    if (!dir)
        return;
    const size_t base = path.size();
    while (const dirent* entry = readdir(dir)) {
        if (!strcmp(entry->d_name, ".") || !strcmp(entry->d_name, ".."))
            continue;
        path.resize(base);
        path.append("/").append(entry->d_name);
        if (entry->d_type == DT_LNK)
            continue;
        Item item{path, dirfd(dir), entry->d_name, {}};
        visit(item);
        if (entry->d_type == DT_DIR)
            walk(dirfd(dir), entry->d_name, path);
    }
    closedir(dir);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 && (!strcmp(argv[1], "--relative") || !strcmp(argv[1], "--relative-proc"))) {
        const long probe = syscall(SYS_listxattrat, AT_FDCWD, "/", AT_SYMLINK_NOFOLLOW, nullptr, 0);
        calls = probe >= 0 && !strcmp(argv[1], "--relative") ? Calls::At : Calls::Proc;
        ++argv;
        --argc;
    }
    if (argc < 3)
        return 2;
    mode = !strcmp(argv[1], "all") ? Mode::All : !strcmp(argv[1], "sizes") ? Mode::Sizes : Mode::One;
    if (mode == Mode::One)
        wanted = argv[2];
    std::string path = argv[argc - 1];
    walk(AT_FDCWD, path.c_str(), path);
    printf("%lld items, %lld bytes, calls: %s\n", items, total,
           calls == Calls::At ? "listxattrat/getxattrat" : calls == Calls::Proc ? "l*xattr on /proc/self/fd" : "full paths");
}
