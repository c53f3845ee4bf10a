#include "tests/common/ResourceDecode.h"

#include <cstdio>
#include <stdexcept>

#include "tests/common/PeImage.h"

namespace pe {
namespace {

class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& data, size_t pos = 0, size_t end = SIZE_MAX)
        : m_data(&data), m_pos(pos), m_end(end < data.size() ? end : data.size()) {}

    uint16_t Word() {
        Need(2);
        const uint16_t value = static_cast<uint16_t>((*m_data)[m_pos] | (*m_data)[m_pos + 1] << 8);
        m_pos += 2;
        return value;
    }
    uint32_t Dword() {
        const uint32_t low = Word();
        return low | static_cast<uint32_t>(Word()) << 16;
    }
    int Short() { return static_cast<int16_t>(Word()); }
    uint8_t Byte() {
        Need(1);
        return (*m_data)[m_pos++];
    }
    std::string String() {
        std::u16string text;
        for (uint16_t c = Word(); c != 0; c = Word()) text += static_cast<char16_t>(c);
        return Utf8(text);
    }
    std::string Counted(size_t units) {
        std::u16string text;
        for (size_t i = 0; i < units; ++i) text += static_cast<char16_t>(Word());
        return Utf8(text);
    }
    // A name or ordinal: empty, an ordinal (returned as "#n"), or a string.
    std::string NameOrOrdinal() {
        const uint16_t first = Word();
        if (first == 0) return std::string();
        if (first == 0xFFFF) return "#" + std::to_string(Word());
        m_pos -= 2;
        return String();
    }
    void Skip(size_t count) {
        Need(count);
        m_pos += count;
    }
    void AlignDword() { m_pos = (m_pos + 3) & ~static_cast<size_t>(3); }
    size_t Pos() const { return m_pos; }
    bool AtEnd() const { return m_pos >= m_end; }

private:
    void Need(size_t count) const {
        if (m_pos + count > m_end) throw std::runtime_error("resource data ends early");
    }

    const std::vector<uint8_t>* m_data;
    size_t m_pos;
    size_t m_end;
};

std::string ClassName(const std::string& nameOrOrdinal) {
    static const char* const kPredefined[] = {"Button", "Edit", "Static", "ListBox", "ScrollBar",
                                              "ComboBox"};
    for (int i = 0; i < 6; ++i) {
        if (nameOrOrdinal == "#" + std::to_string(0x80 + i)) return kPredefined[i];
    }
    return nameOrOrdinal;
}

const uint32_t kSetFont = 0x40;

// One node of the version resource and, recursively, its children; path names its values.
void VersionNode(const std::vector<uint8_t>& data, size_t at, const std::string& path,
                 VersionInfo* info) {
    Reader reader(data, at);
    const size_t length = reader.Word();
    const size_t valueLength = reader.Word();
    const bool text = reader.Word() == 1;
    const std::string key = reader.String();
    reader.AlignDword();
    const std::string name = path.empty() ? key : path + "\\" + key;
    Reader value(data, reader.Pos(), at + length);
    if (key == "VS_VERSION_INFO" && valueLength >= 52) {
        value.Skip(8);  // signature, structure version
        for (auto* version : {&info->fileVersion, &info->productVersion}) {
            const uint32_t high = value.Dword(), low = value.Dword();
            *version = {int(high >> 16), int(high & 0xffff), int(low >> 16), int(low & 0xffff)};
        }
    } else if (text && valueLength > 0) {
        std::string string = value.Counted(valueLength);
        while (!string.empty() && string.back() == '\0') string.pop_back();
        info->values[name] = string;
    } else if (valueLength > 0 && key == "Translation") {
        std::string words;
        for (size_t i = 0; i < valueLength / 2; ++i) {
            char word[8];
            std::snprintf(word, sizeof word, "%s%04x", i ? " " : "", value.Word());
            words += word;
        }
        info->values[name] = words;
    }
    reader.Skip(text ? valueLength * 2 : valueLength);
    for (reader.AlignDword(); reader.Pos() < at + length; reader.AlignDword()) {
        const size_t child = reader.Pos();
        VersionNode(data, child, key == "VS_VERSION_INFO" ? "" : name, info);
        Reader childLength(data, child);
        const size_t size = childLength.Word();
        if (size == 0) break;
        reader.Skip(size);
    }
}

}  // namespace

DialogTemplate DecodeDialog(const std::vector<uint8_t>& data) {
    Reader reader(data);
    DialogTemplate dialog;
    const bool extended = reader.Word() == 1 && reader.Word() == 0xFFFF;
    if (extended) {
        reader.Dword();  // help id
        reader.Dword();  // extended style
        dialog.style = reader.Dword();
    } else {
        reader = Reader(data);
        dialog.style = reader.Dword();
        reader.Dword();  // extended style
    }
    const uint16_t count = reader.Word();
    reader.Short();
    reader.Short();
    dialog.cx = reader.Short();
    dialog.cy = reader.Short();
    reader.NameOrOrdinal();  // menu
    reader.NameOrOrdinal();  // window class
    dialog.caption = reader.String();
    if (dialog.style & kSetFont) {
        dialog.pointSize = reader.Word();
        if (extended) {
            reader.Word();  // weight
            reader.Byte();  // italic
            reader.Byte();  // character set
        }
        dialog.font = reader.String();
    }
    for (uint16_t n = 0; n < count; ++n) {
        reader.AlignDword();
        DialogItem item;
        if (extended) {
            reader.Dword();  // help id
            reader.Dword();  // extended style
            item.style = reader.Dword();
        } else {
            item.style = reader.Dword();
            reader.Dword();  // extended style
        }
        item.x = reader.Short();
        item.y = reader.Short();
        item.cx = reader.Short();
        item.cy = reader.Short();
        item.id = extended ? static_cast<int>(reader.Dword()) : reader.Word();
        if (item.id == 0xFFFF) item.id = -1;
        item.className = ClassName(reader.NameOrOrdinal());
        item.text = reader.NameOrOrdinal();
        reader.Skip(reader.Word());  // creation data
        dialog.items.push_back(item);
    }
    return dialog;
}

std::vector<std::string> DecodeStringBlock(const std::vector<uint8_t>& data) {
    Reader reader(data);
    std::vector<std::string> strings;
    for (int i = 0; i < 16; ++i) strings.push_back(reader.Counted(reader.Word()));
    return strings;
}

VersionInfo DecodeVersion(const std::vector<uint8_t>& data) {
    VersionInfo info;
    VersionNode(data, 0, "", &info);
    return info;
}

std::vector<IconEntry> DecodeIconDirectory(const std::vector<uint8_t>& data, bool file) {
    Reader reader(data);
    reader.Word();  // reserved
    if (reader.Word() != 1) throw std::runtime_error("not an icon directory");
    std::vector<IconEntry> entries(reader.Word());
    for (IconEntry& entry : entries) {
        entry.width = reader.Byte();
        entry.height = reader.Byte();
        entry.colors = reader.Byte();
        reader.Byte();
        entry.planes = reader.Word();
        entry.bitCount = reader.Word();
        entry.bytes = reader.Dword();
        entry.idOrOffset = file ? reader.Dword() : reader.Word();
    }
    return entries;
}

}  // namespace pe
