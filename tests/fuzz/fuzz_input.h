// SPDX-License-Identifier: MIT
// Helpers shared by the fuzz targets: the readers under test take file names, so each input is written to a
// file in a private scratch folder that is the current directory for the whole run.
#pragma once

#include <cstddef>
#include <cstdint>

// Writes the bytes to `name` inside the scratch folder (created and entered on first use).
void writeFuzzInput(const char* name, const uint8_t* data, size_t size);
