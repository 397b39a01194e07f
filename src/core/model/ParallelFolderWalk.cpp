#include "core/model/ParallelFolderWalk.h"

#include <algorithm>

namespace palvorn {

int ParallelFolderWalk::threadCount(const FolderWalk::Options& options) {
    const int wanted = options.threads > 0
                           ? options.threads
                           : static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
    // Each thread needs descriptors of its own; the report is the same with fewer threads.
    return std::min(wanted, OpenFolders::threadsAllowed());
}

} // namespace palvorn
