#include "DemoServerFixture.h"

#include <fstream>
#include <unistd.h>

namespace zorbel::test {

void DemoServerFixture::SetUp() {
    static int counter = 0;
    m_root =
        std::filesystem::temp_directory_path() /
        ("zorbel-demo-server-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    std::filesystem::remove_all(m_root);
    m_content = m_root / "content";
    std::filesystem::create_directories(m_content);

    zorbel::demo::DemoServerOptions options;
    options.contentDir = m_content.string();
    options.wwwDir = std::string(ZORBEL_SOURCE_DIR) + "/tools/demo_server/www";
    m_server = std::make_unique<zorbel::demo::DemoServer>(options);
    const auto started = m_server->Start();
    ASSERT_TRUE(started.ok()) << started.error;
    m_port = started.port;
    m_base = "http://127.0.0.1:" + std::to_string(m_port);
}

void DemoServerFixture::TearDown() {
    m_server.reset();
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
}

std::string DemoServerFixture::AddTitle(const std::string& name, std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (char& c : bytes) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 16);
    }
    std::ofstream(m_content / (name + ".swf"), std::ios::binary) << bytes;
    return bytes;
}

int DemoServerFixture::CountLogLines(const std::string& line) const {
    int count = 0;
    for (const auto& logged : m_server->RequestLogLines()) count += logged == line ? 1 : 0;
    return count;
}

}  // namespace zorbel::test
