#include "mapping/mapping_files.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "db/import_sessions.h"
#include "db/settings_file.h"
#include "diag/logs.h"
#include "diag/messages.h"
#include "diag/program_folder.h"
#include "diag/text.h"
#include "diag/text_encoding.h"
#include "mapping/mapping_checks.h"
#include "mapping/mapping_file_format.h"
#include "wizard/error_trap.h"

namespace koru::mapping {
namespace fs = std::filesystem;
using wizard::MsgButtons;
using wizard::MsgIcon;

namespace {

constexpr std::string_view kClauseFile = "-XFRClause.xft";
constexpr std::string_view kTableLinkFile = "-XFRTableLinks.xft";
constexpr std::string_view kStructureFile = "-XFRStructure.xft";
constexpr std::string_view kMappingFile = "-XFRMappings.xft";
constexpr std::string_view kParentFile = "-XFRParent.xft";

// A file system failure, carrying the platform error it stands for.
struct FileFailure : std::runtime_error {
    FileFailure(diag::ErrorRecord error, const std::string& what) : std::runtime_error(what), record(std::move(error)) {}
    diag::ErrorRecord record;
};

// The platform error a failure stands for: a file error keeps its number.
diag::ErrorRecord failureRecord(const std::exception& error) {
    if (auto* file = dynamic_cast<const FileFailure*>(&error)) return file->record;
    return wizard::errorRecordOf(error);
}

// B: the template path without its extension (".xfo"), whatever its length.
std::string baseName(const std::string& fileName) {
    std::filesystem::path path(fileName);
    if (path.filename().empty()) throw std::invalid_argument("the template name is no file name: " + fileName);
    return path.replace_extension().string();
}

Field columnText(db::Recordset& rows, std::string_view column) { return rows.value(column); }

Field bitText(db::Recordset& rows, std::string_view column) {
    Field value = rows.value(column);
    if (!value) return value;
    auto number = integerColumnValue(*value);
    return std::string(number && *number != 0 ? "True" : "False");
}

std::string linesOf(db::Connection& destination, const std::string& sql,
                    const std::function<std::string(db::Recordset&)>& line) {
    std::string text;
    std::unique_ptr<db::Recordset> rows = destination.query(sql);
    while (rows->next()) text += line(*rows) + "\r\n";
    return text;
}

void writeFile(const fs::path& path, const std::string& content) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) file << content;
    if (!file || !file.flush()) {
        int error = errno;
        throw FileFailure(db::fileErrorRecord(error), "cannot write " + path.string());
    }
}

// The lines that carry rows, each with its number in the file (from 1).
std::vector<std::pair<int, std::string>> splitLines(const std::string& text) {
    std::vector<std::pair<int, std::string>> lines;
    std::istringstream in(text);
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(' ') == std::string::npos) continue;  // blank lines carry no row
        lines.emplace_back(number, line);
    }
    return lines;
}

std::string readFile(const fs::path& path) {
    std::optional<std::string> text = diag::readTextFile(path);
    if (!text) throw FileFailure(db::fileErrorRecord(errno), "cannot read " + path.string());
    return *text;
}

// A value the mapping may not hold: the load refuses it with a message, not an error report.
struct RefusedValue : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The value as a message shows it: quoted, and cut when long.
std::string shown(std::string_view value) {
    constexpr std::size_t kShown = 60;
    std::string_view cut = diag::leftView(value, kShown);
    return "'" + std::string(cut) + (cut.size() < value.size() ? "...'" : "'");
}

// One line of a mapping file read field by field; whatever is wrong names the file, the line and
// the field.
class FileLine {
public:
    FileLine(const fs::path& file, int number, std::string text, std::vector<std::string_view> fields)
        : m_file(file), m_number(number), m_text(std::move(text)), m_fields(std::move(fields)) {}

    const std::string& text() const { return m_text; }
    int fieldCount() const { return UT_Count_TXTFile_Parameters(m_text); }

    void expectFields(std::initializer_list<int> counts) const {
        for (int allowed : counts) {
            if (fieldCount() == allowed) return;
        }
        throw std::invalid_argument(place() + " has " + std::to_string(fieldCount()) + " fields: " + m_text);
    }

    // Read raw, so that a text column holding True or False keeps it.
    std::string value(int n, bool bareAllowed = false) const {
        std::optional<std::string> value = fieldValue(rawField(m_text, n), bareAllowed);
        if (!value) throw std::invalid_argument(place(n) + " is not a single quoted value: " + m_text);
        return *value;
    }

    // Integer and bit fields may be bare digits (the first field of a mapping line); True and
    // False are 1 and 0 there.
    db::Value integer(int n) const {
        std::optional<std::int64_t> number = integerColumnValue(value(n, true));
        if (!number) throw std::invalid_argument(place(n) + " is not a number: " + m_text);
        return *number;
    }

    [[noreturn]] void refuse(int n, std::string_view value, const std::string& why) const {
        throw RefusedValue(place(n) + ": " + shown(value) + " " + why + ".");
    }

    std::string place(int n = 0) const {
        std::string text = m_file.string() + ", line " + std::to_string(m_number);
        if (n >= 1 && n <= static_cast<int>(m_fields.size())) text += ", field " + std::string(m_fields[n - 1]);
        return text;
    }

private:
    fs::path m_file;
    int m_number;
    std::string m_text;
    std::vector<std::string_view> m_fields;
};

template <typename Read>
void forEachLine(const fs::path& file, std::vector<std::string_view> fields, Read read) {
    for (auto& [number, raw] : splitLines(readFile(file))) read(FileLine(file, number, upgradeOlderLine(raw), fields));
}

const std::string kNotAName = "is not one table or column name";

// A source table or column name of a mapping or clause row; empty where the row may have none.
db::Value sourceName(const FileLine& line, int n, bool noBrackets, bool emptyAllowed) {
    std::string name = line.value(n);
    if (name.empty() && emptyAllowed) return name;
    if (!isSourceName(name, noBrackets)) {
        line.refuse(n, name, noBrackets ? kNotAName + " (this source takes names without brackets)" : kNotAName);
    }
    return name;
}

db::Value linkColumn(const FileLine& line, int n) {
    std::string link = line.value(n);
    if (!link.empty() && !isLinkColumn(link)) line.refuse(n, link, "is not a source column written as table.column");
    return link;
}

// A parent-matching setting: empty, or a column of CIID in the product's spelling.
std::string parentColumn(const fs::path& file, std::string_view key, const std::string& value) {
    if (diag::trimmedView(value).empty()) return {};
    if (std::optional<std::string> column = ciidParentColumn(value)) return *column;
    throw RefusedValue(file.string() + ", line 1, field " + std::string(key) + ": " + shown(value) +
                       " is not a CIID field (Alpha1 to Alpha15, Num1 to Num10, EmailID, WebID, Notes).");
}

}  // namespace

bool MappingFiles::UT_Save_Mappings_To_TXT(const std::string& fileName) {
    std::string templatePath = diag::toNativeSeparators(fileName);
    std::vector<std::pair<fs::path, std::string>> files;
    try {
        db::Connection& destination = m_context.destination();
        std::string base = baseName(templatePath);
        std::string templateText = "Veltrane Transfer Object File\r\n\r\n\r\nDepends On the Following XFT Files\r\n" +
                                   base + std::string(kClauseFile) + "\r\n" + base + std::string(kTableLinkFile) +
                                   "\r\n" + base + std::string(kStructureFile) + "\r\n" + base +
                                   std::string(kMappingFile) + "\r\n";
        files.emplace_back(templatePath, templateText);

        files.emplace_back(base + std::string(kClauseFile),
                           linesOf(destination, "select * from xfrClause", [](db::Recordset& rows) {
                               return clauseLine({columnText(rows, "StructureID"), columnText(rows, "sourcetable"),
                                                  columnText(rows, "sourcecolumn"), columnText(rows, "Operator"),
                                                  columnText(rows, "Criteria"), columnText(rows, "strucorder"),
                                                  bitText(rows, "andClause")});
                           }));
        files.emplace_back(base + std::string(kTableLinkFile),
                           linesOf(destination, "select * from xfrTableLink", [](db::Recordset& rows) {
                               return tableLinkLine({columnText(rows, "StructureID"), columnText(rows, "sourcetable"),
                                                     columnText(rows, "sourcecolumn"), columnText(rows, "destintable"),
                                                     columnText(rows, "destincolumn")});
                           }));
        const auto& levels = m_context.Gstructures;
        files.emplace_back(base + std::string(kStructureFile),
                           linesOf(destination, "select * from xfrStructure", [&levels](db::Recordset& rows) {
                               std::int64_t id = integerColumnValue(rows.value("ID").value_or("")).value_or(-1);
                               if (id < 1 || id >= static_cast<std::int64_t>(levels.size())) {
                                   throw std::out_of_range("no structure level " + std::to_string(id));
                               }
                               return structureLine({columnText(rows, "ID"), columnText(rows, "Name"),
                                                     columnText(rows, "ULink"), columnText(rows, "DLink"),
                                                     columnText(rows, "ULinkID"), bitText(rows, "ULinkNumeric"),
                                                     columnText(rows, "DLinkID")},
                                                    levels[static_cast<std::size_t>(id)].StyleID);
                           }));
        files.emplace_back(base + std::string(kMappingFile),
                           linesOf(destination, "select * from xfrMappings", [](db::Recordset& rows) {
                               return mappingLine({columnText(rows, "StructureID"), columnText(rows, "sourcetable"),
                                                   columnText(rows, "sourcecolumn"), columnText(rows, "destintable"),
                                                   columnText(rows, "destincolumn"), columnText(rows, "level")});
                           }));
        files.emplace_back(base + std::string(kParentFile),
                           parentFileText(m_context.GenParent, m_context.SourceCol, m_context.DestinCol,
                                          m_context.StyleID, m_context.chkSelectDistinct, m_context.EXLAppLinkID));

        // Everything is written beside the old set first; only then does it replace it.
        for (const auto& [path, content] : files) writeFile(path.string() + ".koru-new", content);
        for (const auto& [path, content] : files) {
            std::error_code ec;
            fs::rename(path.string() + ".koru-new", path, ec);
            if (ec) throw FileFailure(db::fileErrorRecord(ec.value()), "cannot replace " + path.string());
        }
    } catch (const std::exception& error) {
        for (const auto& [path, content] : files) {
            std::error_code ec;
            fs::remove(path.string() + ".koru-new", ec);
        }
        diag::ErrorRecord record = failureRecord(error);
        std::string message = record.number == 70 ? "Permission denied while over-writing file : " + templatePath
                                                   : "Error Saving " + templatePath;
        m_reporter.UT_Report_Error(record, "UT_Save_Mappings_To_TXT", message);
        return false;
    }
    m_context.MapFileName = db::mapFileName(templatePath);
    m_dialogs.messageBox("Data Mappings Saved Successfully", MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
    return true;
}

bool MappingFiles::UT_Load_Mappings_To_TXT(const std::string& fileName) {
    std::string templatePath = diag::toNativeSeparators(fileName);
    try {
        std::string base = baseName(templatePath);
        const fs::path clauseFile = base + std::string(kClauseFile);
        const fs::path tableLinkFile = base + std::string(kTableLinkFile);
        const fs::path structureFile = base + std::string(kStructureFile);
        const fs::path mappingFile = base + std::string(kMappingFile);
        const fs::path parentFile = base + std::string(kParentFile);
        std::error_code ec;
        // All required files are checked before anything is inserted.
        for (const fs::path& required : {clauseFile, structureFile, mappingFile}) {
            if (!fs::is_regular_file(required, ec)) {
                fs::path looked = fs::absolute(required, ec);
                diag::UT_Write_To_Internal_Log("Mapping file not found : " + (ec ? required : looked).string());
                m_dialogs.messageBox("File not found, please select the import file and try again", MsgButtons::OK,
                                     MsgIcon::Exclamation, diag::kAppTitle);
                m_dialogs.setBusy(false);
                return false;
            }
        }

        // Every line is read and checked first, so that a malformed or refused file inserts nothing.
        const bool noBrackets = m_context.NoBrackets;
        std::vector<std::vector<db::Value>> clauses;
        forEachLine(clauseFile,
                    {"StructureID", "SourceTable", "SourceColumn", "Operator", "Criteria", "StrucOrder", "AndClause"},
                    [&](const FileLine& line) {
                        line.expectFields({7});
                        std::string op = line.value(4);
                        if (!clauseOperator(op)) {
                            line.refuse(4, op, "is not a data clause operator (=, <>, like, not like, is, is not)");
                        }
                        // The criteria cannot hold a quote (the field would not read) and is
                        // always written as a quoted literal, so it stays a value.
                        clauses.push_back({line.integer(1), sourceName(line, 2, noBrackets, false),
                                           sourceName(line, 3, noBrackets, false), db::Value{op}, db::Value{line.value(5)},
                                           line.integer(6), line.integer(7)});
                    });
        std::vector<std::vector<db::Value>> tableLinks;
        if (fs::is_regular_file(tableLinkFile, ec)) {
            forEachLine(tableLinkFile, {"StructureID", "SourceTable", "SourceColumn", "DestinTable", "DestinColumn"},
                        [&](const FileLine& line) {
                            line.expectFields({5, 6});
                            if (line.fieldCount() == 6 && !Read_From_File(line.text(), 6).empty()) {
                                throw std::invalid_argument(line.place() + " has text after its fifth field: " +
                                                            line.text());
                            }
                            std::vector<db::Value> link = {line.integer(1)};
                            // Joins are written with the names as they stand: one name each.
                            for (int n = 2; n <= 5; ++n) {
                                std::string name = line.value(n);
                                if (!isOneName(name)) line.refuse(n, name, kNotAName);
                                link.emplace_back(name);
                            }
                            tableLinks.push_back(std::move(link));
                        });
        }
        std::vector<std::vector<db::Value>> levels;
        // Where each level's parent is named, to say so when the parent is missing.
        struct LevelLink {
            std::int64_t id, parent;
            bool linked;
            std::string parentPlace, linkPlace, name;
        };
        std::vector<LevelLink> links;
        forEachLine(structureFile, {"ID", "Name", "ULink", "DLink", "ULinkID", "ULinkNumeric", "DLinkID", "StyleID"},
                    [&](const FileLine& line) {
                        line.expectFields({7, 8});
                        std::vector<db::Value> level = {line.integer(1), db::Value{line.value(2)}, linkColumn(line, 3),
                                                        linkColumn(line, 4), line.integer(5), line.integer(6),
                                                        line.integer(7)};
                        if (line.fieldCount() == 8) level.push_back(line.integer(8));
                        std::int64_t id = std::get<std::int64_t>(level[0]);
                        for (const LevelLink& earlier : links) {
                            if (earlier.id == id) line.refuse(1, line.value(1, true), "is the number of another level too");
                        }
                        links.push_back({id, std::get<std::int64_t>(level[4]), !std::get<std::string>(level[2]).empty(),
                                         line.place(5), line.place(3), std::get<std::string>(level[1])});
                        levels.push_back(std::move(level));
                    });
        // A level that hangs from nothing imports nothing below it, and says nothing about it.
        for (const LevelLink& level : links) {
            if (level.id < 1 || level.id > static_cast<std::int64_t>(links.size())) {
                throw RefusedValue(structureFile.string() + ": level '" + level.name + "' is numbered " +
                                   std::to_string(level.id) + "; the levels are numbered 1 to " +
                                   std::to_string(links.size()) + ".");
            }
            if (level.parent == 0) continue;
            bool found = false;
            for (const LevelLink& other : links) found = found || other.id == level.parent;
            if (!found || level.parent == level.id) {
                throw RefusedValue(level.parentPlace + ": level '" + level.name + "' hangs under level " +
                                   std::to_string(level.parent) + ", which the mapping does not have.");
            }
            if (level.parent > level.id) {
                throw RefusedValue(level.parentPlace + ": level '" + level.name + "' hangs under level " +
                                   std::to_string(level.parent) + ", whose rows are read after its own.");
            }
            if (!level.linked) {
                throw RefusedValue(level.linkPlace + ": level '" + level.name +
                                   "' hangs under another level but names no column that links it to it.");
            }
        }
        std::vector<std::vector<db::Value>> mappings;
        forEachLine(mappingFile, {"StructureID", "SourceTable", "SourceColumn", "DestinTable", "DestinColumn", "Level"},
                    [&](const FileLine& line) {
                        line.expectFields({5, 6});
                        std::string table = line.value(4), column = line.value(5);
                        if (!isDestinationTable(table)) {
                            line.refuse(4, table, "is not a destination table (CIID, AssetCiid, Knowledge, TEXTSEP)");
                        }
                        if (!isDestinationField(table, column)) line.refuse(5, column, "is not a field of " + table);
                        mappings.push_back({line.integer(1), sourceName(line, 2, noBrackets, true),
                                            sourceName(line, 3, noBrackets, true), db::Value{table}, db::Value{column},
                                            line.fieldCount() == 6 ? line.integer(6) : db::Value{std::int64_t{1}}});
                    });
        std::optional<ParentSettings> parent;
        if (fs::is_regular_file(parentFile, ec)) {
            try {
                parent = parseParentFile(readFile(parentFile));
            } catch (const std::invalid_argument& error) {
                throw std::invalid_argument(parentFile.string() + ", line 1: " + error.what());
            }
            parent->SourceCol = parentColumn(parentFile, "SourceCol", parent->SourceCol);
            parent->DestinCol = parentColumn(parentFile, "DestinCol", parent->DestinCol);
            if (!parent->SourceCol.empty() && parent->DestinCol.empty()) {
                throw RefusedValue(parentFile.string() +
                                   ", line 1, field DestinCol: is empty, though SourceCol names a column to match.");
            }
        }

        db::Connection& destination = m_context.destination();
        auto insertAll = [&destination](const std::string& sql, const std::vector<std::vector<db::Value>>& rows) {
            if (rows.empty()) return;
            std::unique_ptr<db::Statement> insert = destination.prepare(sql);
            for (const auto& row : rows) insert->execute(row);
        };
        insertAll("Insert Into XFRClause(StructureID, SourceTable, SourceColumn, Operator, Criteria, StrucOrder, "
                  "AndClause) Values(?, ?, ?, ?, ?, ?, ?)",
                  clauses);
        insertAll("Insert Into XFRTableLink(StructureID, SourceTable, SourceColumn, DestinTable, DestinColumn) "
                  "Values(?, ?, ?, ?, ?)",
                  tableLinks);
        std::vector<std::vector<db::Value>> withStyle;
        std::vector<std::vector<db::Value>> withoutStyle;
        for (auto& level : levels) (level.size() == 8 ? withStyle : withoutStyle).push_back(level);
        insertAll("Insert Into XFRStructure(ID, Name, Ulink, dlink, UlinkID, ULinkNumeric, dlinkID, StyleID) "
                  "Values(?, ?, ?, ?, ?, ?, ?, ?)",
                  withStyle);
        insertAll("Insert Into XFRStructure(ID, Name, Ulink, dlink, UlinkID, ULinkNumeric, dlinkID) "
                  "Values(?, ?, ?, ?, ?, ?, ?)",
                  withoutStyle);
        insertAll("Insert Into XFRMappings(StructureID, SourceTable, SourceColumn, DestinTable, DestinColumn, [Level]) "
                  "Values(?, ?, ?, ?, ?, ?)",
                  mappings);

        if (parent) {
            m_context.GenParent = parent->GenParent;
            m_context.SourceCol = parent->SourceCol;
            m_context.DestinCol = parent->DestinCol;
            if (parent->StyleID) m_context.StyleID = *parent->StyleID;
            m_context.chkSelectDistinct = parent->Distinct;
            m_context.Distinct = parent->Distinct == 1;
            if (parent->EXLAppLinkID) m_context.EXLAppLinkID = *parent->EXLAppLinkID;
        }
    } catch (const RefusedValue& refused) {
        m_dialogs.messageBox(std::string("The mapping was not loaded: ") + refused.what(), MsgButtons::OK,
                             MsgIcon::Exclamation, diag::kAppTitle);
        m_dialogs.setBusy(false);
        return false;
    } catch (const std::exception& error) {
        diag::ErrorRecord record = failureRecord(error);
        m_reporter.UT_Report_Error(record, "UT_Load_Mappings_To_TXT", "Error Loading " + templatePath);
        return false;
    }
    m_context.MapFileName = db::mapFileName(templatePath);
    if (!m_context.Unattended) {
        m_dialogs.messageBox("Data mappings loaded successfully", MsgButtons::OK, MsgIcon::Exclamation,
                             diag::kAppTitle);
    }
    return true;
}

}  // namespace koru::mapping
