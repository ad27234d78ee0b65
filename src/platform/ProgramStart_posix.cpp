#include "platform/ProgramStart.h"

Utf8Arguments::Utf8Arguments(int argc, char** argv) : m_texts(argv, argv + argc)
{
    for (std::string& text : m_texts)
        m_pointers.push_back(text.data());
    m_pointers.push_back(nullptr);
}

void UseUtf8Console() {}
