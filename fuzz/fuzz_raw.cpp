// RAW files with the description the user types: the first 12 bytes of an input are the header
// size, width and height (32-bit little-endian), the rest is the file. Decode, write with the same
// header and decode that back unchanged.
#include "FuzzCheck.h"
#include "image/ByteOrder.h"
#include "image/RawFile.h"

#include <algorithm>
#include <cstring>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 12) return 0;
    const std::string name = "fuzz.raw";
    const std::int32_t header = ReadI32LE(data);
    const std::int32_t width = ReadI32LE(data + 4);
    const std::int32_t height = ReadI32LE(data + 8);
    const std::uint8_t* file = data + 12;
    const std::size_t fileSize = size - 12;
    std::unique_ptr<std::uint8_t[]> first;
    try {
        first = DecodeRaw(file, fileSize, name, header, width, height);
    } catch (const CorvaneError& e) {
        fuzz::CheckRefusal(e, name);
        return 0;
    }
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    // The pixels the file holds, then black.
    const std::size_t start = std::min(fileSize, static_cast<std::size_t>(header));
    const std::size_t held = std::min(count, fileSize - start);
    fuzz::Check(std::memcmp(first.get(), file + start, held) == 0);
    fuzz::Check(std::all_of(first.get() + held, first.get() + count, [](std::uint8_t v) { return v == 0; }));

    // Written with a header the fuzzer cannot make huge, and read back whole.
    const std::int32_t writtenHeader = header % 4096;
    fuzz::MemoryFile out;
    fuzz::Check(WriteRaw(out.File(), writtenHeader, first.get(), count));
    const std::vector<std::uint8_t> written = out.Bytes();
    fuzz::Check(written.size() == static_cast<std::size_t>(writtenHeader) + count);
    const auto second = DecodeRaw(written.data(), written.size(), name, writtenHeader, width, height);
    fuzz::Check(std::memcmp(first.get(), second.get(), count) == 0);
    return 0;
}
