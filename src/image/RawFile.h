#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace corvane {

/// Reads the width * height pixels of a RAW file, one byte each, row by row, after header bytes
/// that are skipped. A file a little shorter than the description leaves its missing pixels 0.
/// Throws "<name>: bad RAW header size N" for a negative header, "<name>: bad RAW image size W x H"
/// for a side below 1 or more than kMaxPicturePixels pixels, "<name>: the file is too short for a
/// RAW picture of W x H ..." when the file cannot fill the greater part of the picture (a wrong
/// size given by hand, not a damaged tail), "<name>: can not open the file" and
/// "<name>: not enough memory".
std::unique_ptr<std::uint8_t[]> ReadRawFile(const std::string& fileName, std::int32_t header,
                                            std::int32_t width, std::int32_t height);

/// The same from the size bytes of a RAW file already in memory, with the same checks and messages.
std::unique_ptr<std::uint8_t[]> DecodeRaw(const std::uint8_t* bytes, std::size_t size,
                                          const std::string& fileName, std::int32_t header,
                                          std::int32_t width, std::int32_t height);

/// Writes header bytes of 'F' (none when header is not positive), then count pixel bytes; the file
/// is replaced atomically. Throws "<name>: can not write the file" and leaves any old file whole.
void WriteRawFile(const std::string& fileName, std::int32_t header, const std::uint8_t* pixels,
                  std::size_t count);

/// The bytes WriteRawFile writes, into an open file; false when a write fails.
bool WriteRaw(std::FILE* file, std::int32_t header, const std::uint8_t* pixels, std::size_t count);

} // namespace corvane
