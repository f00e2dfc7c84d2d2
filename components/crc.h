// CRC kernels of the checksum component.
//
// Each kernel takes the running value, a buffer and its length and returns the
// updated value. None applies a final XOR: a caller that starts CRC32Buffer at
// 0xFFFFFFFF and stores the result gets CRC-32/JAMCRC. Streaming is simply
// feeding chunks in order, each call starting from the previous result; the
// result does not depend on where the data are split.
#pragma once

#include <cstddef>
#include <cstdint>

enum class TdcFileCRCMethod : std::uint8_t { crc32 = 0, crc16 = 1, crcArc = 2 };

// Reflected CRC-32 (polynomial 0xEDB88320). Uses a carry-less multiply path
// where the CPU has one, else slicing-by-16; all paths give identical results.
std::uint32_t CRC32Buffer(std::uint32_t crc, const void* data, std::size_t len);
// Non-reflected CRC-16 (polynomial 0x1021) with the data byte shifted in at the
// bottom of the register: the plain remainder of the data, no augmentation.
std::uint16_t CRC16Buffer(std::uint16_t crc, const void* data, std::size_t len);
// CRC-16/ARC: reflected, polynomial 0xA001.
std::uint16_t CRCArcBuffer(std::uint16_t crc, const void* data, std::size_t len);

// Start value of each method's kernel.
std::uint32_t CRCInitialValue(TdcFileCRCMethod method);
// One step of the method's kernel over a chunk; the 16-bit methods keep their
// value in the low 16 bits.
std::uint32_t CRCUpdate(TdcFileCRCMethod method, std::uint32_t crc, const void* data, std::size_t len);

// The one-lookup-per-byte definitions, kept for tests and benchmarks.
namespace crc_reference {
std::uint32_t CRC32(std::uint32_t crc, const void* data, std::size_t len);
std::uint16_t CRC16(std::uint16_t crc, const void* data, std::size_t len);
std::uint16_t CRCArc(std::uint16_t crc, const void* data, std::size_t len);
}  // namespace crc_reference

// Internal paths of CRC32Buffer, exposed so that tests and benchmarks can run
// each one directly.
namespace crc_detail {
std::uint32_t CRC32Slice16(std::uint32_t crc, const unsigned char* p, std::size_t len);
bool HaveCarrylessMultiply();
// Requires HaveCarrylessMultiply().
std::uint32_t CRC32Clmul(std::uint32_t crc, const unsigned char* p, std::size_t len);
}  // namespace crc_detail
