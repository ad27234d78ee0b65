#pragma once
// A table of text for a terminal: columns that line up whatever the script
// of their texts, fitted to the terminal's width so that no line wraps. One
// column (a result with its reason) takes the width the others leave, and
// some columns give up width, down to their headings', before it gets too
// narrow to read. Cells keep to their line and send the terminal no
// commands, whatever a device or a file put into them.

#include <string>
#include <vector>

struct TableColumn {
    std::string heading;
    int limit = 1 << 20;  // the widest it gets on a terminal
    bool rightAligned = false;
};

struct TableLayout {
    std::vector<TableColumn> columns;
    int gap = 1;                   // spaces between two columns
    int flexible = 0;              // the column that takes what is left
    int flexibleWanted = 20;       // below this the columns in `shrinkOrder` give up width
    std::vector<int> shrinkOrder;  // first to last
};

// The heading line and a line per row, each ending in '\n'. On a terminal
// `columns` wide every line is narrower than it; with `columns` 0 (not a
// terminal) every column is as wide as its widest cell and nothing is cut.
std::string FitTable(const TableLayout& layout, std::vector<std::vector<std::string>> rows, int columns);

// The text with its control characters (C0, DEL and, in UTF-8, C1) made
// spaces: a line break, a tab or an escape sequence from outside stays on
// its line and does nothing.
std::string PrintableText(std::string_view text);
