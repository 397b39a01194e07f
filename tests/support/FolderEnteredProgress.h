#pragma once

#include "core/model/WalkProgress.h"

#include <functional>

namespace palvorn {

// A walk's progress that also calls a test's function as the walk enters each folder (the start
// included), on the thread that enters it: where a test changes the tree or stops the walk at a
// known point of it.
class FolderEnteredProgress : public WalkProgress {
public:
    explicit FolderEnteredProgress(std::function<void(const QByteArray& folderPath)> entered)
        : m_entered(std::move(entered)) {}

    void enterFolder(const QByteArray& path) override;

private:
    std::function<void(const QByteArray& folderPath)> m_entered;
};

} // namespace palvorn
