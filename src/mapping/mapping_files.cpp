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
#include "diag/text_encoding.h"
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

// B: the template path without its four-character extension.
std::string baseName(const std::string& fileName) {
    if (fileName.size() <= 4) throw std::invalid_argument("the template name has no extension: " + fileName);
    return fileName.substr(0, fileName.size() - 4);
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

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(' ') == std::string::npos) continue;  // blank lines carry no row
        lines.push_back(line);
    }
    return lines;
}

std::string readFile(const fs::path& path) {
    std::optional<std::string> text = diag::readTextFile(path);
    if (!text) throw FileFailure(db::fileErrorRecord(errno), "cannot read " + path.string());
    return *text;
}

// One field of a table-file line as the value it stands for. Read raw, so that a text column
// holding True or False keeps it.
std::string valueOf(const std::string& line, int n, bool bareAllowed) {
    std::optional<std::string> value = fieldValue(rawField(line, n), bareAllowed);
    if (!value) {
        throw std::invalid_argument("field " + std::to_string(n) + " is not a single quoted value: " + line);
    }
    return *value;
}

db::Value textValue(const std::string& line, int n) { return valueOf(line, n, false); }

// Integer and bit fields may be bare digits (the first field of a mapping line); True and False
// are 1 and 0 there.
db::Value integerValue(const std::string& line, int n) {
    std::string text = valueOf(line, n, true);
    std::optional<std::int64_t> number = integerColumnValue(text);
    if (!number) throw std::invalid_argument("field " + std::to_string(n) + " is not a number: " + line);
    return *number;
}

void expectFields(const std::string& line, std::initializer_list<int> counts, const char* file) {
    int count = UT_Count_TXTFile_Parameters(line);
    for (int allowed : counts) {
        if (count == allowed) return;
    }
    throw std::invalid_argument(std::string(file) + " line has " + std::to_string(count) + " fields: " + line);
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

        // Every line is read and checked first, so that a malformed file inserts nothing.
        std::vector<std::vector<db::Value>> clauses;
        for (const std::string& raw : splitLines(readFile(clauseFile))) {
            std::string line = upgradeOlderLine(raw);
            expectFields(line, {7}, "clause");
            clauses.push_back({integerValue(line, 1), textValue(line, 2), textValue(line, 3), textValue(line, 4),
                               textValue(line, 5), integerValue(line, 6), integerValue(line, 7)});
        }
        std::vector<std::vector<db::Value>> tableLinks;
        if (fs::is_regular_file(tableLinkFile, ec)) {
            for (const std::string& raw : splitLines(readFile(tableLinkFile))) {
                std::string line = upgradeOlderLine(raw);
                expectFields(line, {5, 6}, "table link");
                if (UT_Count_TXTFile_Parameters(line) == 6 && !Read_From_File(line, 6).empty()) {
                    throw std::invalid_argument("table link line has text after its fifth field: " + line);
                }
                tableLinks.push_back({integerValue(line, 1), textValue(line, 2), textValue(line, 3),
                                      textValue(line, 4), textValue(line, 5)});
            }
        }
        std::vector<std::vector<db::Value>> levels;
        for (const std::string& raw : splitLines(readFile(structureFile))) {
            std::string line = upgradeOlderLine(raw);
            expectFields(line, {7, 8}, "structure");
            std::vector<db::Value> level = {integerValue(line, 1), textValue(line, 2), textValue(line, 3),
                                            textValue(line, 4),    integerValue(line, 5), integerValue(line, 6),
                                            integerValue(line, 7)};
            if (UT_Count_TXTFile_Parameters(line) == 8) level.push_back(integerValue(line, 8));
            levels.push_back(std::move(level));
        }
        std::vector<std::vector<db::Value>> mappings;
        for (const std::string& raw : splitLines(readFile(mappingFile))) {
            std::string line = upgradeOlderLine(raw);
            expectFields(line, {5, 6}, "mapping");
            std::vector<db::Value> mapping = {integerValue(line, 1), textValue(line, 2), textValue(line, 3),
                                              textValue(line, 4), textValue(line, 5)};
            mapping.push_back(UT_Count_TXTFile_Parameters(line) == 6 ? integerValue(line, 6) : db::Value{std::int64_t{1}});
            mappings.push_back(std::move(mapping));
        }
        std::optional<ParentSettings> parent;
        if (fs::is_regular_file(parentFile, ec)) parent = parseParentFile(readFile(parentFile));

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
