#include "tests/cli/ProgramRun.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string ReadAndRemove(const std::string& path)
{
    std::string text;
    {
        std::ifstream in(path, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::remove(path.c_str());
    return text;
}

std::string TempLogPath()
{
    char pattern[] = "/tmp/fennex-cli-log-XXXXXX";
    const int fd = ::mkstemp(pattern);
    if (fd >= 0)
        ::close(fd);
    return pattern;
}

pid_t Spawn(const std::vector<std::string>& args, int outFd, const std::string& errPath)
{
    std::vector<std::string> argv{FENNEX_ROTATE_EXE};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargs;
    for (std::string& a : argv)
        cargs.push_back(a.data());
    cargs.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_TRUNC, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, cargs[0], &actions, nullptr, cargs.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int WaitStatus(pid_t pid)
{
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

ProgramResult RunRotate(const std::vector<std::string>& args)
{
    ProgramResult result;
    const std::string outPath = TempLogPath();
    const std::string errPath = TempLogPath();
    const int outFd = ::open(outPath.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    const pid_t pid = outFd >= 0 ? Spawn(args, outFd, errPath) : -1;
    if (outFd >= 0)
        ::close(outFd);
    result.status = WaitStatus(pid);
    result.out = ReadAndRemove(outPath);
    result.err = ReadAndRemove(errPath);
    return result;
}

RunningRotate::RunningRotate(const std::vector<std::string>& args) : m_errPath(TempLogPath())
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return;
    m_pid = Spawn(args, fds[1], m_errPath);
    ::close(fds[1]);
    m_outFd = fds[0];
}

RunningRotate::~RunningRotate()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        WaitStatus(m_pid);
    }
    if (m_outFd >= 0)
        ::close(m_outFd);
    std::remove(m_errPath.c_str());
}

bool RunningRotate::ReadLine(std::string& line)
{
    for (;;) {
        const std::size_t newline = m_pending.find('\n');
        if (newline != std::string::npos) {
            line = m_pending.substr(0, newline);
            m_pending.erase(0, newline + 1);
            return true;
        }
        char buffer[4096];
        const ssize_t got = m_outFd >= 0 ? ::read(m_outFd, buffer, sizeof buffer) : 0;
        if (got <= 0)
            return false;
        m_pending.append(buffer, static_cast<std::size_t>(got));
        m_all.append(buffer, static_cast<std::size_t>(got));
    }
}

void RunningRotate::Signal(int signal) const
{
    if (m_pid > 0)
        ::kill(m_pid, signal);
}

void RunningRotate::CloseOutput()
{
    if (m_outFd >= 0)
        ::close(m_outFd);
    m_outFd = -1;
}

ProgramResult RunningRotate::Wait()
{
    std::string rest;
    while (ReadLine(rest)) {
    }
    ProgramResult result;
    result.status = WaitStatus(m_pid);
    m_pid = -1;
    result.out = m_all;
    result.err = ReadAndRemove(m_errPath);
    return result;
}
