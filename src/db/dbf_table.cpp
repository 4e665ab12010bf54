#include "db/dbf_table.h"

#include <shapefil.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "db/db_error.h"
#include "diag/text_encoding.h"

namespace koru::db {
namespace {

bool isAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string_view trimmed(std::string_view text, bool front) {
    auto blank = [](char c) { return c == ' ' || c == '\0'; };
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    while (front && !text.empty() && blank(text.front())) text.remove_prefix(1);
    return text;
}

std::int64_t littleEndian(const char* bytes, int size) {
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    if (size < 8 && (value >> (size * 8 - 1)) != 0) value |= ~std::uint64_t{0} << (size * 8);  // sign
    return static_cast<std::int64_t>(value);
}

std::string twoDigits(long value) { return (value < 10 ? "0" : "") + std::to_string(value); }

// A Julian day number as YYYY-MM-DD.
std::string julianDate(long day) {
    long l = day + 68569, n = 4 * l / 146097;
    l -= (146097 * n + 3) / 4;
    long i = 4000 * (l + 1) / 1461001;
    l = l - 1461 * i / 4 + 31;
    long j = 80 * l / 2447, d = l - 2447 * j / 80;
    l = j / 11;
    long m = j + 2 - 12 * l, y = 100 * (n - 49) + i + l;
    std::string year = std::to_string(y);
    return std::string(year.size() < 4 ? 4 - year.size() : 0, '0') + year + "-" + twoDigits(m) + "-" + twoDigits(d);
}

struct Field {
    char type;
    int offset;
    int size;
};

class DbfTable : public FlatTable {
public:
    DbfTable(std::filesystem::path file, const FlatFileOptions& options) : m_file(std::move(file)), m_options(options) {
        m_handle = DBFOpen(m_file.c_str(), "rb");
        if (!m_handle) {
            throw DbError(kErrGeneralFailure, "The file " + m_file.string() +
                                                  " cannot be read as a dBase table (.dbf); check that Data Source "
                                                  "names a .dbf file or a folder of them.");
        }
        char version = 0;
        std::ifstream(m_file, std::ios::binary).get(version);
        m_visualFoxPro = version == 0x30 || version == 0x31 || version == 0x32;
    }
    ~DbfTable() override { DBFClose(m_handle); }
    DbfTable(const DbfTable&) = delete;
    DbfTable& operator=(const DbfTable&) = delete;

    std::vector<FlatColumn> columns() override {
        std::vector<FlatColumn> columns;
        std::vector<std::string> rawNames;
        m_fields.clear();
        for (int i = 0; i < DBFGetFieldCount(m_handle); ++i) {
            char name[XBASE_FLDNAME_LEN_READ + 1] = {};
            int width = 0, decimals = 0;
            DBFGetFieldInfo(m_handle, i, name, &width, &decimals);
            char type = static_cast<char>(std::toupper(static_cast<unsigned char>(DBFGetNativeFieldType(m_handle, i))));
            // FoxPro's record of which fields are null is no column of the table.
            if (type == '0') continue;
            FlatColumn column;
            column.name = name;
            switch (type) {
                case 'C': column.type = "varchar(" + std::to_string(std::max(1, width)) + ")"; break;
                case 'N':
                case 'F':
                    if (decimals == 0 && width <= 18) {
                        column.type = width <= 9 ? "integer" : "bigint";
                        column.integer = true;
                    } else {
                        int precision = std::clamp(width - (decimals > 0 ? 1 : 0), 1, 38);
                        column.type = "decimal(" + std::to_string(precision) + "," +
                                      std::to_string(std::min(decimals, precision)) + ")";
                    }
                    break;
                case 'D': column.type = "date"; break;
                case 'L':
                    column.type = "bit";
                    column.integer = true;
                    break;
                case 'I':
                    column.type = "integer";
                    column.integer = true;
                    break;
                case 'Y': column.type = "money"; break;
                case 'T': column.type = "datetime"; break;
                default:
                    if (type == 'B' && m_visualFoxPro) {
                        column.type = "float";
                        break;
                    }
                    throw DbError(kErrGeneralFailure,
                                  "The dBase file " + m_file.string() + " has the field " + name + " of type " +
                                      std::string(1, type) +
                                      (type == 'M' || type == 'G' || type == 'P' || type == 'B'
                                           ? " (memo), whose contents live in another file that is not read here"
                                           : ", which is not read here") +
                                      ". Export the table without that field, or as CSV, and connect to that file.");
            }
            rawNames.push_back(name);
            columns.push_back(std::move(column));
            m_fields.push_back({type, m_handle->panFieldOffset[i], m_handle->panFieldSize[i]});
        }
        if (columns.empty()) {
            throw DbError(kErrGeneralFailure, "The dBase file " + m_file.string() + " has no fields.");
        }
        m_encoding = encoding(rawNames);
        if (m_encoding == TextEncoding::Windows1252) {
            for (FlatColumn& column : columns) column.name = diag::windows1252ToUtf8(column.name);
        }
        m_scanned = true;
        return columns;
    }

    void readRows(const RowHandler& row) override {
        if (!m_scanned) columns();
        std::vector<FlatValue> values(m_fields.size());
        for (int record = 0; record < DBFGetRecordCount(m_handle); ++record) {
            const char* bytes = readRecord(record);
            if (bytes[0] == '*') continue;  // deleted
            for (std::size_t i = 0; i < m_fields.size(); ++i) {
                const Field& field = m_fields[i];
                convert(field, std::string_view(bytes + field.offset, static_cast<std::size_t>(field.size)), values[i]);
            }
            row(values);
        }
    }

private:
    const char* readRecord(int record) {
        const char* bytes = DBFReadTuple(m_handle, record);
        if (!bytes) {
            throw DbError(kErrGeneralFailure, "The dBase file " + m_file.string() + " cannot be read at record " +
                                                  std::to_string(record + 1) + "; it may be cut short.");
        }
        return bytes;
    }

    // The encoding the options give, else the one the file names, else UTF-8 when all its
    // text is valid UTF-8 and Windows-1252 when not.
    TextEncoding encoding(const std::vector<std::string>& names) {
        if (m_options.encoding) return *m_options.encoding;
        std::string codePage;
        if (const char* named = DBFGetCodePage(m_handle)) codePage = named;
        std::string page;
        for (char c : codePage) {
            if (std::isalnum(static_cast<unsigned char>(c)) || c == '/') page += static_cast<char>(std::toupper(c));
        }
        if (page == "UTF8" || page == "65001") return TextEncoding::Utf8;
        // Language drivers 3 and 0x57 are Windows ANSI.
        for (std::string_view ansi : {"1252", "ANSI1252", "CP1252", "WINDOWS1252", "ISO88591", "88591", "LDID/3", "LDID/87"}) {
            if (page == ansi) return TextEncoding::Windows1252;
        }
        bool ascii = std::all_of(names.begin(), names.end(), [](const std::string& name) { return isAscii(name); });
        bool utf8 = true;
        for (int record = 0; record < DBFGetRecordCount(m_handle) && utf8; ++record) {
            const char* bytes = readRecord(record);
            for (const Field& field : m_fields) {
                if (field.type != 'C') continue;
                std::string_view text(bytes + field.offset, static_cast<std::size_t>(field.size));
                if (isAscii(text)) continue;
                ascii = false;
                utf8 = utf8 && diag::isValidUtf8(trimmed(text, false));
            }
        }
        if (!page.empty() && page != "LDID/0" && !ascii) {
            throw DbError(kErrGeneralFailure, "The dBase file " + m_file.string() + " names its code page " + codePage +
                                                  ", which is not read here. Give Encoding=Windows-1252 or "
                                                  "Encoding=UTF-8 to read its text as one of those.");
        }
        return utf8 ? TextEncoding::Utf8 : TextEncoding::Windows1252;
    }

    void setText(FlatValue& value, std::string_view text) const {
        value.null = false;
        if (m_encoding == TextEncoding::Windows1252 && !isAscii(text)) {
            value.text = diag::windows1252ToUtf8(text);
        } else {
            value.text.assign(text);
        }
    }

    void convert(const Field& field, std::string_view raw, FlatValue& value) const {
        value.null = true;
        value.text.clear();
        switch (field.type) {
            case 'C': {
                std::string_view text = trimmed(raw, false);
                if (!text.empty()) setText(value, text);
                return;
            }
            case 'N':
            case 'F': {
                std::string_view text = trimmed(raw, true);
                if (!text.empty() && text[0] != '*') setText(value, text);
                return;
            }
            case 'D': {
                std::string_view text = trimmed(raw, true);
                if (text.empty() || text == "00000000") return;
                bool digits = text.size() == 8 && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
                if (!digits) return setText(value, text);  // not a date: kept as written
                setText(value, std::string(text.substr(0, 4)) + "-" + std::string(text.substr(4, 2)) + "-" +
                                   std::string(text.substr(6, 2)));
                return;
            }
            case 'L': {
                std::string_view text = trimmed(raw, true);
                char c = text.empty() ? '?' : static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
                if (c == 'T' || c == 'Y') setText(value, "1");
                if (c == 'F' || c == 'N') setText(value, "0");
                return;
            }
            case 'I':
                if (raw.size() == 4) setText(value, std::to_string(littleEndian(raw.data(), 4)));
                return;
            case 'Y': {
                if (raw.size() != 8) return;
                std::int64_t units = littleEndian(raw.data(), 8);
                std::uint64_t magnitude = units < 0 ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
                std::string fraction = std::to_string(magnitude % 10000);
                setText(value, (units < 0 ? "-" : "") + std::to_string(magnitude / 10000) + "." +
                                   std::string(4 - fraction.size(), '0') + fraction);
                return;
            }
            case 'T': {
                if (raw.size() != 8) return;
                long day = static_cast<long>(littleEndian(raw.data(), 4));
                long milliseconds = static_cast<long>(littleEndian(raw.data() + 4, 4));
                if (day <= 0) return;
                long seconds = (milliseconds + 500) / 1000;
                setText(value, julianDate(day) + " " + twoDigits(seconds / 3600 % 24) + ":" +
                                   twoDigits(seconds / 60 % 60) + ":" + twoDigits(seconds % 60));
                return;
            }
            case 'B': {
                if (raw.size() != 8) return;
                std::int64_t bits = littleEndian(raw.data(), 8);
                double number = 0;
                std::memcpy(&number, &bits, sizeof number);
                char text[32];
                auto [end, error] = std::to_chars(text, text + sizeof text, number);
                if (error == std::errc()) setText(value, std::string_view(text, static_cast<std::size_t>(end - text)));
                return;
            }
            default:
                return;
        }
    }

    std::filesystem::path m_file;
    FlatFileOptions m_options;
    DBFHandle m_handle = nullptr;
    bool m_visualFoxPro = false;
    bool m_scanned = false;
    std::vector<Field> m_fields;
    TextEncoding m_encoding = TextEncoding::Utf8;
};

}  // namespace

std::unique_ptr<FlatTable> openDbfTable(const std::filesystem::path& file, const FlatFileOptions& options) {
    return std::make_unique<DbfTable>(file, options);
}

}  // namespace koru::db
