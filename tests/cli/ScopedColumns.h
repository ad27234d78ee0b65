#pragma once
// Sets COLUMNS for one test and puts the old value back: the terminal's width
// where the output is a file.

#include <cstdlib>
#include <optional>
#include <string>

#include "support/TestEnvironment.h"

class ScopedColumns {
public:
    explicit ScopedColumns(const char* value)
    {
        if (const char* old = std::getenv("COLUMNS"))
            m_old = old;
        if (value)
            SetEnv("COLUMNS", value);
        else
            UnsetEnv("COLUMNS");
    }
    ~ScopedColumns()
    {
        if (m_old)
            SetEnv("COLUMNS", m_old->c_str());
        else
            UnsetEnv("COLUMNS");
    }
    ScopedColumns(const ScopedColumns&) = delete;
    ScopedColumns& operator=(const ScopedColumns&) = delete;

private:
    std::optional<std::string> m_old;
};
