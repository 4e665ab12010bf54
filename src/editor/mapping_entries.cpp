// The drag-map screen's mapping entries: drops, combined names, whole tables, removal.
#include "editor/drag_map_screen.h"

#include <algorithm>

#include "diag/messages.h"
#include "diag/text.h"
#include "editor/styles.h"
#include "editor/tree_keys.h"
#include "mapping/mapping_repository.h"
#include "wizard/error_trap.h"
#include "wizard/text_helpers.h"

namespace koru::editor {

using wizard::MsgButtons;
using wizard::MsgIcon;
using wizard::MsgResult;
using namespace tree_keys;

std::string mappingChildKey(const std::string& sourceKey, std::int64_t rowId) {
    return sourceKey + std::string(kRowMarker) + std::to_string(rowId);
}

bool isMappingChild(const std::string& key) {
    return key.rfind(kSeparator, 0) == 0 || key.find(kRowMarker) != std::string::npos;
}

std::int64_t mappingRowIdOf(const std::string& childKey) {
    if (childKey.rfind(kSeparator, 0) == 0) return std::stoll(childKey.substr(kSeparator.size()));
    return std::stoll(childKey.substr(childKey.rfind(kRowMarker) + kRowMarker.size()));
}

std::int64_t DragMapScreen::Add_Mapping_Entry(const wizard::TreeNode* sourceNode, const std::string& destTable,
                                              const std::string& destColumn, int level) {
    mapping::ColumnMapping row;
    row.structureId = selectedLevel() > 0 ? selectedLevel() : 1;
    if (destTable != kSeparator && sourceNode) {
        row.sourceTable = wizard::UT_Key_Left(sourceNode->key);
        row.sourceColumn = wizard::UT_Key_Right(sourceNode->key);
    }
    row.destinTable = destTable;
    row.destinColumn = destColumn;
    row.level = level;
    wizard::Context& context = m_services.context;
    return mapping::MappingRepository(context.destination(), context.dialect()).addMapping(row);
}

void DragMapScreen::makeAvailable(const std::string& sourceKey, bool available) {
    if (wizard::TreeNode* node = tvSource.find(sourceKey)) node->available = available;
}

void DragMapScreen::addMappingChild(wizard::Tree& tree, const std::string& fieldKey, const std::string& sourceKey,
                                    std::int64_t rowId) {
    tree.add(fieldKey, mappingChildKey(sourceKey, rowId), wizard::UT_Key_Right(sourceKey), "ColumnMap");
    if (wizard::TreeNode* field = tree.find(fieldKey)) field->expanded = true;
}

void DragMapScreen::Add_Mappings() {
    try {
        int level = selectedLevel();
        if (level == 0) return;
        wizard::Context& context = m_services.context;
        // The shown level's mapped columns are grey; the tree stays opened as the user left it.
        for (wizard::TreeNode& node : tvSource.nodes) node.available = true;
        mapping::MappingRepository repository(context.destination(), context.dialect());
        for (const mapping::ColumnMapping& row : repository.listMappings(level)) {
            std::string column = diag::upperAscii(row.destinColumn);
            std::string code = column.substr(0, 3);
            bool separator = diag::upperAscii(row.destinTable) == kSeparator;
            DestinationTree which = DestinationTree::tvDestinLG;
            if (separator || code == "ALP") {
                which = DestinationTree::tvDestin;
            } else if (code == "NUM") {
                which = DestinationTree::tvDestinNum;
            } else if (code == "DAT") {
                which = DestinationTree::tvDestinDate;
            } else if (code == "CUR") {
                which = DestinationTree::tvDestinCurr;
            } else if (column == "DLINKID") {
                which = DestinationTree::tvDiscovery;
                if (context.EXLAppLinkID > 0) {
                    for (int i = 0; i < cboDiscovery.listCount(); ++i) {
                        if (cboDiscovery.items[i].itemData == context.EXLAppLinkID) {
                            cboDiscovery.listIndex = i;
                            cboDiscovery_Click();
                        }
                    }
                }
            } else if (column == "EMAILID" || column == "WEBID") {
                which = DestinationTree::tvDestinTK;
            }
            wizard::Tree& target = tree(which);
            std::string fieldKey = separator ? "CIID.Alpha1" : row.destinTable + "." + row.destinColumn;
            // A field the shown style does not offer (an asset field without an asset style) is
            // shown apart: the row imports all the same, so the user must see it and can remove it.
            if (!target.find(fieldKey)) {
                const std::string apart(kNotInStyle);
                if (!target.find(apart)) target.add("", apart, "Not in this style").color = 255;
                target.add(apart, fieldKey, row.destinTable + "." + row.destinColumn);
                target.find(apart)->expanded = true;
            }
            if (separator) {
                target.add(fieldKey, std::string(kSeparator) + std::to_string(row.id), row.destinColumn);
                target.find(fieldKey)->expanded = true;
                continue;
            }
            std::string sourceTable = row.sourceTable.value_or("");
            std::string sourceKey = sourceTable + std::string(kMarker) + row.sourceColumn.value_or("");
            addMappingChild(target, fieldKey, sourceKey, row.id);
            if (!sourceTable.empty()) {
                tvSource_Expand(sourceTable);
                makeAvailable(sourceKey, false);
            }
        }
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmDrapMap:Add_Mappings", "");
    }
}

void DragMapScreen::Style_MouseDown(DestinationTree which, MouseButton button, const std::string& key) {
    wizard::Tree& target = tree(which);
    if (!target.find(key)) return;
    target.selectedKey = key;
    popupShown = false;
    if (button != MouseButton::Right) return;
    m_menuNode = key;
    m_menuTree = which;
    if (isMappingChild(key)) {
        Menu_Rename.enabled = false;
        Menu_Remove_Mapping.enabled = true;
        popupShown = true;
        return;
    }
    if (key == kNotInStyle || target.find(key)->parentKey == kNotInStyle) return;
    if (which == DestinationTree::tvDiscovery || which == DestinationTree::tvDestinLG) return;
    Menu_Remove_Mapping.enabled = false;
    // Only fields with a label column in the style can be renamed (not EmailID or WebID).
    Menu_Rename.enabled = renameStatement(key, "", selectedStyle()).has_value();
    popupShown = true;
}

void DragMapScreen::Style_Drag_Over(DestinationTree which, const std::string& key) {
    wizard::Tree& target = tree(which);
    // Only a field takes a drop: not a mapping, the chosen category, or the fields shown apart.
    const wizard::TreeNode* node = target.find(key);
    bool field = node && node->parentKey.empty() && node->key != kNotInStyle;
    target.dropHighlight = field && !isMappingChild(key) ? key : std::string();
}

void DragMapScreen::Style_Drag_Drop(DestinationTree which) {
    try {
        wizard::Tree& target = tree(which);
        std::string field = target.dropHighlight;
        if (field.empty()) return;
        wizard::TreeNode* dropped = tvSource.find(dragNode);
        if (which == DestinationTree::tvKB && field == "Knowledge.CatID") {
            treCat.visible = true;
            return;
        }
        if (!dropped || !dropped->available) return;
        if (isColumnKey(dropped->key)) {
            wizard::TreeNode column = *dropped;
            dropColumn(which, field, column);
        } else if (which != DestinationTree::tvKB && !dropped->parentKey.empty()) {
            std::string table = dropped->key;  // the tree grows while the table is read
            dropTable(which, table);           // (a folder node maps nothing)
        }
        target.dropHighlight.clear();
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmDrapMap:Style_Drap_Drop", "");
    }
}

void DragMapScreen::dropColumn(DestinationTree which, const std::string& fieldKey, const wizard::TreeNode& column) {
    wizard::Tree& target = tree(which);
    wizard::Dialogs& dialogs = m_services.dialogs;
    target.find(fieldKey)->expanded = true;
    std::vector<wizard::TreeNode*> children = target.children(fieldKey);
    if (children.empty()) {
        std::int64_t id = Add_Mapping_Entry(&column, UT_GET_SQL_LINK_TABLE_NAME(fieldKey), destinationColumnOf(fieldKey), 1);
        if (chkFLY.value) relabelOnTheFly(which, fieldKey, column.text);
        addMappingChild(target, fieldKey, column.key, id);
        makeAvailable(column.key, false);
        return;
    }
    if (fieldKey != "CIID.Alpha1") {
        dialogs.messageBox("You cannot map more than one field to another", MsgButtons::OK, MsgIcon::Exclamation,
                           diag::kAppTitle);
        return;
    }
    if (children.size() >= 3) {
        dialogs.messageBox("You cannot map more than 2 fields to this field", MsgButtons::OK, MsgIcon::Exclamation,
                           diag::kAppTitle);
        return;
    }
    MsgResult answer = dialogs.messageBox(
        "Are you sure you want to combine these two source database fields?\r\n"
        "Please be aware that the maximum field length is 35 characters, therefore data may be truncated.\r\n"
        "Also, please be aware that both of the fields that are to be combined have to be 'string' types, not "
        "numeric.  If this is not the case, the import will fail.",
        MsgButtons::YesNo, MsgIcon::Information, diag::kAppTitle);
    if (answer != MsgResult::Yes) return;
    std::string existingTable = wizard::UT_Key_Left(children.front()->key);
    if (diag::upperAscii(existingTable) != diag::upperAscii(wizard::UT_Key_Left(column.key))) {
        dialogs.messageBox("You can only combine 2 fields from the same table", MsgButtons::OK, MsgIcon::Exclamation,
                           diag::kAppTitle);
        return;
    }
    std::optional<std::string> separator = askSeparator();
    if (!separator) return;
    std::int64_t separatorId = Add_Mapping_Entry(nullptr, std::string(kSeparator), *separator, 2);
    target.add(fieldKey, std::string(kSeparator) + std::to_string(separatorId), *separator);
    std::int64_t id = Add_Mapping_Entry(&column, "CIID", "Alpha1", 3);
    addMappingChild(target, fieldKey, column.key, id);
    makeAvailable(column.key, false);
}

std::optional<std::string> DragMapScreen::askSeparator() {
    wizard::Dialogs& dialogs = m_services.dialogs;
    std::string offered = ", ";
    auto refuse = [&](const char* message) {
        dialogs.messageBox(message, MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
    };
    while (true) {
        std::optional<std::string> typed =
            dialogs.askText("What text would you like to use to seperate the two database fields", diag::kAppTitle, offered);
        if (!typed) return std::nullopt;
        std::string text = *typed;
        if (text.find('\'') != std::string::npos) {
            refuse("Sorry, you cannot use quote (') characters in the text sperator");
            offered = wizard::UT_Remove_Quotes(text);
        } else if (text.find(",,") != std::string::npos) {
            refuse("Sorry, you cannot use double comma (,,) characters in the text seperator");
            for (std::size_t at; (at = text.find(",,")) != std::string::npos;) text.erase(at, 2);
            offered = text;
        } else if (diag::characterCount(text) < 4) {
            return text;
        } else {
            refuse("Sorry, the text seperator has a maximum length of 3 characters");
            offered = diag::leftChars(text, 3);
        }
    }
}

void DragMapScreen::removeChild(wizard::Tree& target, const wizard::TreeNode& child) {
    wizard::Context& context = m_services.context;
    mapping::MappingRepository(context.destination(), context.dialect()).removeMapping(mappingRowIdOf(child.key));
    if (child.key.rfind(kSeparator, 0) != 0) {
        makeAvailable(child.key.substr(0, child.key.rfind(kRowMarker)), true);
    }
    std::string key = child.key;
    std::string field = child.parentKey;
    target.remove(key);
    // A field shown apart goes with its last mapping.
    if (const wizard::TreeNode* node = target.find(field); node && node->parentKey == kNotInStyle &&
                                                           target.childCount(field) == 0) {
        target.remove(field);
        if (target.childCount(std::string(kNotInStyle)) == 0) target.remove(std::string(kNotInStyle));
    }
}

void DragMapScreen::dropTable(DestinationTree which, const std::string& tableKey) {
    wizard::Tree& target = tree(which);
    wizard::Dialogs& dialogs = m_services.dialogs;
    if (dialogs.messageBox("Are you sure you want to add the whole table as data mappings?", MsgButtons::YesNo,
                           MsgIcon::Exclamation, diag::kAppTitle) != MsgResult::Yes) {
        return;
    }
    std::vector<std::string> fields;
    for (const wizard::TreeNode& node : target.nodes) {
        if (node.parentKey.empty()) fields.push_back(node.key);
    }
    for (const std::string& field : fields) {
        target.find(field)->expanded = true;
        // Every mapping of the field goes, so that a combined name does not keep half of itself.
        for (const wizard::TreeNode& child : childNodes(target, field)) removeChild(target, child);
    }
    tvSource_Expand(tableKey);
    std::vector<wizard::TreeNode> columns = childNodes(tvSource, tableKey);
    std::size_t paired = std::min(columns.size(), fields.size());
    for (std::size_t i = 0; i < paired; ++i) {
        std::int64_t id =
            Add_Mapping_Entry(&columns[i], UT_GET_SQL_LINK_TABLE_NAME(fields[i]), destinationColumnOf(fields[i]), 1);
        makeAvailable(columns[i].key, false);
        if (chkFLY.value) relabelOnTheFly(which, fields[i], columns[i].text);
        addMappingChild(target, fields[i], columns[i].key, id);
        target.dropHighlight.clear();
    }
    if (columns.size() > paired) {
        dialogs.messageBox(std::to_string(columns.size() - paired) + " of the " + std::to_string(columns.size()) +
                               " columns of " + tableKey + " were not mapped: this tab offers only " +
                               std::to_string(fields.size()) + " fields.",
                           MsgButtons::OK, MsgIcon::Information, diag::kAppTitle);
    }
}

void DragMapScreen::relabelOnTheFly(DestinationTree which, const std::string& fieldKey,
                                    const std::string& columnName) {
    std::size_t width = which == DestinationTree::tvDestinNum ? 15 : 20;
    std::string label = diag::leftChars(diag::trimBlanks(columnName), width);
    if (auto statement = relabelStatement(fieldKey, label, selectedStyle())) {
        m_services.context.destination().execute(*statement);
        tree(which).find(fieldKey)->text = columnName;
    }
}

void DragMapScreen::Menu_Remove_Mapping_Click() {
    try {
        wizard::Tree& target = treeOfTab(ssTab1.tab);
        wizard::TreeNode* node = target.find(target.selectedKey);
        if (!node || !isMappingChild(node->key)) return;
        if (ssTab1.tab == 1 && node->parentKey == "CIID.Alpha1" && target.childCount("CIID.Alpha1") >= 2) {
            for (const wizard::TreeNode& child : childNodes(target, "CIID.Alpha1")) removeChild(target, child);
            return;
        }
        wizard::TreeNode copy = *node;
        removeChild(target, copy);
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmDrapMap:Menu_remove_mapping", "");
    }
}

void DragMapScreen::Menu_Rename_Click() {
    try {
        wizard::Tree& target = tree(m_menuTree);
        wizard::TreeNode* node = target.find(m_menuNode);
        if (!node || isMappingChild(node->key)) return;
        std::optional<std::string> label = askLabel(m_services.dialogs, diag::trimBlanks(node->text));
        if (!label) return;
        // The node shows the new label only once the style holds it.
        auto statement = renameStatement(node->key, *label, selectedStyle());
        if (!statement) return;
        m_services.context.destination().execute(*statement);
        node->text = *label;
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmDrapMap:Menu_rename_click", "");
    }
}

}  // namespace koru::editor
