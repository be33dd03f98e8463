// SPDX-License-Identifier: MIT
// Packs named members into a zip archive with minizip: deflated, fixed timestamps, names as given.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ArchiveMember {
    std::string name;
    std::vector<uint8_t> data;
};

bool writeZipArchive(const std::string& path, const std::vector<ArchiveMember>& members);
