#pragma once
// Record helpers shared by the port and point kinds: plain items, row tables and their markers.
#include <functional>
#include <string>
#include <vector>

#include "ports/KindItems.h"
#include "ports/RowTable.h"

namespace vlm {

class TConfig;

std::vector<TRowTable> MakeTables(std::span<const TRowTableDef> defs);
// Writes one plain item; an item with a zero report shows caption + report when it is 0.
void WritePlainItem(TConfig& cfg, const TItemDef& def, const TItemValues& values,
                    const std::string& caption);
// Answers RowCount (sorting the table first) and RowData markers; false for other markers.
bool WriteTableMarker(TConfig& cfg, const TItemDef& def, std::vector<TRowTable>& tables);
// Reads every plain item present in the current container; `width` gives the stored width of an
// item where a record version changes it.
void ReadPlainItems(const TConfig& cfg, TItemValues& values,
                    const std::function<uint16_t(const TItemDef&)>& width = {});
// Count item and rows item of one table; a count larger than the stored rows takes what is there.
void ReadTableRows(const TConfig& cfg, TRowTable& table);
// Adds a note to the image's ReadNotes for every table whose last read dropped rows.
void NoteDroppedRows(TConfig& cfg, const std::string& owner, const std::vector<TRowTable>& tables);

}  // namespace vlm
