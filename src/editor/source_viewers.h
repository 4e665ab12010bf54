#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "db/connection.h"
#include "wizard/controls.h"
#include "wizard/navigator.h"

namespace koru::editor {

// frmDataView: the rows of a source table in a read-only grid, read a page at a time as the
// user scrolls, so that any size of table opens at once and in little memory.
class DataViewDialog : public wizard::Screen {
public:
    explicit DataViewDialog(wizard::ScreenServices services);

    void Form_Load() override;
    // Opens `query` on a connection of its own (the source connection string) and shows the
    // first page; the dialog is then shown modally.
    void Show_Form(const std::string& query, const std::string& nodeKey, const std::string& connectionString);
    // Reads the next page; false when it added no row.
    bool fetchMore();
    bool atEnd() const { return m_atEnd; }

    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;  // null shown as empty text

    static constexpr std::size_t kPageRows = 500;

private:
    wizard::ScreenServices m_services;
    std::unique_ptr<db::Connection> m_connection;
    std::unique_ptr<db::Recordset> m_rows;
    bool m_atEnd = true;
};

// frmColProps: the name, type and length of one source column.
class ColumnPropertiesDialog : public wizard::Screen {
public:
    explicit ColumnPropertiesDialog(wizard::ScreenServices services);

    void Form_Load() override;
    void Show_Form(const std::string& table, const std::string& column);
    void cmdOK_Click();

    wizard::Label lblName;
    wizard::Label lblDataType;
    wizard::Label lblLength;
    wizard::Label lblPrimaryKey;
    wizard::TextBox txtName;
    wizard::TextBox txtDataType;
    wizard::TextBox txtLength;
    wizard::Button cmdOK;

private:
    wizard::ScreenServices m_services;
};

// The description of an ADO type code; empty for a code without one.
std::string dataTypeDescription(int code);

}  // namespace koru::editor
