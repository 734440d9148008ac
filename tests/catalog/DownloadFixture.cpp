#include "tests/catalog/DownloadFixture.h"

#include "catalog/DownloadState.h"
#include "catalog/TitleDownload.h"
#include "tools/demo_server/BodySource.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

namespace zorbel::test {

void DownloadFixture::SetUp() {
    ASSERT_FALSE(m_root.Path().empty());
    m_content = m_root.File("content");
    m_cache = m_root.File("cache");
    const std::string www = m_root.File("www");
    fs::create_directories(m_content);
    fs::create_directories(m_cache);
    fs::create_directories(www);
    m_substitute = m_root.File("Velaone.dll");
    m_substituteBytes = "substitute title " + std::string(300, 'S');
    std::ofstream(m_substitute, std::ios::binary) << m_substituteBytes;

    zorbel::demo::DemoServerOptions options;
    options.contentDir = m_content;
    options.wwwDir = www;
    m_server = std::make_unique<zorbel::demo::DemoServer>(options);
    const auto start = m_server->Start();
    ASSERT_TRUE(start.ok()) << start.error;
    m_base = m_server->BaseUrl();

    DownloadBusy = 0;
    AppExiting = 0;
    SetDownloadUrl("");
    SetCurrentTitlePath("");
}

void DownloadFixture::TearDown() {
    if (m_server) m_server->Stop();
    DownloadBusy = 0;
    AppExiting = 0;
}

std::string DownloadFixture::Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(zorbel::demo::BodySource::SyntheticByte(i));
    return bytes;
}

std::string DownloadFixture::AddTitle(const std::string& name, std::size_t size) {
    std::string bytes = Pattern(size);
    std::ofstream(m_content + "/" + name + ".swf", std::ios::binary) << bytes;
    return bytes;
}

void DownloadFixture::PrepareTitle(const std::string& name, const std::string& prefix) {
    const TitleDownload title = TitleDownload::Prepare(m_cache, name, m_base + prefix);
    ASSERT_TRUE(title.ok) << name;
    SetDownloadUrl(title.url);
    SetCurrentTitlePath(title.titlePath);
}

DownloadOptions DownloadFixture::Options() const {
    DownloadOptions options;
    options.substitutePath = m_substitute;
    return options;
}

DownloadResult DownloadFixture::RunWorker(RecordingDownloadUi& ui) {
    CDownloadWorker worker(ui, Options());
    return worker.Run();
}

std::string DownloadFixture::CachePath(const std::string& name) const {
    return m_cache + "/" + name;
}

std::vector<std::string> DownloadFixture::CacheFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_cache))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string DownloadFixture::ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace zorbel::test
