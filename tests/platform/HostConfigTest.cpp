#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/HostConfig.h"
#include "tests/platform/TempDir.h"

namespace {

using zorbel::HostConfig;
using zorbel::test::TempDir;

TEST(HostConfig, ReadsTheHostsSection) {
    TempDir dir;
    const std::string ini = dir.File("Zorbel.ini");
    std::ofstream(ini) << "[VIEDO]\nViedoPath=/c\n"
                          "[hosts]\n"
                          "WebSite = https://www.example.org/ \n"
                          "WebServer=http://srv.example.org:8080//\n"
                          "ContentServer=\"http://cdn.example.org/base\"\n"
                          "VendorSiteName=www.example.org\n";
    HostConfig config = HostConfig::Load(ini);
    EXPECT_EQ(config.webSite, "https://www.example.org");
    EXPECT_EQ(config.webServer, "http://srv.example.org:8080");
    EXPECT_EQ(config.contentServer, "http://cdn.example.org/base");
    EXPECT_EQ(config.vendorSiteName, "www.example.org");
}

TEST(HostConfig, MissingOrEmptyValuesPointAtTheLocalDemoServer) {
    TempDir dir;
    const std::string ini = dir.File("Zorbel.ini");
    std::ofstream(ini) << "[HOSTS]\nWebSite=\nContentServer=/\nVendorSiteName=\n";
    for (const std::string& path : {ini, dir.File("missing.ini"), std::string()}) {
        HostConfig config = HostConfig::Load(path);
        EXPECT_EQ(config.webSite, "http://127.0.0.1:8517") << path;
        EXPECT_EQ(config.webServer, "http://127.0.0.1:8517") << path;
        EXPECT_EQ(config.contentServer, "http://127.0.0.1:8517") << path;
        EXPECT_EQ(config.vendorSiteName, "zorbel.localhost") << path;
    }
}

}  // namespace
