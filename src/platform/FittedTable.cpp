#include "platform/FittedTable.h"

#include <algorithm>

#include "platform/DisplayWidth.h"
#include "platform/Utf8.h"

namespace {

using Row = std::vector<std::string>;

std::vector<int> Widths(const TableLayout& layout, const std::vector<Row>& rows, int usable)
{
    const size_t count = layout.columns.size();
    std::vector<int> widths(count);
    for (size_t c = 0; c < count; ++c) {
        int natural = DisplayWidth(layout.columns[c].heading);
        for (const Row& row : rows)
            natural = std::max(natural, DisplayWidth(row[c]));
        widths[c] = usable > 0 ? std::min(natural, layout.columns[c].limit) : natural;
    }
    if (usable <= 0)
        return widths;
    const auto others = [&] {
        int sum = layout.gap * (static_cast<int>(count) - 1);
        for (size_t c = 0; c < count; ++c)
            sum += static_cast<int>(c) == layout.flexible ? 0 : widths[c];
        return sum;
    };
    // Narrow the columns in their order, down to their headings' width,
    // until the flexible one has room.
    int& flexible = widths[static_cast<size_t>(layout.flexible)];
    for (int c : layout.shrinkOrder) {
        const int room = usable - others();
        const int wanted = std::min(flexible, layout.flexibleWanted);
        if (room >= wanted)
            break;
        const int heading = DisplayWidth(layout.columns[static_cast<size_t>(c)].heading);
        widths[static_cast<size_t>(c)] = std::max(heading, widths[static_cast<size_t>(c)] - (wanted - room));
    }
    const int heading = DisplayWidth(layout.columns[static_cast<size_t>(layout.flexible)].heading);
    flexible = std::max(heading, std::min(flexible, usable - others()));
    return widths;
}

std::string Line(const TableLayout& layout, const Row& row, const std::vector<int>& widths, int usable)
{
    const std::string gap(static_cast<size_t>(layout.gap), ' ');
    std::string line;
    for (size_t c = 0; c < row.size(); ++c) {
        const std::string cell = ClipToWidth(row[c], widths[c]);
        const std::string padding(static_cast<size_t>(std::max(0, widths[c] - DisplayWidth(cell))), ' ');
        if (c > 0)
            line += gap;
        if (layout.columns[c].rightAligned)
            line += padding + cell;
        else
            line += c + 1 == row.size() ? cell : cell + padding;
    }
    // Only a terminal too narrow for the headings gets here.
    return (usable > 0 ? ClipToWidth(line, usable) : line) + "\n";
}

} // namespace

std::string PrintableText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const Utf8Char c = NextUtf8Char(text);
        if (c.valid && IsControlCharacter(c.codePoint))
            out += ' ';
        else
            out.append(text.substr(0, c.length));
        text.remove_prefix(c.length);
    }
    return out;
}

std::string FitTable(const TableLayout& layout, std::vector<Row> rows, int columns)
{
    const int usable = columns > 0 ? columns - 1 : 0;
    for (Row& row : rows) {
        row.resize(layout.columns.size());
        for (std::string& cell : row)
            cell = PrintableText(cell);
    }
    const std::vector<int> widths = Widths(layout, rows, usable);
    Row heading;
    for (const TableColumn& column : layout.columns)
        heading.push_back(column.heading);
    std::string table = Line(layout, heading, widths, usable);
    for (const Row& row : rows)
        table += Line(layout, row, widths, usable);
    return table;
}
