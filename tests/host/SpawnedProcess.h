#pragma once

#include <JuceHeader.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

#include <map>
#include <string>
#include <vector>

// Programs that the host tests start: our host program and the JACK tools. Each runs
// in a process group of its own with the environment it is given, its output going
// to a log file, so that it and anything it starts can be stopped together and its
// complaints read when a test fails. Every wait is bounded.
class SpawnedProcess
{
public:
    using Environment = std::map<std::string, std::string>;

    SpawnedProcess() = default;
    SpawnedProcess (const SpawnedProcess&) = delete;
    SpawnedProcess& operator= (const SpawnedProcess&) = delete;
    ~SpawnedProcess() { stop(); }

    // stdin is a pipe this object holds open until stop(): some programs (jalv) end
    // when their input ends.
    bool start (const juce::StringArray& command, const Environment& environment, const juce::File& log)
    {
        stop();
        logFile = log;
        exited = false;
        exitCode = -1;
        int input[2];
        if (command.isEmpty() || pipe (input) != 0)
            return false;

        std::vector<std::string> args, env;
        for (const auto& a : command)
            args.push_back (a.toStdString());
        for (const auto& [name, value] : environment)
            env.push_back (name + "=" + value);
        std::vector<char*> argv, envp;
        for (auto& a : args)
            argv.push_back (a.data());
        for (auto& e : env)
            envp.push_back (e.data());
        argv.push_back (nullptr);
        envp.push_back (nullptr);
        const auto logPath = log.getFullPathName().toStdString();

        pid = fork();
        if (pid == 0)
        {
            setpgid (0, 0);
            dup2 (input[0], STDIN_FILENO);
            close (input[1]);
            const int out = open (logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            dup2 (out, STDOUT_FILENO);
            dup2 (out, STDERR_FILENO);
            execvpe (argv[0], argv.data(), envp.data());
            _exit (127);
        }
        close (input[0]);
        if (pid < 0)
        {
            close (input[1]);
            return false;
        }
        setpgid (pid, pid);
        stdinPipe = input[1];
        return true;
    }

    bool isRunning()
    {
        reap (false);
        return pid > 0 && !exited;
    }

    // The exit code once the process ended within the time, or -1.
    int waitForExit (int milliseconds)
    {
        const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) milliseconds;
        while (isRunning() && juce::Time::getMillisecondCounter() < deadline)
            juce::Thread::sleep (20);
        return pid > 0 && exited ? exitCode : -1;
    }

    // Asks the whole group to end, and forces it after a short while.
    void stop()
    {
        if (stdinPipe >= 0)
            close (stdinPipe);
        stdinPipe = -1;
        if (!isRunning())
            return;
        kill (-pid, SIGTERM);
        if (waitForExit (3000) < 0 && isRunning())
        {
            kill (-pid, SIGKILL);
            waitForExit (3000);
        }
    }

    juce::String log() const { return logFile.loadFileAsString(); }

private:
    void reap (bool block)
    {
        if (pid <= 0 || exited)
            return;
        int status = 0;
        if (waitpid (pid, &status, block ? 0 : WNOHANG) == pid)
        {
            exited = true;
            exitCode = WIFEXITED (status) ? WEXITSTATUS (status) : 128 + WTERMSIG (status);
        }
    }

    pid_t pid = -1;
    int stdinPipe = -1;
    bool exited = false;
    int exitCode = -1;
    juce::File logFile;
};

struct ProgramResult
{
    int exitCode = -1; // -1 when it did not end in time
    juce::String output;
};

// Runs a program to its end (or kills it after the time) and returns what it printed.
inline ProgramResult runProgram (const juce::StringArray& command, const SpawnedProcess::Environment& environment,
                                 int milliseconds = 120000)
{
    const auto log = juce::File::createTempFile ("toravel-test.log");
    ProgramResult result;
    {
        SpawnedProcess process;
        if (process.start (command, environment, log))
        {
            result.exitCode = process.waitForExit (milliseconds);
            process.stop();
        }
    }
    result.output = log.loadFileAsString();
    log.deleteFile();
    return result;
}

// The environment the tests start programs with: this one's, with HOME replaced so
// that nothing of the user's (plug-in folders, JACK settings) takes part.
inline SpawnedProcess::Environment environmentWithHome (const juce::File& home)
{
    SpawnedProcess::Environment environment;
    for (char** e = environ; *e != nullptr; ++e)
    {
        const std::string entry (*e);
        const auto equals = entry.find ('=');
        if (equals != std::string::npos)
            environment[entry.substr (0, equals)] = entry.substr (equals + 1);
    }
    environment["HOME"] = home.getFullPathName().toStdString();
    return environment;
}
