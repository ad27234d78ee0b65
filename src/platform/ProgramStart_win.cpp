#include "platform/ProgramStart.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/ConsoleOutput.h"
#include "platform/WideText.h"

Utf8Arguments::Utf8Arguments(int argc, char** argv)
{
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide) {
        for (int i = 0; i < count; ++i)
            m_texts.push_back(WideToUtf8(wide[i]));
        LocalFree(wide);
    } else {
        m_texts.assign(argv, argv + argc);
    }
    for (std::string& text : m_texts)
        m_pointers.push_back(text.data());
    m_pointers.push_back(nullptr);
}

void UseUtf8Console()
{
    RouteConsoleOutputAsUtf16();
}
