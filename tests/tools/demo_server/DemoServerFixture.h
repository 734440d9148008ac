#pragma once

#include "tools/demo_server/DemoServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace zorbel::test {

// A demo server on an ephemeral port with a content folder of its own in a temporary folder
// and the page templates straight from the source tree.
class DemoServerFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Url(const std::string& path) const { return m_base + path; }
    // Writes a title file into the content folder and returns its bytes.
    std::string AddTitle(const std::string& name, std::size_t size, unsigned seed = 1);
    int CountLogLines(const std::string& line) const;

    std::filesystem::path m_root;
    std::filesystem::path m_content;
    std::unique_ptr<zorbel::demo::DemoServer> m_server;
    std::string m_base;
    int m_port = 0;
};

}  // namespace zorbel::test
