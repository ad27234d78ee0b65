#pragma once
// What a command-line program sets up before anything else, so that text is
// UTF-8 on the way in and out on every system.

#include <string>
#include <vector>

// The program's arguments as UTF-8, in argc/argv form. Windows hands main()
// its arguments in the ANSI code page, which cannot hold every file name;
// there they are taken from the UTF-16 command line instead.
class Utf8Arguments {
public:
    Utf8Arguments(int argc, char** argv);
    Utf8Arguments(const Utf8Arguments&) = delete;
    Utf8Arguments& operator=(const Utf8Arguments&) = delete;

    int Count() const { return static_cast<int>(m_texts.size()); }
    char** Values() { return m_pointers.data(); }

private:
    std::vector<std::string> m_texts;
    std::vector<char*> m_pointers;
};

// Makes a console show our UTF-8 output as text (Windows, see
// ConsoleOutput.h); nothing to do on Linux, whose terminals take UTF-8
// anyway.
void UseUtf8Console();
