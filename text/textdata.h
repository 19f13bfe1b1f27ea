// The generated table data (textdata.cpp in the build folder, written by
// tools/textgen.cpp from text/tables/*.tsv). Only texttables.cpp reads it.
#pragma once

namespace t880::text::detail {

struct TableData
{
    int size;
    const char *const *english;
    const char *const *simplified;
    const char *const *traditional;
};

/// In the order of TextTable.
extern const TableData kTableData[5];

} // namespace t880::text::detail
