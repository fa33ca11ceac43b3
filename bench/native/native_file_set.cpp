#include "native_file_set.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "tag_file_generator.h"
#include "tarvik_reader.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFilesPerFolder = 1000;
constexpr int kEncodedEvery = 5;

bool WriteBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string ManifestPath(const std::string& folder) { return folder + "/manifest.txt"; }

// "offset+size,offset+size"
std::string ReadsText(const std::vector<ReadCall>& reads) {
    std::string text;
    for (const ReadCall& read : reads) {
        if (!text.empty()) text += ',';
        text += std::to_string(read.Offset) + '+' + std::to_string(read.Size);
    }
    return text;
}

std::vector<ReadCall> ReadsOf(const std::string& text) {
    std::vector<ReadCall> reads;
    std::istringstream in(text);
    ReadCall read;
    char plus = 0;
    char comma = 0;
    while (in >> read.Offset >> plus >> read.Size) {
        reads.push_back(read);
        in >> comma;
    }
    return reads;
}

}  // namespace

bool WriteFileSet(const std::string& folder, const std::vector<std::string>& encoded, int count) {
    std::vector<Bytes> copies;
    for (const std::string& path : encoded) {
        std::ifstream in(path, std::ios::binary);
        copies.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (copies.back().empty()) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return false;
        }
    }
    std::vector<SetFile> files;
    TagFileGenerator generator;
    std::error_code error;
    for (int i = 0; i < count; ++i) {
        const fs::path subfolder = fs::path(folder) / ("s" + std::to_string(i / kFilesPerFolder));
        if (i % kFilesPerFolder == 0) fs::create_directories(subfolder, error);
        SetFile file;
        file.Path = (subfolder / ("t" + std::to_string(i) + ".mp3")).string();
        Bytes bytes;
        if (i % kEncodedEvery == kEncodedEvery - 1 && !copies.empty()) {
            const size_t which = static_cast<size_t>(i / kEncodedEvery) % copies.size();
            bytes = copies[which];
            file.Kind = fs::path(encoded[which]).stem().string();
        } else {
            bool tagged = false;
            bytes = generator.Next(&tagged);
            file.Kind = tagged ? "generated, ID3v1" : "generated, no tag";
        }
        if (!WriteBytes(file.Path, bytes)) {
            std::fprintf(stderr, "cannot write %s\n", file.Path.c_str());
            return false;
        }
        files.push_back(std::move(file));
    }
    std::ofstream manifest(ManifestPath(folder));
    for (SetFile& file : files) {
        MediaTags tags;
        ReadWithTarvik(file.Path.c_str(), tags, &file.Reads);
        manifest << file.Kind << '\t' << file.Path << '\t' << ReadsText(file.Reads) << '\n';
    }
    return static_cast<bool>(manifest);
}

std::vector<SetFile> ReadFileSet(const std::string& folder) {
    std::vector<SetFile> files;
    std::ifstream manifest(ManifestPath(folder));
    std::string line;
    while (std::getline(manifest, line)) {
        const size_t kindEnd = line.find('\t');
        const size_t pathEnd = line.find('\t', kindEnd + 1);
        if (kindEnd == std::string::npos || pathEnd == std::string::npos) continue;
        SetFile file;
        file.Kind = line.substr(0, kindEnd);
        file.Path = line.substr(kindEnd + 1, pathEnd - kindEnd - 1);
        file.Reads = ReadsOf(line.substr(pathEnd + 1));
        files.push_back(std::move(file));
    }
    return files;
}
