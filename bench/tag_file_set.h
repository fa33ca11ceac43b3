// The files the tag-reading benchmarks read: generated once into a scratch folder, most with
// an ID3v1 tag at the end, some without, of lengths from 0 to a few kilobytes.  Names are
// t0.mp3, t1.mp3, ... so that a script can build them from a count.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/temp_files.h"
#include "support/unique_bstr.h"

class TagFileSet {
public:
    explicit TagFileSet(int count);

    int Count() const { return static_cast<int>(ansiPaths_.size()); }
    const std::wstring& Folder() const { return folder_.Path(); }
    const char* AnsiPath(int i) const { return ansiPaths_[static_cast<size_t>(i)].c_str(); }
    BSTR Path(int i) const { return widePaths_[static_cast<size_t>(i)].Get(); }
    int TaggedCount() const { return tagged_; }

private:
    ScratchFolder folder_;
    std::vector<std::string> ansiPaths_;
    std::vector<UniqueBstr> widePaths_;
    int tagged_ = 0;
};
