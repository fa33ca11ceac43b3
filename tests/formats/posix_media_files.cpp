// The native build reads the test files through POSIX descriptors.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "common/unique_descriptor.h"
#include "format_test_files.h"
#include "formats/media_format.h"
#include "formats/memory_source.h"
#include "formats/posix_file_source.h"

namespace {

// A file with bytes, unlinked at once: it lives as long as the descriptor.
UniqueDescriptor OpenBytes(const Bytes& bytes) {
    char name[] = "/tmp/tarvik-format-XXXXXX";
    UniqueDescriptor file(mkstemp(name));
    unlink(name);
    uint32_t error = 0;
    EXPECT_TRUE(file.Get() >= 0 && PosixFileSink(file.Get()).Write(bytes.data(), bytes.size(), &error)) << error;
    return file;
}

}  // namespace

MediaTags ReadMedia(const Bytes& file) {
    const UniqueDescriptor descriptor = OpenBytes(file);
    PosixFileSource source(descriptor.Get());
    MediaTags tags;
    uint32_t error = 0;
    EXPECT_TRUE(ReadMediaFile(source, tags, &error)) << error;
    return tags;
}

bool CopyPictureBytes(const Bytes& file, const MediaTags& tags, Bytes& image) {
    const UniqueDescriptor descriptor = OpenBytes(file);
    PosixFileSource source(descriptor.Get());
    MemorySink target;
    uint32_t error = 0;
    const bool copied = CopyPicture(source, tags, target, &error) == PictureCopy::Copied;
    image.assign(target.Bytes.begin(), target.Bytes.end());
    return copied;
}

bool FormatFixturesNamed() { return std::getenv("TARVIK_FORMAT_FIXTURES") != nullptr; }

Bytes FormatFixtureBytes(const std::string& name) {
    const char* folder = std::getenv("TARVIK_FORMAT_FIXTURES");
    if (folder == nullptr) return {};
    std::ifstream in(std::string(folder) + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
