#pragma once

#include "catalog/DownloadWorker.h"
#include "tests/catalog/RecordingDownloadUi.h"
#include "tests/platform/TempDir.h"
#include "tools/demo_server/DemoServer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace zorbel::test {

// A demo server with a content folder of its own, an empty cache folder, a substitute title
// file and the shared download values reset around every test.
class DownloadFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes "<name>.swf" into the content folder: size bytes of the demo server's pattern.
    std::string AddTitle(const std::string& name, std::size_t size);
    // Sets DownloadUrl and CurrentTitlePath for a title as item activation does; prefix goes
    // between the server's address and the title path (fault prefixes).
    void PrepareTitle(const std::string& name, const std::string& prefix = "");
    DownloadResult RunWorker(RecordingDownloadUi& ui);
    DownloadOptions Options() const;

    std::string CachePath(const std::string& name) const;
    // Names of the files in the cache folder.
    std::vector<std::string> CacheFiles() const;

    static std::string Pattern(std::size_t size);
    static std::string ReadFile(const std::string& path);

    TempDir m_root;
    std::string m_content;
    std::string m_cache;
    std::string m_substitute;
    std::string m_substituteBytes;
    std::unique_ptr<zorbel::demo::DemoServer> m_server;
    std::string m_base;
};

}  // namespace zorbel::test
