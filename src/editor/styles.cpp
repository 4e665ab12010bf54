#include "editor/styles.h"

#include "diag/messages.h"
#include "diag/text.h"
#include "wizard/text_helpers.h"

namespace koru::editor {

using wizard::MsgButtons;
using wizard::MsgIcon;
using wizard::MsgResult;

namespace {

// Quotes neutralised, blanks trimmed: what a typed name or label is stored as.
std::string neutralised(const std::string& typed) {
    return diag::trimBlanks(wizard::UT_Remove_Quotes_Value(typed));
}

std::optional<std::string> labelUpdate(const std::string& fieldKey, const std::string& label, std::int16_t styleId,
                                       bool labelColumnsOnly) {
    std::string table = diag::upperAscii(UT_GET_SQL_LINK_TABLE_NAME(fieldKey));
    std::string column = destinationColumnOf(fieldKey);
    std::string upper = diag::upperAscii(column);
    bool labelled = false;
    for (const char* prefix : {"ALPHA", "NUM", "DATE", "CURR"}) labelled = labelled || upper.rfind(prefix, 0) == 0;
    // A rename may also name the asset location, which has a label column of its own; EmailID and
    // WebID have none.
    if (!labelled && (labelColumnsOnly || table != "ASSETCIID" || upper != "LOCATION")) return std::nullopt;
    std::string value = wizard::UT_Remove_Quotes_Value(label);
    if (table == "CIID") {
        return "Update Style Set " + column + " = '" + value + "' Where ID = " + std::to_string(styleId);
    }
    if (table == "ASSETCIID") {
        return "Update AssetStyle Set " + column + " = '" + value + "' Where StyleID = " + std::to_string(styleId);
    }
    return std::nullopt;
}

}  // namespace

std::optional<StyleRow> readStyleRow(db::Connection& destination, const std::string& sql) {
    auto rows = destination.query(sql);
    if (!rows->next()) return std::nullopt;
    StyleRow row;
    for (std::size_t i = 0; i < rows->fieldCount(); ++i) {
        if (auto value = rows->value(i)) row[diag::upperAscii(rows->field(i).name)] = *value;
    }
    return row;
}

std::vector<std::pair<long, std::string>> styleList(db::Connection& destination) {
    std::vector<std::pair<long, std::string>> styles;
    auto rows = destination.query("Select id, specstyle from style order by id asc");
    while (rows->next()) {
        std::string name = diag::trimBlanks(rows->value(std::size_t{1}).value_or(""));
        if (diag::upperAscii(name) == "REQUEST") continue;
        styles.emplace_back(std::stol(rows->value(std::size_t{0}).value_or("0")), name);
    }
    return styles;
}

std::optional<std::string> relabelStatement(const std::string& fieldKey, const std::string& label,
                                            std::int16_t styleId) {
    return labelUpdate(fieldKey, label, styleId, true);
}

std::optional<std::string> renameStatement(const std::string& fieldKey, const std::string& label,
                                           std::int16_t styleId) {
    return labelUpdate(fieldKey, label, styleId, false);
}

std::optional<std::string> askLabel(wizard::Dialogs& dialogs, const std::string& offered) {
    std::string text = offered;
    while (true) {
        auto typed = dialogs.askText("Enter The Name For This Style", diag::kAppTitle, text);
        if (!typed) return std::nullopt;
        std::string label = neutralised(*typed);
        if (diag::characterCount(label) <= 20) return label;
        dialogs.messageBox("Maximum Length For A Style Is 20 Characters", MsgButtons::OK, MsgIcon::Exclamation,
                           diag::kAppTitle);
        text = diag::leftChars(label, 20);
    }
}

std::string newStyleInsert(const std::string& name) {
    std::string sql = "Insert Into Style(Specstyle, DisplayID, ";
    for (int n = 1; n <= 15; ++n) sql += "Alpha" + std::to_string(n) + "Req , ";
    for (int n = 1; n <= 10; ++n) sql += "Num" + std::to_string(n) + "Req , ";
    sql.resize(sql.size() - 2);
    sql += ") Values ('" + name + "' , 'Alpha1', ";
    for (int n = 0; n < 25; ++n) sql += "0, ";
    sql.resize(sql.size() - 2);
    return sql + ")";
}

std::string newAssetStyleInsert(const std::string& name, std::int64_t styleId) {
    std::string sql = "Insert Into AssetStyle(Specstyle, StyleID, Location, CustomF1, CustomF2, ";
    for (int n = 1; n <= 5; ++n) {
        std::string i = std::to_string(n);
        sql += "Alpha" + i + "Req , " + "Num" + i + "Req , " + "Date" + i + "Req , " + "Curr" + i + "Req , ";
    }
    sql.resize(sql.size() - 2);
    sql += ") Values ('" + name + "' ," + std::to_string(styleId) + " , 1, 'Alpha1', 'Alpha2', ";
    for (int n = 0; n < 20; ++n) sql += "0, ";
    sql.resize(sql.size() - 2);
    return sql + ")";
}

std::optional<std::int64_t> createBlankStyle(db::Connection& destination, wizard::Dialogs& dialogs, bool lgEnabled) {
    if (dialogs.messageBox("Do You Want To Create A Blank Style?", MsgButtons::YesNo, MsgIcon::Question,
                           diag::kAppTitle) != MsgResult::Yes) {
        return std::nullopt;
    }
    auto refuse = [&](const std::string& message) {
        dialogs.messageBox(message, MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
    };
    std::string offered;
    std::string name;
    while (true) {
        auto typed = dialogs.askText("Enter The Name For This Style", diag::kAppTitle, offered);
        if (!typed) return std::nullopt;
        name = neutralised(*typed);
        offered = name;
        if (name.empty() || diag::upperAscii(name) == "REQUEST") {
            refuse("Please Select A Valid Name");
            continue;
        }
        if (diag::characterCount(name) > 20) {
            refuse("Maximum Length For A Style Is 20 Characters");
            offered = diag::leftChars(name, 20);
            continue;
        }
        auto count = destination.query("Select count(id) as CID from style where specstyle = '" + name + "'");
        bool taken = count->next() && count->value("cid").value_or("0") != "0";
        count.reset();
        if (taken) {
            refuse("Sorry, a style named" + std::string(" ") + name + " already exists");
            continue;
        }
        break;
    }
    destination.execute(newStyleInsert(name));
    std::int64_t id = 0;
    {
        auto rows = destination.query("Select max(ID) as 'MAX' from Style");
        if (rows->next()) id = std::stoll(rows->value("Max").value_or("0"));
    }
    if (lgEnabled) destination.execute(newAssetStyleInsert(name, id));
    return id;
}

}  // namespace koru::editor
