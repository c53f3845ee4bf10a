// Zip reading for the package test: the central directory, inflate after RFC 1951 (canonical
// Huffman codes decoded length by length), and a CRC-32 check of every entry.
#include "tests/wine/package/ZipArchive.h"

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace zip {

namespace {

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error("zip: " + what);
}

class BitReader {
public:
    explicit BitReader(const std::string& data) : m_data(data) {}

    // The next count bits, least significant first, as deflate packs them.
    unsigned Bits(int count) {
        uint32_t value = m_buffer;
        while (m_count < count) {
            if (m_pos >= m_data.size()) Fail("deflate stream ends early");
            value |= uint32_t(static_cast<unsigned char>(m_data[m_pos++])) << m_count;
            m_count += 8;
        }
        m_buffer = value >> count;
        m_count -= count;
        return value & ((1u << count) - 1);
    }

    // A stored block starts at the next byte boundary.
    void AlignToByte() {
        m_buffer = 0;
        m_count = 0;
    }

    unsigned char Byte() {
        if (m_pos >= m_data.size()) Fail("stored block ends early");
        return static_cast<unsigned char>(m_data[m_pos++]);
    }

private:
    const std::string& m_data;
    size_t m_pos = 0;
    uint32_t m_buffer = 0;
    int m_count = 0;
};

const int kMaxBits = 15;

// A canonical Huffman code: how many codes each length has, and the symbols in code order.
struct Huffman {
    int count[kMaxBits + 1] = {};
    std::vector<int> symbols;

    Huffman(const int* lengths, int n) {
        for (int i = 0; i < n; ++i) ++count[lengths[i]];
        int left = 1;
        for (int len = 1; len <= kMaxBits; ++len) {
            left = left * 2 - count[len];
            if (left < 0) Fail("over-subscribed Huffman code");
        }
        int offsets[kMaxBits + 2] = {};
        for (int len = 1; len <= kMaxBits; ++len) offsets[len + 1] = offsets[len] + count[len];
        symbols.assign(n, 0);
        for (int i = 0; i < n; ++i) {
            if (lengths[i] != 0) symbols[offsets[lengths[i]]++] = i;
        }
        count[0] = 0;
    }

    int Decode(BitReader& in) const {
        int code = 0, first = 0, index = 0;
        for (int len = 1; len <= kMaxBits; ++len) {
            code |= static_cast<int>(in.Bits(1));
            if (code - count[len] < first) return symbols[index + (code - first)];
            index += count[len];
            first = (first + count[len]) << 1;
            code <<= 1;
        }
        Fail("invalid Huffman code");
    }
};

const int kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                             31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const int kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                              2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const int kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                               33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                               1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const int kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void InflateCodes(BitReader& in, const Huffman& lengths, const Huffman& distances,
                  std::string& out) {
    for (;;) {
        const int symbol = lengths.Decode(in);
        if (symbol < 256) {
            out += static_cast<char>(symbol);
            continue;
        }
        if (symbol == 256) return;
        const int lengthCode = symbol - 257;
        if (lengthCode >= 29) Fail("invalid length code");
        const size_t length = kLengthBase[lengthCode] + in.Bits(kLengthExtra[lengthCode]);
        const int distanceCode = distances.Decode(in);
        if (distanceCode >= 30) Fail("invalid distance code");
        const size_t distance = kDistanceBase[distanceCode] + in.Bits(kDistanceExtra[distanceCode]);
        if (distance > out.size()) Fail("distance reaches before the start");
        // Byte by byte: a copy may overlap the bytes it produces.
        for (size_t i = 0; i < length; ++i) out += out[out.size() - distance];
    }
}

void InflateStored(BitReader& in, std::string& out) {
    in.AlignToByte();
    unsigned header[4];
    for (unsigned& byte : header) byte = in.Byte();
    const unsigned length = header[0] | header[1] << 8;
    const unsigned complement = header[2] | header[3] << 8;
    if ((length ^ 0xFFFFu) != complement) Fail("stored block length does not check");
    for (unsigned i = 0; i < length; ++i) out += static_cast<char>(in.Byte());
}

void InflateFixed(BitReader& in, std::string& out) {
    int lengths[288];
    for (int i = 0; i < 288; ++i) lengths[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
    int distances[30];
    for (int& length : distances) length = 5;
    InflateCodes(in, Huffman(lengths, 288), Huffman(distances, 30), out);
}

void InflateDynamic(BitReader& in, std::string& out) {
    static const int kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                   11, 4,  12, 3, 13, 2, 14, 1, 15};
    const int lengthCount = static_cast<int>(in.Bits(5)) + 257;
    const int distanceCount = static_cast<int>(in.Bits(5)) + 1;
    const int codeCount = static_cast<int>(in.Bits(4)) + 4;
    if (lengthCount > 286 || distanceCount > 30) Fail("too many codes");

    int codeLengths[19] = {};
    for (int i = 0; i < codeCount; ++i) codeLengths[kOrder[i]] = static_cast<int>(in.Bits(3));
    const Huffman codeLengthCode(codeLengths, 19);

    int lengths[286 + 30] = {};
    for (int i = 0; i < lengthCount + distanceCount;) {
        const int symbol = codeLengthCode.Decode(in);
        if (symbol < 16) {
            lengths[i++] = symbol;
            continue;
        }
        int repeated = 0;
        int times;
        if (symbol == 16) {
            if (i == 0) Fail("repeat without a previous length");
            repeated = lengths[i - 1];
            times = 3 + static_cast<int>(in.Bits(2));
        } else if (symbol == 17) {
            times = 3 + static_cast<int>(in.Bits(3));
        } else {
            times = 11 + static_cast<int>(in.Bits(7));
        }
        if (i + times > lengthCount + distanceCount) Fail("lengths repeat past the end");
        while (times-- > 0) lengths[i++] = repeated;
    }
    if (lengths[256] == 0) Fail("no end-of-block code");
    InflateCodes(in, Huffman(lengths, lengthCount), Huffman(lengths + lengthCount, distanceCount),
                 out);
}

uint32_t Crc32(const std::string& data) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

uint32_t Read16(const std::string& bytes, size_t at) {
    if (at + 2 > bytes.size()) Fail("record runs past the end of the archive");
    return uint32_t(static_cast<unsigned char>(bytes[at])) |
           uint32_t(static_cast<unsigned char>(bytes[at + 1])) << 8;
}

uint32_t Read32(const std::string& bytes, size_t at) {
    return Read16(bytes, at) | Read16(bytes, at + 2) << 16;
}

}  // namespace

std::string Inflate(const std::string& deflated) {
    BitReader in(deflated);
    std::string out;
    bool last = false;
    while (!last) {
        last = in.Bits(1) != 0;
        switch (in.Bits(2)) {
            case 0:
                InflateStored(in, out);
                break;
            case 1:
                InflateFixed(in, out);
                break;
            case 2:
                InflateDynamic(in, out);
                break;
            default:
                Fail("invalid block type");
        }
    }
    return out;
}

std::map<std::string, std::string> ReadArchive(const std::string& bytes) {
    const uint32_t kEndSignature = 0x06054b50, kCentralSignature = 0x02014b50,
                   kLocalSignature = 0x04034b50;
    // The end record is the last 22 bytes plus a comment of up to 65,535 bytes.
    if (bytes.size() < 22) Fail("too short for an archive");
    size_t end = bytes.size() - 22;
    while (Read32(bytes, end) != kEndSignature) {
        if (end == 0 || bytes.size() - end > 22 + 0xFFFF) Fail("no end of central directory");
        --end;
    }
    const uint32_t entries = Read16(bytes, end + 10);
    size_t at = Read32(bytes, end + 16);

    std::map<std::string, std::string> archive;
    for (uint32_t n = 0; n < entries; ++n) {
        if (Read32(bytes, at) != kCentralSignature) Fail("broken central directory");
        const uint32_t method = Read16(bytes, at + 10);
        const uint32_t crc = Read32(bytes, at + 16);
        const uint32_t packedSize = Read32(bytes, at + 20);
        const uint32_t size = Read32(bytes, at + 24);
        const uint32_t nameLength = Read16(bytes, at + 28);
        const uint32_t extraLength = Read16(bytes, at + 30);
        const uint32_t commentLength = Read16(bytes, at + 32);
        const uint32_t local = Read32(bytes, at + 42);
        if (at + 46 + nameLength > bytes.size()) Fail("name runs past the end");
        const std::string name = bytes.substr(at + 46, nameLength);
        at += 46 + nameLength + extraLength + commentLength;

        if (packedSize == 0xFFFFFFFFu || size == 0xFFFFFFFFu || local == 0xFFFFFFFFu)
            Fail(name + ": 64-bit sizes, which older unpackers cannot read");
        if (Read32(bytes, local) != kLocalSignature) Fail(name + ": no local header");
        const size_t data = local + 30 + Read16(bytes, local + 26) + Read16(bytes, local + 28);
        if (data + packedSize > bytes.size()) Fail(name + ": data runs past the end");
        const std::string packed = bytes.substr(data, packedSize);

        std::string content;
        if (method == 0) {
            content = packed;
        } else if (method == 8) {
            content = Inflate(packed);
        } else {
            Fail(name + ": compression method " + std::to_string(method));
        }
        if (content.size() != size) Fail(name + ": size does not match");
        if (Crc32(content) != crc) Fail(name + ": CRC-32 does not match");
        if (!archive.emplace(name, content).second) Fail(name + ": stored twice");
    }
    return archive;
}

}  // namespace zip
