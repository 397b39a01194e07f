// The physical limit of a crawl: only the system calls any such walk must make, with no text
// built. minimal_walk all|one NAME|sizes FOLDER
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {

enum class Mode { All, One, Sizes };
Mode mode;
std::string wanted;
std::set<std::string> seen;
long long items = 0, total = 0;

void visit(const std::string& path) {
    ++items;
    const ssize_t size = listxattr(path.c_str(), nullptr, 0);
    if (size <= 0)
        return;
    std::vector<char> names(static_cast<size_t>(size));
    const ssize_t got = listxattr(path.c_str(), names.data(), names.size());
    for (ssize_t at = 0; at < got; at += static_cast<ssize_t>(strlen(names.data() + at)) + 1) {
        const char* name = names.data() + at;
        const bool read = mode == Mode::All ? seen.insert(name).second : mode == Mode::One && wanted == name;
        const ssize_t length = (read || mode == Mode::Sizes) ? getxattr(path.c_str(), name, nullptr, 0) : -1;
        if (read && length >= 0) {
            std::vector<char> value(static_cast<size_t>(length) + 1);
            getxattr(path.c_str(), name, value.data(), static_cast<size_t>(length));
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
        visit(path);
        if (entry->d_type == DT_DIR)
            walk(dirfd(dir), entry->d_name, path);
    }
    closedir(dir);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 3)
        return 2;
    mode = !strcmp(argv[1], "all") ? Mode::All : !strcmp(argv[1], "sizes") ? Mode::Sizes : Mode::One;
    if (mode == Mode::One)
        wanted = argv[2];
    std::string path = argv[argc - 1];
    walk(AT_FDCWD, path.c_str(), path);
    printf("%lld items, %lld bytes\n", items, total);
}
