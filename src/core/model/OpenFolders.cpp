#include "core/model/OpenFolders.h"

#include "core/model/Error.h"
#include "core/model/FolderStream.h"

#include <algorithm>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace palvorn {

namespace {

// Folders kept open beyond what the threads hold: enough for the folders above the ones being
// read in most trees, so that they are seldom opened again.
constexpr int spareFolders = 32;

int openFileLimit() {
    struct rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
        limit.rlim_cur > 1 << 20)
        return 1 << 20;
    return int(limit.rlim_cur);
}

int leasesFor(int threads) {
    return 2 * threads + 2;
}

} // namespace

OpenFolders::Lease::Lease(Lease&& other) noexcept
    : m_folders(std::exchange(other.m_folders, nullptr)), m_slot(other.m_slot), m_fd(other.m_fd) {}

OpenFolders::Lease& OpenFolders::Lease::operator=(Lease&& other) noexcept {
    if (this != &other) {
        release();
        m_folders = std::exchange(other.m_folders, nullptr);
        m_slot = other.m_slot;
        m_fd = other.m_fd;
    }
    return *this;
}

OpenFolders::Lease::~Lease() {
    release();
}

void OpenFolders::Lease::release() {
    if (m_folders)
        std::exchange(m_folders, nullptr)->release(m_slot);
}

int OpenFolders::capacityFor(int threads) {
    return std::max(leasesFor(threads),
                    std::min(leasesFor(threads) + spareFolders, openFileLimit() / 2));
}

int OpenFolders::threadsAllowed() {
    return std::max(1, (openFileLimit() / 2 - 2) / 2);
}

OpenFolders::OpenFolders(int capacity) : m_capacity(capacity) {
    m_slots.reserve(std::size_t(capacity));
}

OpenFolders::~OpenFolders() {
    for (Slot& slot : m_slots)
        if (slot.folder) {
            ::close(slot.fd);
            slot.folder->slot = -1;
        }
}

std::shared_ptr<WalkedFolder> OpenFolders::addStart(int fd, QByteArray path) {
    auto start = std::make_shared<WalkedFolder>();
    start->path = std::move(path);
    const std::lock_guard lock(m_mutex);
    // Leased for good: the start is never closed, so every other folder can be reached from it.
    int unused = -1;
    Lease forGood = insertLocked(start, fd, &unused);
    forGood.m_folders = nullptr;
    return start;
}

bool OpenFolders::enter(const std::shared_ptr<WalkedFolder>& folder, Lease* lease,
                        Failure* failure) {
    Lease parent = reach(folder->parent, failure);
    if (!parent)
        return false;
    int code = 0;
    const int fd = FolderStream::open(parent.fd(), folder->name(), false, &code);
    if (fd < 0) {
        *failure = {folder->path, Error::describe(code)};
        return false;
    }
    *lease = insert(folder, fd, std::move(parent));
    return true;
}

OpenFolders::Lease OpenFolders::reach(const std::shared_ptr<WalkedFolder>& folder,
                                      Failure* failure) {
    std::vector<std::shared_ptr<WalkedFolder>> closed; // from the folder up, all closed
    Lease lease;
    {
        const std::lock_guard lock(m_mutex);
        if (folder->slot >= 0)
            return leaseLocked(*folder);
        // The start is always open, so this ends.
        std::shared_ptr<WalkedFolder> above = folder;
        for (; above->slot < 0; above = above->parent)
            closed.push_back(above);
        lease = leaseLocked(*above);
    }
    for (auto it = closed.rbegin(); it != closed.rend(); ++it) {
        lease = reopen(*it, std::move(lease), failure);
        if (!lease)
            return {};
    }
    return lease;
}

OpenFolders::Lease OpenFolders::reopen(const std::shared_ptr<WalkedFolder>& folder, Lease parent,
                                       Failure* failure) {
    bool known = false;
    dev_t device = 0;
    ino_t inode = 0;
    {
        const std::lock_guard lock(m_mutex);
        if (folder->slot >= 0) // another thread was quicker
            return leaseLocked(*folder);
        known = folder->known;
        device = folder->device;
        inode = folder->inode;
    }
    int code = 0;
    const int fd = FolderStream::open(parent.fd(), folder->name(), false, &code);
    if (fd < 0) {
        *failure = {folder->path, Error::describe(code)};
        return {};
    }
    struct stat status = {};
    const bool statusRead = ::fstat(fd, &status) == 0;
    if (!statusRead || !known || status.st_dev != device || status.st_ino != inode) {
        ::close(fd);
        *failure = {folder->path,
                    QStringLiteral("replaced by another item during the walk; nothing more in it "
                                   "is walked")};
        return {};
    }
    return insert(folder, fd, std::move(parent));
}

OpenFolders::Lease OpenFolders::leaseLocked(WalkedFolder& folder) {
    ++m_slots[std::size_t(folder.slot)].leases;
    unlinkLocked(folder.slot);
    linkNewestLocked(folder.slot);
    return Lease(this, folder.slot, m_slots[std::size_t(folder.slot)].fd);
}

// A folder just opened, in place of its parent's lease: both under one lock, and the descriptor
// that makes room closed after it, so that the others wait for neither.
OpenFolders::Lease OpenFolders::insert(const std::shared_ptr<WalkedFolder>& folder, int fd,
                                       Lease parent) {
    int toClose = -1;
    Lease lease;
    {
        const std::lock_guard lock(m_mutex);
        if (folder->slot >= 0) { // another thread was quicker
            toClose = fd;
            lease = leaseLocked(*folder);
        } else {
            lease = insertLocked(folder, fd, &toClose);
        }
        releaseLocked(std::exchange(parent.m_folders, nullptr) ? parent.m_slot : -1, &toClose);
    }
    if (toClose >= 0)
        ::close(toClose);
    return lease;
}

OpenFolders::Lease OpenFolders::insertLocked(const std::shared_ptr<WalkedFolder>& folder, int fd,
                                             int* toClose) {
    const int index = freeSlotLocked(toClose);
    Slot& slot = m_slots[std::size_t(index)];
    slot.folder = folder;
    slot.fd = fd;
    slot.leases = 1;
    folder->slot = index;
    linkNewestLocked(index);
    ++m_open;
    return Lease(this, index, fd);
}

// Makes room by closing the descriptor least likely to be needed soon. Only where every
// descriptor is leased does the count go past the capacity, which capacityFor leaves room for.
int OpenFolders::freeSlotLocked(int* toClose) {
    if (m_open >= m_capacity) {
        if (const int victim = victimLocked(); victim >= 0)
            *toClose = closeLocked(victim);
    }
    if (!m_free.empty()) {
        const int index = m_free.back();
        m_free.pop_back();
        return index;
    }
    m_slots.emplace_back();
    return int(m_slots.size() - 1);
}

// Of the descriptors no one holds, the one used longest ago that no part of the walk waits for,
// else the one used longest ago. Those passed over because parts wait for them count as used
// now, so that the next search does not pass them again.
int OpenFolders::victimLocked() {
    int index = m_oldest;
    int firstPassed = -1;
    while (index >= 0 && index != firstPassed) {
        Slot& slot = m_slots[std::size_t(index)];
        const int newer = slot.newer;
        if (slot.leases == 0) {
            if (slot.folder->waiting.load(std::memory_order_relaxed) <= 0)
                return index;
            if (firstPassed < 0)
                firstPassed = index;
            unlinkLocked(index);
            linkNewestLocked(index);
        }
        index = newer;
    }
    return firstPassed;
}

int OpenFolders::closeLocked(int index) {
    Slot& slot = m_slots[std::size_t(index)];
    WalkedFolder& folder = *slot.folder;
    // Only a folder that may be needed again is worth knowing again: one that parts wait for, or
    // that anything else still refers to (a folder below it may need it to be reached). With no
    // other reference left, no new one can be made.
    const bool mayBeNeeded =
        folder.waiting.load(std::memory_order_relaxed) > 0 || slot.folder.use_count() > 1;
    struct stat status = {};
    folder.known = mayBeNeeded && ::fstat(slot.fd, &status) == 0;
    folder.device = status.st_dev;
    folder.inode = status.st_ino;
    folder.slot = -1;
    unlinkLocked(index);
    slot.folder.reset();
    m_free.push_back(index);
    --m_open;
    return std::exchange(slot.fd, -1);
}

void OpenFolders::linkNewestLocked(int index) {
    Slot& slot = m_slots[std::size_t(index)];
    slot.older = m_newest;
    slot.newer = -1;
    if (m_newest >= 0)
        m_slots[std::size_t(m_newest)].newer = index;
    m_newest = index;
    if (m_oldest < 0)
        m_oldest = index;
}

void OpenFolders::unlinkLocked(int index) {
    Slot& slot = m_slots[std::size_t(index)];
    (slot.older >= 0 ? m_slots[std::size_t(slot.older)].newer : m_oldest) = slot.newer;
    (slot.newer >= 0 ? m_slots[std::size_t(slot.newer)].older : m_newest) = slot.older;
    slot.newer = slot.older = -1;
}

void OpenFolders::release(int slot) {
    int toClose = -1;
    {
        const std::lock_guard lock(m_mutex);
        releaseLocked(slot, &toClose);
    }
    if (toClose >= 0)
        ::close(toClose);
}

void OpenFolders::releaseLocked(int slot, int* toClose) {
    if (slot < 0)
        return;
    // Past the capacity only while every descriptor was leased: give this one back now.
    if (--m_slots[std::size_t(slot)].leases == 0 && m_open > m_capacity)
        *toClose = closeLocked(slot);
}

int OpenFolders::openCount() const {
    const std::lock_guard lock(m_mutex);
    return m_open;
}

} // namespace palvorn
