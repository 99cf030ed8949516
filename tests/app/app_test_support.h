// Shared helpers of the app tests: scratch folders, whole-file access, the
// command line run in-process, and small trees built by hand.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/cli.h"
#include "model/ZRBicycleList.h"

namespace cogbook::test {

// A fresh folder, removed with everything in it at the end of the test.
struct ScratchFolder {
    std::filesystem::path path = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "cogbook-app-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        return pattern;
    }();
    ScratchFolder() = default;
    ScratchFolder(const ScratchFolder&) = delete;
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }

    std::string file(const std::string& name) const { return (path / name).string(); }
    // The names in the folder, sorted: shows leftovers such as temporary files.
    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const auto& entry : std::filesystem::directory_iterator(path))
            result.push_back(entry.path().filename().string());
        std::sort(result.begin(), result.end());
        return result;
    }
};

inline std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<std::uint8_t> readBytes(const std::string& path) {
    const std::string text = readText(path);
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

template <typename Bytes> void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

struct CliResult {
    int status;
    std::string out;
    std::string err;
};

inline CliResult runCli(std::vector<std::string> args) {
    std::ostringstream out, err;
    const int status = runCommandLine(std::move(args), out, err);
    return {status, out.str(), err.str()};
}

inline std::string resource(const std::string& name) { return std::string(COGBOOK_RESOURCE_DIR) + "/" + name; }

// A node with every field given; not filed anywhere.
inline ZRBicycleListPtr makeNode(const std::string& creationDate, const std::string& partName, bool expandable,
                                 Date date, const std::string& description = "", const std::string& notes = "") {
    auto node = ZRBicycleList::create();
    node->setCreationDate(creationDate);
    node->setPartName(std::string_view(partName));
    node->setExpandable(expandable);
    node->setDate(date);
    node->setDescription(std::string_view(description));
    node->setNotes(std::string_view(notes));
    return node;
}

} // namespace cogbook::test
