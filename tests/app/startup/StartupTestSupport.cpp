#include "tests/app/startup/StartupTestSupport.h"

#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>
#include <vector>

#include "tests/support/WindowTestSupport.h"
#include "tools/catalog_builder/CatalogBuilder.h"

extern char** environ;

namespace zorbel::test {

ScratchFolder::ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zorbel-boot-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) != nullptr) m_path = name.data();
}

ScratchFolder::~ScratchFolder() {
    std::error_code error;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, error);
}

bool ScratchFolder::IsEmpty() const {
    std::error_code error;
    return std::filesystem::is_empty(m_path, error) && !error;
}

bool WriteCatalog(const std::string& dataHome, const catalogbuild::CatalogSeed& seed,
                  const std::string& key) {
    const std::string folder = dataHome + "/Zorbel";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return catalogbuild::BuildCatalog(seed, folder + "/ZorbelPlim.dat", key).ok;
}

ChildProcess::~ChildProcess() {
    Kill();
}

bool ChildProcess::Start(const std::string& executable,
                         const std::map<std::string, std::string>& env) {
    std::map<std::string, std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string text = *entry;
        auto equals = text.find('=');
        if (equals != std::string::npos) merged[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& [key, value] : env) merged[key] = value;
    std::vector<std::string> texts;
    for (const auto& [key, value] : merged) texts.push_back(key + "=" + value);
    std::vector<char*> envp;
    for (auto& text : texts) envp.push_back(text.data());
    envp.push_back(nullptr);

    std::string program = executable;
    char* argv[] = {program.data(), nullptr};
    return posix_spawn(&m_pid, program.c_str(), nullptr, nullptr, argv, envp.data()) == 0;
}

bool ChildProcess::WaitForExit(std::chrono::milliseconds guard, int* exitStatus) {
    int status = 0;
    bool exited = PumpUntil(
        [&] {
            if (m_pid <= 0) return true;
            if (waitpid(m_pid, &status, WNOHANG) != m_pid) return false;
            Reaped(status);
            return true;
        },
        guard);
    if (exited && exitStatus != nullptr) *exitStatus = m_exitStatus;
    return exited;
}

bool ChildProcess::Running() {
    if (m_pid <= 0) return false;
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
        Reaped(status);
        return false;
    }
    return true;
}

void ChildProcess::Reaped(int status) {
    m_pid = -1;
    m_exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void ChildProcess::Kill() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

void ChildProcess::Terminate() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    if (!WaitForExit(std::chrono::seconds(10), nullptr)) Kill();
}

std::string ProgramPath() {
    return std::string(ZORBEL_APP_DIR) + "/zorbel";
}

}  // namespace zorbel::test
