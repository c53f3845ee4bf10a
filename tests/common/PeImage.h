// A Windows image (.dll or .exe) read from its file, for checks that must not load it: on a
// machine that cannot run it, and for what the loader never shows, such as the symbol table.
// Both PE32 and PE32+ are read. Every reader throws std::runtime_error when the file is not a PE
// image or a structure reaches past its end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pe {

inline constexpr uint16_t kMachineI386 = 0x014c;
inline constexpr uint16_t kMachineAmd64 = 0x8664;

inline constexpr uint32_t kResourceIcon = 3;
inline constexpr uint32_t kResourceDialog = 5;
inline constexpr uint32_t kResourceString = 6;
inline constexpr uint32_t kResourceGroupIcon = 14;
inline constexpr uint32_t kResourceVersion = 16;
inline constexpr uint32_t kResourceManifest = 24;

struct Export {
    std::string name;
    uint32_t ordinal = 0;
    uint32_t rva = 0;
    bool operator==(const Export& other) const {
        return name == other.name && ordinal == other.ordinal && rva == other.rva;
    }
};

struct Symbol {
    std::string name;
    uint32_t rva = 0;
};

class Image {
public:
    explicit Image(std::vector<uint8_t> bytes);
    static Image ReadFile(const std::string& path);

    uint16_t Machine() const { return m_machine; }
    bool IsPe32Plus() const { return m_pe32Plus; }
    // Every exported function that has a name, in the table's name order.
    std::vector<Export> Exports() const;
    uint32_t ExportedFunctionCount() const;
    // The names of the imported DLLs as written in the image.
    std::vector<std::string> ImportedDlls() const;
    // The data of resource type/id in its first language, or nothing when the image lacks it.
    std::optional<std::vector<uint8_t>> Resource(uint32_t type, uint32_t id) const;
    // The COFF symbol table with each symbol's address as an RVA; empty for a stripped image.
    std::vector<Symbol> Symbols() const;

private:
    struct Section {
        uint32_t rva, size, fileOffset, fileSize;
    };
    uint32_t Directory(int entry, uint32_t* size = nullptr) const;
    size_t Offset(uint32_t rva) const;
    uint16_t U16(size_t offset) const;
    uint32_t U32(size_t offset) const;
    std::string CString(size_t offset) const;

    std::vector<uint8_t> m_bytes;
    uint16_t m_machine = 0;
    bool m_pe32Plus = false;
    size_t m_directories = 0;
    uint32_t m_directoryCount = 0;
    uint32_t m_symbolTable = 0, m_symbolCount = 0;
    std::vector<Section> m_sections;
};

// UTF-16LE code units to UTF-8; lone surrogates become U+FFFD.
std::string Utf8(const std::u16string& text);

}  // namespace pe
