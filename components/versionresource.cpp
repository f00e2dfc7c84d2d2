#include "components/versionresource.h"

#include <vector>

namespace versionresource {
namespace {

constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint16_t kNeSignature = 0x454E;      // "NE"
constexpr std::uint16_t kRtVersion = 16;
constexpr std::uint16_t kNeRtVersion = 0x8010;  // RT_VERSION with the integer-id bit
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::size_t kSectionEntry = 40;
constexpr std::size_t kDirectoryHeader = 16;
constexpr std::size_t kDirectoryEntry = 8;
constexpr std::size_t kDataEntry = 16;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t rawSize;
    std::uint32_t rawOffset;
};

// One check's state: the reader, the file's size and what is left of the
// entry budget.
class Walker {
public:
    Walker(const ReadAt& read, std::uint64_t fileSize, std::string& reason)
        : read_(read), fileSize_(fileSize), reason_(reason) {}

    Verdict Check() {
        std::uint8_t dos[64];
        if (fileSize_ < sizeof dos) return Verdict::NotModule;
        if (!read_(0, dos, sizeof dos)) return Verdict::ReadFailed;
        if (dos[0] != 'M' || dos[1] != 'Z') return Verdict::NotModule;
        const std::uint64_t header = U32(dos + 0x3C);
        std::uint8_t signature[4];
        if (header + sizeof signature > fileSize_) return Verdict::NotModule;
        if (!read_(header, signature, sizeof signature)) return Verdict::ReadFailed;
        if (U32(signature) == kPeSignature) return CheckPe(header);
        if (U16(signature) == kNeSignature) return CheckNe(header);
        return Verdict::NotModule;
    }

private:
    Verdict Damaged(const char* why) {
        reason_ = why;
        return Verdict::Damaged;
    }

    // Reads [offset, offset + size) when it lies inside the file.
    bool Fits(std::uint64_t offset, std::uint64_t size) const {
        return offset <= fileSize_ && size <= fileSize_ - offset;
    }
    Verdict Read(std::uint64_t offset, void* out, std::size_t size, const char* why) {
        if (!Fits(offset, size)) return Damaged(why);
        if (size == 0) return Verdict::Sound;  // an empty table: nothing to read into
        return read_(offset, out, size) ? Verdict::Sound : Verdict::ReadFailed;
    }

    Verdict CheckPe(std::uint64_t header) {
        // The file header and the optional header up to its data directory.
        std::uint8_t nt[24 + 112 + 8 * 3];
        const std::uint64_t optional = header + 24;
        if (Verdict v = Read(header, nt, 24 + 2, "The PE headers are cut short."); v != Verdict::Sound)
            return v;
        const std::uint16_t sectionCount = U16(nt + 6);
        const std::uint16_t optionalSize = U16(nt + 20);
        const std::uint16_t magic = U16(nt + 24);
        std::size_t directoryAt = 0;  // within the optional header
        if (magic == 0x10B)
            directoryAt = 96;
        else if (magic == 0x20B)
            directoryAt = 112;
        else
            return Verdict::Sound;  // the platform reads no directory of an unknown kind
        const std::size_t need = directoryAt + 8 * 3;
        if (Verdict v = Read(optional, nt + 24, need, "The PE headers are cut short."); v != Verdict::Sound)
            return v;
        const std::uint8_t* opt = nt + 24;
        const std::uint32_t sizeOfHeaders = U32(opt + 60);
        const std::uint32_t directoryCount = U32(opt + directoryAt - 4);
        if (directoryCount <= 2) return Verdict::Sound;  // no resource directory
        const std::uint32_t resourceRva = U32(opt + directoryAt + 16);
        if (resourceRva == 0) return Verdict::Sound;

        const std::uint64_t tableAt = optional + optionalSize;
        std::vector<std::uint8_t> table(std::size_t{sectionCount} * kSectionEntry);
        if (Verdict v =
                Read(tableAt, table.data(), table.size(), "The section table runs past the end of the file.");
            v != Verdict::Sound)
            return v;
        sections_.clear();
        for (std::size_t i = 0; i < sectionCount; ++i) {
            const std::uint8_t* s = table.data() + i * kSectionEntry;
            sections_.push_back({U32(s + 12), U32(s + 16), U32(s + 20)});
        }

        // The platform finds the directory in the headers by its RVA as an
        // offset, elsewhere through the sections; where neither finds it, it
        // finds no resource and reads nothing.
        std::uint64_t root = resourceRva;
        if (resourceRva >= sizeOfHeaders) {
            const Section* s = SectionOf(resourceRva);
            if (!s) return Verdict::Sound;
            root = std::uint64_t{s->rawOffset} + (resourceRva - s->virtualAddress);
        }
        return CheckResourceDirectory(root);
    }

    // The first section whose raw data holds the RVA, found as the platform
    // finds it (in 32-bit arithmetic).
    const Section* SectionOf(std::uint32_t rva) const {
        for (const Section& s : sections_)
            if (s.virtualAddress <= rva && static_cast<std::uint32_t>(s.virtualAddress + s.rawSize) > rva)
                return &s;
        return nullptr;
    }

    // Reads a resource directory's entries: name or id, then offset.
    Verdict ReadDirectory(std::uint64_t at, std::vector<std::uint8_t>& entries, std::uint16_t& named) {
        std::uint8_t head[kDirectoryHeader];
        if (Verdict v = Read(at, head, sizeof head, "A resource directory lies outside the file.");
            v != Verdict::Sound)
            return v;
        named = U16(head + 12);
        const std::uint32_t count = std::uint32_t{named} + U16(head + 14);
        if (count > budget_) return Damaged("The resource directory has more entries than a module holds.");
        budget_ -= count;
        entries.resize(std::size_t{count} * kDirectoryEntry);
        return Read(at + kDirectoryHeader, entries.data(), entries.size(),
                    "A resource directory's entries run past the end of the file.");
    }

    // Root, the RT_VERSION type, each of its names, each of their languages:
    // the depth is fixed, so a directory that points back at another only
    // costs entries from the budget.
    Verdict CheckResourceDirectory(std::uint64_t root) {
        std::vector<std::uint8_t> types;
        std::uint16_t named = 0;
        if (Verdict v = ReadDirectory(root, types, named); v != Verdict::Sound) return v;
        for (std::size_t i = 0; i < types.size() / kDirectoryEntry; ++i) {
            const std::uint32_t name = U32(types.data() + i * kDirectoryEntry);
            const std::uint32_t offset = U32(types.data() + i * kDirectoryEntry + 4);
            // The platform looks the type up among the id entries by their
            // low 16 bits; an id among the named ones is taken as well.
            if ((name & 0xFFFFu) != kRtVersion || (i < named && (name & kHighBit))) continue;
            if (!(offset & kHighBit)) return Damaged("The version resource's type entry is no directory.");
            if (Verdict v = CheckNames(root, root + (offset & ~kHighBit)); v != Verdict::Sound) return v;
        }
        return Verdict::Sound;
    }

    Verdict CheckNames(std::uint64_t root, std::uint64_t at) {
        std::vector<std::uint8_t> names;
        std::uint16_t named = 0;
        if (Verdict v = ReadDirectory(at, names, named); v != Verdict::Sound) return v;
        for (std::size_t i = 0; i < names.size() / kDirectoryEntry; ++i) {
            const std::uint32_t offset = U32(names.data() + i * kDirectoryEntry + 4);
            if (!(offset & kHighBit)) return Damaged("A version resource's name entry is no directory.");
            std::vector<std::uint8_t> languages;
            std::uint16_t unused = 0;
            if (Verdict v = ReadDirectory(root + (offset & ~kHighBit), languages, unused);
                v != Verdict::Sound)
                return v;
            for (std::size_t j = 0; j < languages.size() / kDirectoryEntry; ++j) {
                const std::uint32_t data = U32(languages.data() + j * kDirectoryEntry + 4);
                if (data & kHighBit) return Damaged("A version resource's language entry is a directory.");
                if (Verdict v = CheckData(root + data); v != Verdict::Sound) return v;
            }
        }
        return Verdict::Sound;
    }

    // The data entry: its RVA inside a section's raw data, and its whole
    // size inside that section and the file.
    Verdict CheckData(std::uint64_t at) {
        std::uint8_t entry[kDataEntry];
        if (Verdict v =
                Read(at, entry, sizeof entry, "A version resource's data entry lies outside the file.");
            v != Verdict::Sound)
            return v;
        const std::uint32_t rva = U32(entry);
        const std::uint32_t size = U32(entry + 4);
        const Section* s = SectionOf(rva);
        if (!s) return Damaged("The version resource lies in no section.");
        const std::uint64_t offset = std::uint64_t{s->rawOffset} + (rva - s->virtualAddress);
        const std::uint64_t sectionEnd = std::uint64_t{s->rawOffset} + s->rawSize;
        if (offset + size > sectionEnd) return Damaged("The version resource runs past its section.");
        if (!Fits(offset, size)) return Damaged("The version resource runs past the end of the file.");
        return Verdict::Sound;
    }

    // A 16-bit module: the resource table lies between its offset and the
    // resident-name table's, and each RT_VERSION resource (offset and length
    // in units of the table's alignment shift) inside the file.
    Verdict CheckNe(std::uint64_t header) {
        std::uint8_t ne[0x28];
        if (Verdict v = Read(header, ne, sizeof ne, "The NE header is cut short."); v != Verdict::Sound)
            return v;
        const std::uint16_t tableOffset = U16(ne + 0x24);
        const std::uint16_t residentNames = U16(ne + 0x26);
        if (tableOffset == residentNames) return Verdict::Sound;  // no resources
        if (residentNames < tableOffset) return Damaged("The NE resource table ends before it starts.");
        std::vector<std::uint8_t> table(residentNames - tableOffset);
        if (Verdict v = Read(header + tableOffset, table.data(), table.size(),
                             "The NE resource table runs past the end of the file.");
            v != Verdict::Sound)
            return v;
        if (table.size() < 2) return Damaged("The NE resource table is cut short.");
        const unsigned shift = U16(table.data());
        std::size_t at = 2;
        for (;;) {
            if (at + 2 > table.size()) return Damaged("The NE resource table has no end.");
            const std::uint16_t type = U16(table.data() + at);
            if (type == 0) return Verdict::Sound;
            if (at + 8 > table.size()) return Damaged("The NE resource table has no end.");
            const std::uint16_t count = U16(table.data() + at + 2);
            at += 8;
            if (count > (table.size() - at) / 12) return Damaged("The NE resource table has no end.");
            if (type == kNeRtVersion) {
                // Real tables shift by a few bits; beyond 16 the platform's
                // 32-bit offsets no longer hold the product.
                if (shift > 16) return Damaged("The NE resource alignment is impossible.");
                for (std::size_t i = 0; i < count; ++i) {
                    const std::uint8_t* n = table.data() + at + i * 12;
                    const std::uint64_t offset = std::uint64_t{U16(n)} << shift;
                    const std::uint64_t length = std::uint64_t{U16(n + 2)} << shift;
                    if (!Fits(offset, length))
                        return Damaged("The version resource runs past the end of the file.");
                }
            }
            at += std::size_t{count} * 12;
        }
    }

    const ReadAt& read_;
    std::uint64_t fileSize_;
    std::string& reason_;
    std::vector<Section> sections_;
    std::uint32_t budget_ = kMaxEntries;
};

}  // namespace

Verdict CheckVersionResource(const ReadAt& read, std::uint64_t fileSize, std::string& reason) {
    reason.clear();
    return Walker(read, fileSize, reason).Check();
}

}  // namespace versionresource
