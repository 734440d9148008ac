#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>

#include "tools/catalog_builder/CatalogSeed.h"

namespace zorbel::test {

// A fresh folder under the temporary folder, removed with its contents at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return m_path; }
    bool IsEmpty() const;

private:
    std::string m_path;
};

// Writes a catalog for the program into <dataHome>/Zorbel/ZorbelPlim.dat, as the data folder
// that GetDbPath returns for XDG_DATA_HOME=dataHome. false when building failed.
bool WriteCatalog(const std::string& dataHome, const catalogbuild::CatalogSeed& seed,
                  const std::string& key = "R807@391T");

// A child process of the test: the program itself, with some environment values changed.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Start(const std::string& executable, const std::map<std::string, std::string>& env);
    // Pumps this process's events while waiting, so that windows of the test can answer
    // the child. false when the child still runs when the guard time is up.
    bool WaitForExit(std::chrono::milliseconds guard, int* exitStatus);
    // Reaps the child when it has ended.
    bool Running();
    // The exit status of an ended child (128 + signal when killed); -1 while it runs.
    int ExitStatus() const { return m_exitStatus; }
    void Kill();
    // Asks the child to end (SIGTERM) and reaps it; kills it when it does not end in time.
    void Terminate();

private:
    void Reaped(int status);

    pid_t m_pid = -1;
    int m_exitStatus = -1;
};

// The program's executable in the app folder.
std::string ProgramPath();

}  // namespace zorbel::test
