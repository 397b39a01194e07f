#include "model/ParallelFolderWalk.h"

#include <algorithm>

namespace palvorn {

int ParallelFolderWalk::threadCount(const FolderWalk::Options& options) {
    if (options.threads > 0)
        return options.threads;
    return static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
}

} // namespace palvorn
