#pragma once
// Drive letters in memory: each letter can be present, fail its free-space query, or fail
// its label query; the logical-drive mask follows the present letters unless a test sets it.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "volumes/volume_source.h"

namespace kestrine::testing {

class FakeVolumeSource : public VolumeSource {
public:
    struct Volume {
        std::int64_t totalBytes = 0;
        std::int64_t freeBytes = 0;
        std::string label;
        bool freeSpaceFails = false;
        bool labelFails = false;
    };

    std::map<char, Volume> volumes;  // by letter, 'A' to 'Z'
    std::optional<std::uint32_t> maskOverride;
    std::map<char, int> freeSpaceQueries;  // how often each letter was asked

    Volume& add(char letter, std::int64_t totalBytes, std::int64_t freeBytes, std::string label = {}) {
        return volumes[letter] = Volume{totalBytes, freeBytes, std::move(label)};
    }

    std::uint32_t logicalDrives() override {
        if (maskOverride) return *maskOverride;
        std::uint32_t mask = 0;
        for (const auto& [letter, volume] : volumes) mask |= 1u << (letter - 'A');
        return mask;
    }
    bool freeSpace(const std::string& root, VolumeSpace& space) override {
        ++freeSpaceQueries[root[0]];
        const Volume* volume = find(root);
        if (volume == nullptr || volume->freeSpaceFails) return false;
        space = {volume->totalBytes, volume->freeBytes};
        return true;
    }
    bool label(const std::string& root, std::string& label) override {
        const Volume* volume = find(root);
        if (volume == nullptr || volume->labelFails) return false;
        label = volume->label;
        return true;
    }

private:
    // Only well-formed roots ("X:\") reach a volume.
    const Volume* find(const std::string& root) const {
        if (root.size() != 3 || root[1] != ':' || root[2] != '\\') return nullptr;
        const auto found = volumes.find(root[0]);
        return found == volumes.end() ? nullptr : &found->second;
    }
};

}  // namespace kestrine::testing
