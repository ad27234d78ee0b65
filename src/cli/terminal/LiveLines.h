#pragma once
// Lines at the foot of a terminal that are redrawn in place (the devices'
// rows, a count), with lines that stay printed above them. Without a
// terminal nothing is redrawn: the lines that stay are printed as they come.
// Its owner serialises the calls.

#include <cstdio>
#include <string>
#include <vector>

class LiveLines {
public:
    LiveLines(std::FILE* out, bool interactive) : m_out(out), m_interactive(interactive) {}

    bool Interactive() const { return m_interactive; }
    // The terminal's columns.
    int Columns() const;

    // Erases the lines drawn last and draws these in their place, each
    // clipped within the terminal's width: a line that wrapped would throw
    // off the count of lines to go back up.
    void Draw(const std::vector<std::string>& lines);
    // A line that stays, printed where the live lines were; `lines` are
    // drawn again below it.
    void PrintAbove(const std::string& text, const std::vector<std::string>& lines);

private:
    void Erase();

    std::FILE* const m_out;
    const bool m_interactive;
    size_t m_drawn = 0;
};
