#pragma once

#include <string>

#include "wizard/controls.h"
#include "wizard/navigator.h"

namespace koru::editor {

// Whether an ADO type code is one a link between levels or tables may join on without a
// warning: the integer, floating, decimal and numeric codes.
bool isLinkNumericType(int adoType);

// Fills a list with the columns of a source table, each with its type code as item data. A
// name the source does not read as it stands is quoted and read again; a table the user may not
// read is reported, and its list stays empty.
void UT_Add_DB_Items(wizard::ScreenServices& services, wizard::ListBox& list, const std::string& table);

}  // namespace koru::editor
