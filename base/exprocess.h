// Starts a program: directly with CreateProcessW, or elevated through the shell.
#pragma once

#include <vector>

#include "../text/exstrmap.h"
#include "uniquehandle.h"

class exprocess {
public:
    exprocess() = default;
    virtual ~exprocess() = default;
    exprocess(const exprocess&) = delete;
    exprocess& operator=(const exprocess&) = delete;

    // Refused while the handle of a launched process is held.
    bool SetProgram(const exstring& program);
    bool SetArguments(const exstring& arguments);

    // Refuses to run twice; true when a process was started.
    bool Launch();

    // The child's environment block for the variables and Path directories,
    // or empty when the child should inherit the parent's unchanged.
    std::vector<wchar_t> BuildEnvironmentBlock() const;
    // The command line handed to CreateProcessW.
    exstring CommandLine() const;

    bool elevate = false;
    bool suspended = false;
    bool inheritHandles = false;
    std::vector<exstring> pathDirectories;
    exstrmap<exstring> environment;
    exstring workingDirectory;

    const exstring& Program() const { return program_; }
    const exstring& Arguments() const { return arguments_; }
    HANDLE Process() const { return process_.Get(); }
    HANDLE Thread() const { return thread_.Get(); }

private:
    bool LaunchElevated();
    bool LaunchDirect();

    exstring program_;
    exstring arguments_;
    UniqueHandle process_;
    UniqueHandle thread_;
};
