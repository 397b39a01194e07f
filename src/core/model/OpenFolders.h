#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <sys/types.h>
#include <vector>

#include <QByteArray>
#include <QString>

namespace palvorn {

// A folder that a walk has entered: enough to open it again from its parent, and to know that it
// is still the folder that was entered.
struct WalkedFolder {
    std::shared_ptr<WalkedFolder> parent; // none for the walk's start
    QByteArray path; // for reports, and its last nameAt bytes for the parent: its name there
    qsizetype nameAt = 0;
    const char* name() const { return path.constData() + nameAt; }
    // Parts of the walk that will still need the folder open; a folder nobody waits for is
    // closed first.
    std::atomic_int waiting = 0;

    // Kept by OpenFolders under its lock.
    int slot = -1;    // where it is open, or -1
    dev_t device = 0; // taken when it is closed, checked when it is opened again
    ino_t inode = 0;
    bool known = false; // whether device and inode were taken
};

// The open descriptors of one walk's folders, at most capacity() of them at any depth. A folder
// is opened once, relative to its parent's descriptor and never through a link; when a descriptor
// must make room it is closed, and the folder is opened again when it is next needed: from its
// parent (itself opened again if need be, from the start down), and only if it is still the same
// folder by device and inode. Its items then keep being reached through a folder that was never
// left, whatever is renamed, swapped or linked in the tree meanwhile.
//
// Thread safe. A Lease keeps a descriptor open until it ends; the walk's start is always open.
class OpenFolders {
public:
    // Why a folder cannot be reached: the folder and the system's text (or that it was replaced).
    struct Failure {
        QByteArray path;
        QString reason;
    };

    class Lease {
    public:
        Lease() = default;
        Lease(Lease&& other) noexcept;
        Lease& operator=(Lease&& other) noexcept;
        ~Lease();
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;

        explicit operator bool() const { return m_folders != nullptr; }
        int fd() const { return m_fd; }

    private:
        friend class OpenFolders;
        Lease(OpenFolders* folders, int slot, int fd)
            : m_folders(folders), m_slot(slot), m_fd(fd) {}
        void release();

        OpenFolders* m_folders = nullptr;
        int m_slot = -1;
        int m_fd = -1;
    };

    // Room for the walk's threads: two leases each (a folder and, while opening, its parent) and
    // the start, and some more to spare reopening ancestors; never more than half the process's
    // open-file limit allows, so that the rest of the program keeps its share.
    static int capacityFor(int threads);
    // The most threads whose leases fit in the open-file limit.
    static int threadsAllowed();

    explicit OpenFolders(int capacity);
    ~OpenFolders();
    OpenFolders(const OpenFolders&) = delete;
    OpenFolders& operator=(const OpenFolders&) = delete;

    int capacity() const { return m_capacity; }

    // The walk's start, opened by the caller and owned from now on.
    std::shared_ptr<WalkedFolder> addStart(int fd, QByteArray path);

    // Enters a folder below the start for the first time, from its parent (which must have been
    // entered before). False, with the reason in failure, when it cannot be opened (or its parent
    // cannot be reached any more).
    bool enter(const std::shared_ptr<WalkedFolder>& folder, Lease* lease, Failure* failure);
    // A folder entered before, open. An empty lease, with the reason in failure, when it or an
    // ancestor cannot be opened again or is no longer the same folder.
    Lease reach(const std::shared_ptr<WalkedFolder>& folder, Failure* failure);

    // Descriptors open now; at most capacity() unless more leases are held at once.
    int openCount() const;

private:
    // An open descriptor, in a list from the one used last to the one used longest ago.
    struct Slot {
        std::shared_ptr<WalkedFolder> folder; // none while free
        int fd = -1;
        int leases = 0;
        int newer = -1;
        int older = -1;
    };

    Lease insert(const std::shared_ptr<WalkedFolder>& folder, int fd, Lease parent);
    Lease leaseLocked(WalkedFolder& folder);
    // Those that make room return the descriptor to close once the lock is given up.
    Lease insertLocked(const std::shared_ptr<WalkedFolder>& folder, int fd, int* toClose);
    int freeSlotLocked(int* toClose);
    int victimLocked();
    int closeLocked(int index);
    void releaseLocked(int slot, int* toClose);
    void linkNewestLocked(int index);
    void unlinkLocked(int index);
    void release(int slot);
    Lease reopen(const std::shared_ptr<WalkedFolder>& folder, Lease parent, Failure* failure);

    const int m_capacity;
    mutable std::mutex m_mutex;
    std::vector<Slot> m_slots;
    std::vector<int> m_free;
    int m_newest = -1;
    int m_oldest = -1;
    int m_open = 0;
};

} // namespace palvorn
