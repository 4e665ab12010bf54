#include "db/csv_table.h"

#include <csv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>

#include "db/db_error.h"
#include "diag/text_encoding.h"

namespace koru::db {
namespace {

constexpr std::size_t kChunk = 1 << 20;
// libcsv's state before the first character of a row.
constexpr int kRowNotBegun = 0;

bool hasByteOrderMark(const std::vector<char>& buffer, std::size_t size) {
    return size >= 3 && static_cast<unsigned char>(buffer[0]) == 0xEF &&
           static_cast<unsigned char>(buffer[1]) == 0xBB && static_cast<unsigned char>(buffer[2]) == 0xBF;
}

std::string shownDelimiter(char delimiter) {
    return delimiter == '\t' ? std::string("Tab") : std::string(1, delimiter);
}

bool isAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

class File {
public:
    explicit File(const std::filesystem::path& path) : m_file(std::fopen(path.c_str(), "rb")) {
        if (!m_file) {
            throw DbError(kErrGeneralFailure,
                          "The text file " + path.string() + " cannot be read: " + std::strerror(errno) + ".");
        }
    }
    ~File() { std::fclose(m_file); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    std::size_t read(std::vector<char>& buffer) { return std::fread(buffer.data(), 1, buffer.size(), m_file); }
    bool failed() const { return std::ferror(m_file) != 0; }

private:
    std::FILE* m_file;
};

class CsvTable : public FlatTable {
public:
    CsvTable(std::filesystem::path file, const FlatFileOptions& options)
        : m_file(std::move(file)), m_options(options), m_header(options.header.value_or(true)) {}

    std::vector<FlatColumn> columns() override {
        m_delimiter = m_options.delimiter.value_or(detectedDelimiter());
        parse(nullptr);
        if (m_width == 0) {
            throw DbError(kErrGeneralFailure, "The text file " + m_file.string() +
                                                  " is empty: it needs a first line naming its columns.");
        }
        m_encoding = m_options.encoding.value_or(m_utf8 ? TextEncoding::Utf8 : TextEncoding::Windows1252);
        std::vector<FlatColumn> columns;
        for (std::size_t i = 0; i < m_width; ++i) {
            std::string name = m_header ? decoded(m_headerNames[i]) : std::string();
            std::erase(name, '\0');  // SQL reads a name only up to a NUL
            name.erase(0, std::min(name.size(), name.find_first_not_of(" \t")));
            name.erase(name.find_last_not_of(" \t") + 1);
            // Jet's names for columns without a heading.
            if (name.empty()) name = "F" + std::to_string(i + 1);
            while (std::any_of(columns.begin(), columns.end(), [&](const FlatColumn& c) { return sameName(c.name, name); })) {
                name += "_" + std::to_string(i + 1);
            }
            columns.push_back(m_guesses[i].column(std::move(name), m_encoding == TextEncoding::Windows1252));
        }
        m_scanned = true;
        return columns;
    }

    void readRows(const RowHandler& row) override {
        if (!m_scanned) columns();
        parse(&row);
    }

private:
    static bool sameName(std::string_view a, std::string_view b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
               });
    }

    // The one of , ; Tab | found most often outside quotes in the first line; a comma when
    // none is. A .tsv file is tab-separated.
    char detectedDelimiter() const {
        std::string extension = m_file.extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (extension == ".tsv") return '\t';
        File file(m_file);
        std::vector<char> buffer(64 * 1024);
        std::size_t size = file.read(buffer);
        std::size_t start = hasByteOrderMark(buffer, size) ? 3 : 0;
        constexpr char kCandidates[] = {',', ';', '\t', '|'};
        std::size_t counts[4] = {};
        bool quoted = false;
        for (std::size_t i = start; i < size && (quoted || (buffer[i] != '\n' && buffer[i] != '\r')); ++i) {
            if (buffer[i] == '"') quoted = !quoted;
            if (quoted) continue;
            for (int c = 0; c < 4; ++c) counts[c] += buffer[i] == kCandidates[c];
        }
        int best = 0;
        for (int c = 1; c < 4; ++c) {
            if (counts[c] > counts[best]) best = c;
        }
        return kCandidates[best];
    }

    std::string decoded(std::string_view bytes) const {
        if (m_encoding == TextEncoding::Utf8 || isAscii(bytes)) return std::string(bytes);
        return diag::windows1252ToUtf8(bytes);
    }

    [[noreturn]] void refuse(const std::string& problem) const {
        throw DbError(kErrGeneralFailure, "The text file " + m_file.string() + ", " + problem);
    }

    // Without `rows` the first pass: the headings, the column types, the encoding and the row
    // checks; with it the second, which hands over each row after the heading line.
    void parse(const RowHandler* rows) {
        m_rows = rows;
        m_line = 1;
        m_rowLine = 1;
        m_rowsSeen = 0;
        m_fields = 0;
        m_failure = nullptr;
        if (!rows) {
            m_utf8 = true;
            m_width = 0;
            m_guesses.clear();
            m_headerNames.clear();
        }
        csv_parser parser;
        // Empty unquoted values are null, "" is an empty text; spaces belong to their value.
        if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI | CSV_EMPTY_IS_NULL) != 0) {
            throw DbError(kErrGeneralFailure, "Out of memory reading " + m_file.string() + ".");
        }
        struct Freed {
            csv_parser* parser;
            ~Freed() { csv_free(parser); }
        } freed{&parser};
        csv_set_delim(&parser, static_cast<unsigned char>(m_delimiter));
        csv_set_space_func(&parser, [](unsigned char) { return 0; });

        File file(m_file);
        std::vector<char> buffer(kChunk);
        bool first = true;
        while (std::size_t size = file.read(buffer)) {
            std::size_t position = first && hasByteOrderMark(buffer, size) ? 3 : 0;
            first = false;
            while (position < size) {
                const char* start = buffer.data() + position;
                const void* newline = std::memchr(start, '\n', size - position);
                std::size_t length = newline ? static_cast<const char*>(newline) - start + 1 : size - position;
                if (parser.pstate == kRowNotBegun && m_fields == 0) m_rowLine = m_line;
                std::size_t parsed = csv_parse(&parser, start, length, &onField, &onRowEnd, this);
                if (m_failure) std::rethrow_exception(m_failure);
                if (parsed != length) {
                    if (csv_error(&parser) == CSV_EPARSE) {
                        refuse("line " + std::to_string(m_line) +
                               ": a quote stands inside a value, or text follows a closing quote. A value that "
                               "holds quotes is written in quotes with each quote doubled (\"say \"\"hi\"\"\").");
                    }
                    throw DbError(kErrGeneralFailure, "Reading " + m_file.string() + ": " +
                                                          csv_strerror(csv_error(&parser)) + ".");
                }
                if (newline) ++m_line;
                position += length;
            }
        }
        if (file.failed()) {
            throw DbError(kErrGeneralFailure, "Reading " + m_file.string() + " failed: " + std::strerror(errno) + ".");
        }
        if (csv_fini(&parser, &onField, &onRowEnd, this) != 0) {
            refuse("line " + std::to_string(m_rowLine) + ": a quoted value that begins there is never closed; add "
                   "its closing quote (\").");
        }
        if (m_failure) std::rethrow_exception(m_failure);
    }

    static void onField(void* data, std::size_t size, void* self) {
        auto* table = static_cast<CsvTable*>(self);
        if (table->m_failure) return;
        // Errors wait until libcsv returns: exceptions do not pass through C.
        try {
            table->field(static_cast<const char*>(data), size);
        } catch (...) {
            table->m_failure = std::current_exception();
        }
    }

    static void onRowEnd(int, void* self) {
        auto* table = static_cast<CsvTable*>(self);
        if (table->m_failure) return;
        try {
            table->rowEnd();
        } catch (...) {
            table->m_failure = std::current_exception();
        }
    }

    void field(const char* data, std::size_t size) {
        std::size_t index = m_fields++;
        std::string_view bytes = data ? std::string_view(data, size) : std::string_view();
        if (!m_rows) {
            if (data && m_utf8 && !isAscii(bytes) && !diag::isValidUtf8(bytes)) {
                m_utf8 = false;
                if (m_options.encoding == TextEncoding::Utf8) {
                    refuse("line " + std::to_string(m_line) +
                           ": the text is not UTF-8. Give Encoding=Windows-1252 if the file is in that encoding.");
                }
            }
            if (m_rowsSeen == 0) {
                if (m_header) m_headerNames.emplace_back(bytes);
                m_guesses.emplace_back();
                if (!m_header && data) m_guesses.back().add(bytes);
            } else if (index < m_width && data) {
                m_guesses[index].add(bytes);
            }
            return;
        }
        if (m_rowsSeen == 0 && m_header) return;
        if (index >= m_values.size()) m_values.resize(index + 1);
        FlatValue& value = m_values[index];
        value.null = data == nullptr;
        if (!data) {
            value.text.clear();
        } else if (m_encoding == TextEncoding::Utf8 || isAscii(bytes)) {
            value.text.assign(bytes);
        } else {
            value.text = diag::windows1252ToUtf8(bytes);
        }
    }

    void rowEnd() {
        std::size_t fields = m_fields;
        m_fields = 0;
        if (m_rowsSeen++ == 0) {
            if (!m_rows) m_width = fields;
            if (m_header) return;
        } else if (fields != m_width) {
            refuse("line " + std::to_string(m_rowLine) + ": the row has " + std::to_string(fields) +
                   " values where the first line has " + std::to_string(m_width) + ". Values holding the delimiter " +
                   shownDelimiter(m_delimiter) +
                   " are written in quotes; correct the row, or give the file's delimiter with Delimiter=.");
        }
        if (m_rows) (*m_rows)(m_values);
    }

    std::filesystem::path m_file;
    FlatFileOptions m_options;
    bool m_header;
    char m_delimiter = ',';
    TextEncoding m_encoding = TextEncoding::Utf8;
    bool m_scanned = false;
    // First pass
    bool m_utf8 = true;
    std::size_t m_width = 0;
    std::vector<std::string> m_headerNames;
    std::vector<ColumnTypeGuess> m_guesses;
    // Parse state
    const RowHandler* m_rows = nullptr;
    std::vector<FlatValue> m_values;
    long m_line = 1;
    long m_rowLine = 1;
    long m_rowsSeen = 0;
    std::size_t m_fields = 0;
    std::exception_ptr m_failure;
};

}  // namespace

std::unique_ptr<FlatTable> openCsvTable(const std::filesystem::path& file, const FlatFileOptions& options) {
    return std::make_unique<CsvTable>(file, options);
}

}  // namespace koru::db
