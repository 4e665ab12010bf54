#include "editor/source_viewers.h"

#include "db/connection_factory.h"
#include "db/source_dialect.h"
#include "diag/messages.h"
#include "wizard/error_trap.h"
#include "wizard/text_helpers.h"

namespace koru::editor {

using wizard::ScreenId;

std::string dataTypeDescription(int code) {
    switch (code) {
        case 0: return "NA";
        case 2: return "Small Integer (2 byte)";
        case 3: return "Integer (4 byte)";
        case 4: return "Single precision floating point value";
        case 5: return "Double precision floating point value";
        case 6: return "Currency";
        case 7: return "Date";
        case 8: return "Null-Terminated Character String (Unicode)";
        case 11: return "Boolean";
        case 14: return "Decimal";
        case 16: return "Tiny Integer (1 byte)";
        case 17: return "Unsigned integer (1 byte)";
        case 18: return "Unsigned integer (2 byte)";
        case 19: return "Unsigned integer (4 byte)";
        case 72: return "Globally unique indentifier (GUID)";
        case 129: return "adChar = String";
        case 130: return "Null terminated unicode character string(2)";
        case 131: return "Exact numeric value";
        case 132: return "User Defined Variable";
        case 139: return "adVarNumeric = Numeric";
        case 200: return "adVarChar = String";
        case 202: return "Null terminated unicode character string";
        case 203: return "Long null-terminated unicode string";
        case 204: return "Binary";
        default: return {};
    }
}

DataViewDialog::DataViewDialog(wizard::ScreenServices services)
    : Screen(ScreenId::frmDataView), m_services(services) {
    width = 760;
    height = 480;
}

void DataViewDialog::Form_Load() { caption = std::string(diag::kAppTitle); }

void DataViewDialog::Show_Form(const std::string& query, const std::string& nodeKey, const std::string& connectionString) {
    m_services.dialogs.setBusy(true);
    try {
        caption = std::string(diag::kAppTitle) + " - " + nodeKey;
        columns.clear();
        rows.clear();
        m_rows.reset();
        // The grid reads on a connection of its own, as a bound grid does.
        m_connection = db::openConnection(connectionString);
        m_rows = m_connection->query(query);
        for (std::size_t i = 0; i < m_rows->fieldCount(); ++i) columns.push_back(m_rows->field(i).name);
        m_atEnd = false;
        fetchMore();
    } catch (const std::exception& error) {
        m_services.dialogs.setBusy(false);
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmDataView:Show_form", "");
        m_services.navigator.unloadScreen(id());
        return;
    }
    m_services.dialogs.setBusy(false);
    m_services.navigator.showModal(*this);
}

bool DataViewDialog::fetchMore() {
    if (m_atEnd || !m_rows) return false;
    std::size_t before = rows.size();
    try {
        for (std::size_t read = 0; read < kPageRows; ++read) {
            if (!m_rows->next()) {
                m_atEnd = true;
                break;
            }
            std::vector<std::string> row;
            row.reserve(columns.size());
            for (std::size_t i = 0; i < columns.size(); ++i) row.emplace_back(m_rows->text(i).value_or(""));
            rows.push_back(std::move(row));
        }
    } catch (const std::exception& error) {
        // Scrolling on after a failed read shows what was read.
        m_atEnd = true;
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmDataView:Show_form", "");
    }
    if (m_atEnd) {
        m_rows.reset();
        m_connection.reset();
    }
    return rows.size() > before;
}

ColumnPropertiesDialog::ColumnPropertiesDialog(wizard::ScreenServices services)
    : Screen(ScreenId::frmColProps), m_services(services) {
    width = 420;
    height = 220;
}

void ColumnPropertiesDialog::Form_Load() {
    caption = "Column properties";
    lblName.caption = "Name";
    lblDataType.caption = "Data Type";
    lblLength.caption = "Length";
    lblPrimaryKey.caption = "Primary Key";
    cmdOK.caption = "&OK";
    for (wizard::TextBox* box : {&txtName, &txtDataType, &txtLength}) box->locked = true;
}

void ColumnPropertiesDialog::Show_Form(const std::string& table, const std::string& column) {
    try {
        db::Connection& source = m_services.context.source();
        // Bracketed like every other source name, so blanks, reserved words and another source's
        // quoting rule (rewritten by the connection) do not break it.
        bool bare = m_services.context.NoBrackets;
        auto rows = source.query(db::sourceDialectOf(source)->selectTop(
            1, wizard::UT_Bracket_Name(column, bare) + " From " + wizard::UT_Bracket_Name(table, bare)));
        const db::FieldInfo& field = rows->field(0);
        txtDataType.text = dataTypeDescription(field.adoType);
        txtLength.text = std::to_string(field.precision);
        txtName.text = field.name;
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmColProps_Show_Form", "");
        m_services.navigator.unloadScreen(id());
        return;
    }
    m_services.navigator.showModal(*this);
}

void ColumnPropertiesDialog::cmdOK_Click() { m_services.navigator.unloadScreen(id()); }

}  // namespace koru::editor
