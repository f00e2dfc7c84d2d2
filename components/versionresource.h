// Where a module keeps its version resource, checked against the file before
// the platform's version functions are let near it. Those functions map the
// file and copy the resource by the size its data entry states, so a size or
// an offset that lies (one flipped bit is enough) makes them read past the
// mapping, and the size they return makes the caller allocate gigabytes.
//
// The check walks what the platform walks, bounded by the file: for a PE
// image the resource directory (root, the RT_VERSION type, its names, their
// languages), each directory's entries inside the file, and every RT_VERSION
// data entry's RVA inside a section's raw data with its whole Size inside
// that section and the file; for a 16-bit NE module its resource table and
// every RT_VERSION resource inside the file. Nothing is read outside the
// file, the walk has a fixed depth (no loop can make it longer), and the
// number of entries it visits is bounded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace versionresource {

// Reads `size` bytes at `offset` of the file into `out`; false when they
// cannot all be read.
using ReadAt = std::function<bool(std::uint64_t offset, void* out, std::size_t size)>;

enum class Verdict {
    NotModule,   // neither PE nor NE: the platform finds no resource in it by itself
    Sound,       // every version resource (or none) lies where the platform can read it
    Damaged,     // a directory, entry or version resource lies outside the file or its section
    ReadFailed,  // the file could not be read
};

// The most directory entries the walk visits; a real module has a handful.
constexpr std::uint32_t kMaxEntries = 1u << 16;

// Checks a file of `fileSize` bytes; `reason` says what lies for Damaged.
Verdict CheckVersionResource(const ReadAt& read, std::uint64_t fileSize, std::string& reason);

}  // namespace versionresource
