#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace corvane {

/// Reads the width * height pixels of a RAW file, one byte each, row by row, after header bytes
/// that are skipped. Pixels past the end of the file are 0. Returns null for an empty picture.
/// Throws "<name>: bad RAW header size N" for a negative header, "<name>: bad RAW image size W x H"
/// for a negative side or a size beyond 32 bits, "<name>: can not open the file".
std::unique_ptr<std::uint8_t[]> ReadRawFile(const std::string& fileName, std::int32_t header,
                                            std::int32_t width, std::int32_t height);

/// Writes header bytes of 'F' (none when header is not positive), then count pixel bytes; the file
/// is replaced atomically. Throws "<name>: can not write the file" and leaves any old file whole.
void WriteRawFile(const std::string& fileName, std::int32_t header, const std::uint8_t* pixels,
                  std::size_t count);

} // namespace corvane
