#pragma once
// The one line kt7-flash redraws on a terminal: bar, percent, the area and
// the time estimate, fitted to the terminal's width.

#include <string>

// The status text without its "NN%完成，": the percent has its own place.
std::string StatusWithoutPercent(const std::string& status);

// The line for `columns` columns. It takes at most columns - 1 of them, so
// that the cursor never reaches the last column and the line never wraps;
// the percent stays when everything else must give way, then the text, and
// the bar goes first.
std::string LayoutProgressLine(int columns, int percent, const std::string& area, const std::string& status);
