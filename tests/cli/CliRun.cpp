#include "CliRun.h"
#include "support/TestEnvironment.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "cli/Kt7Flash.h"
#include "platform/Clock.h"

namespace {

// Points a file descriptor at a temporary file until Release().
class CaughtStream {
public:
    explicit CaughtStream(int fd) : m_fd(fd), m_file(std::tmpfile()), m_saved(::dup(fd))
    {
        if (!m_file || m_saved < 0 || ::dup2(::fileno(m_file), fd) < 0)
            throw std::runtime_error("cannot catch a stream");
    }
    ~CaughtStream()
    {
        if (m_file)
            Release();
    }
    std::string Release()
    {
        ::dup2(m_saved, m_fd);
        ::close(m_saved);
        std::string text;
        std::rewind(m_file);
        for (int c; (c = std::fgetc(m_file)) != EOF;)
            text += static_cast<char>(c);
        std::fclose(m_file);
        m_file = nullptr;
        return text;
    }

private:
    int m_fd;
    std::FILE* m_file;
    int m_saved;
};

} // namespace

CliRun RunCli(const std::vector<std::string>& args, const std::string& simulate, const std::string& stateHome)
{
    VirtualClock clock;
    return RunCli(args, simulate, stateHome, clock);
}

CliRun RunCli(const std::vector<std::string>& args, const std::string& simulate, const std::string& stateHome,
              Clock& clock)
{
    SetEnv("KT7_SIMULATE", simulate.c_str());
    SetEnv(kLogHomeVariable, stateHome);
    std::vector<std::string> storage = {"kt7-flash"};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : storage)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    CliRun run;
    std::fflush(stdout);
    std::fflush(stderr);
    {
        CaughtStream out(STDOUT_FILENO);
        CaughtStream err(STDERR_FILENO);
        run.exitCode = RunKt7Flash(static_cast<int>(storage.size()), argv.data(), clock);
        std::fflush(stdout);
        std::fflush(stderr);
        run.err = err.Release();
        run.out = out.Release();
    }
    UnsetEnv("KT7_SIMULATE");
    return run;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
