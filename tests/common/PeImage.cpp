#include "tests/common/PeImage.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace pe {

Image::Image(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {
    if (m_bytes.size() < 0x40 || U16(0) != 0x5a4d) throw std::runtime_error("no MZ header");
    const size_t nt = U32(0x3c);
    if (U32(nt) != 0x00004550) throw std::runtime_error("no PE signature");
    const size_t coff = nt + 4;
    m_machine = U16(coff);
    const uint16_t sections = U16(coff + 2);
    m_symbolTable = U32(coff + 8);
    m_symbolCount = U32(coff + 12);
    const uint16_t optionalSize = U16(coff + 16);
    const size_t optional = coff + 20;
    const uint16_t magic = U16(optional);
    if (magic != 0x10b && magic != 0x20b) throw std::runtime_error("unknown optional header");
    m_pe32Plus = magic == 0x20b;
    m_directoryCount = U32(optional + (m_pe32Plus ? 108 : 92));
    m_directories = optional + (m_pe32Plus ? 112 : 96);
    for (size_t i = 0, at = optional + optionalSize; i < sections; ++i, at += 40)
        m_sections.push_back({U32(at + 12), U32(at + 8), U32(at + 20), U32(at + 16)});
}

Image Image::ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot open " + path);
    return Image(std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {}));
}

uint16_t Image::U16(size_t offset) const {
    if (offset + 2 > m_bytes.size()) throw std::runtime_error("image ends early");
    return static_cast<uint16_t>(m_bytes[offset] | m_bytes[offset + 1] << 8);
}

uint32_t Image::U32(size_t offset) const {
    return U16(offset) | static_cast<uint32_t>(U16(offset + 2)) << 16;
}

std::string Image::CString(size_t offset) const {
    std::string text;
    for (;; ++offset) {
        if (offset >= m_bytes.size()) throw std::runtime_error("string runs past the image");
        if (m_bytes[offset] == 0) return text;
        text += static_cast<char>(m_bytes[offset]);
    }
}

uint32_t Image::Directory(int entry, uint32_t* size) const {
    if (static_cast<uint32_t>(entry) >= m_directoryCount) return 0;
    if (size) *size = U32(m_directories + 8 * entry + 4);
    return U32(m_directories + 8 * entry);
}

size_t Image::Offset(uint32_t rva) const {
    for (const Section& section : m_sections) {
        if (rva >= section.rva && rva - section.rva < section.fileSize)
            return section.fileOffset + (rva - section.rva);
    }
    throw std::runtime_error("address outside the file's sections");
}

std::vector<Export> Image::Exports() const {
    std::vector<Export> exports;
    const uint32_t directory = Directory(0);
    if (directory == 0) return exports;
    const size_t at = Offset(directory);
    const uint32_t base = U32(at + 16), names = U32(at + 24);
    const size_t functions = Offset(U32(at + 28)), nameTable = Offset(U32(at + 32)),
                 ordinals = Offset(U32(at + 36));
    for (uint32_t i = 0; i < names; ++i) {
        const uint16_t index = U16(ordinals + 2 * i);
        exports.push_back({CString(Offset(U32(nameTable + 4 * i))), base + index,
                           U32(functions + 4 * index)});
    }
    return exports;
}

uint32_t Image::ExportedFunctionCount() const {
    const uint32_t directory = Directory(0);
    return directory == 0 ? 0 : U32(Offset(directory) + 20);
}

std::vector<std::string> Image::ImportedDlls() const {
    std::vector<std::string> dlls;
    const uint32_t directory = Directory(1);
    if (directory == 0) return dlls;
    for (size_t at = Offset(directory); U32(at + 12) != 0; at += 20)
        dlls.push_back(CString(Offset(U32(at + 12))));
    return dlls;
}

std::optional<std::vector<uint8_t>> Image::Resource(uint32_t type, uint32_t id) const {
    const uint32_t directory = Directory(2);
    if (directory == 0) return std::nullopt;
    const size_t root = Offset(directory);
    // One level of the tree: the entry for id, or with id 0 the first entry (the first language).
    auto find = [&](size_t table, uint32_t wanted, bool any) -> std::optional<uint32_t> {
        const uint32_t count = U16(table + 12) + U16(table + 14);
        for (uint32_t i = 0; i < count; ++i) {
            const size_t entry = table + 16 + 8 * i;
            if (any || U32(entry) == wanted) return U32(entry + 4);
        }
        return std::nullopt;
    };
    const auto types = find(root, type, false);
    if (!types || !(*types & 0x80000000u)) return std::nullopt;
    const auto names = find(root + (*types & 0x7fffffffu), id, false);
    if (!names || !(*names & 0x80000000u)) return std::nullopt;
    const auto language = find(root + (*names & 0x7fffffffu), 0, true);
    if (!language || (*language & 0x80000000u)) return std::nullopt;
    const size_t leaf = root + *language;
    const size_t data = Offset(U32(leaf)), size = U32(leaf + 4);
    if (data + size > m_bytes.size()) throw std::runtime_error("resource runs past the image");
    return std::vector<uint8_t>(m_bytes.begin() + data, m_bytes.begin() + data + size);
}

std::vector<Symbol> Image::Symbols() const {
    std::vector<Symbol> symbols;
    if (m_symbolTable == 0) return symbols;
    const size_t strings = m_symbolTable + 18 * size_t(m_symbolCount);
    for (uint32_t i = 0; i < m_symbolCount; ++i) {
        const size_t at = m_symbolTable + 18 * size_t(i);
        std::string name;
        if (U32(at) == 0) {
            name = CString(strings + U32(at + 4));
        } else {
            for (size_t c = 0; c < 8 && m_bytes[at + c] != 0; ++c) name += static_cast<char>(m_bytes[at + c]);
        }
        const int16_t section = static_cast<int16_t>(U16(at + 12));
        if (section > 0 && static_cast<size_t>(section) <= m_sections.size())
            symbols.push_back({name, m_sections[section - 1].rva + U32(at + 8)});
        i += m_bytes[at + 17];  // auxiliary records
    }
    return symbols;
}

std::string Utf8(const std::u16string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xd800 && c < 0xdc00 && i + 1 < text.size() && text[i + 1] >= 0xdc00 &&
            text[i + 1] < 0xe000) {
            c = 0x10000 + ((c - 0xd800) << 10) + (text[++i] - 0xdc00);
        } else if (c >= 0xd800 && c < 0xe000) {
            c = 0xfffd;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xc0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3f));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xe0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3f));
            out += static_cast<char>(0x80 | (c & 0x3f));
        } else {
            out += static_cast<char>(0xf0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3f));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3f));
            out += static_cast<char>(0x80 | (c & 0x3f));
        }
    }
    return out;
}

}  // namespace pe
