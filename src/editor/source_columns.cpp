#include "editor/source_columns.h"

#include <algorithm>

#include "wizard/text_helpers.h"

namespace koru::editor {

bool isLinkNumericType(int adoType) {
    static const int kNumeric[] = {2, 3, 4, 5, 14, 16, 17, 18, 19, 131, 139};
    return std::find(std::begin(kNumeric), std::end(kNumeric), adoType) != std::end(kNumeric);
}

void UT_Add_DB_Items(wizard::ScreenServices& services, wizard::ListBox& list, const std::string& table) {
    wizard::Context& context = services.context;
    list.clear();
    std::unique_ptr<db::Recordset> rows;
    try {
        try {
            rows = context.source().query("Select * From " + table);
        } catch (const db::DbError& error) {
            if (error.code() != db::kErrCommandText) throw;
            rows = context.source().query("Select * From " + wizard::UT_Bracket_Name(table, context.NoBrackets));
        }
    } catch (const db::DbError& error) {
        services.reporter.UT_Report_Error(
            error.toErrorRecord(), "Utility:UT_Add_DB_Items",
            error.code() == db::kErrPermissionDenied ? "Read Permission Denied On Table : " + table : "");
        return;
    }
    for (std::size_t i = 0; i < rows->fieldCount(); ++i) list.addItem(rows->field(i).name, rows->field(i).adoType);
}

}  // namespace koru::editor
