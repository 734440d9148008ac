#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace zorbel::tools {

// The command line of zorbel-send:
//   zorbel-send [--name NAME] [--dwdata N] [--length N] [--timeout MS] TEXT
struct SendOptions {
    std::string name = "zorbel";  // the instance marker's name (the executable's name)
    unsigned long dwData = 0;
    bool lengthGiven = false;
    size_t length = 0;  // default: the text and its terminating zero byte
    std::chrono::milliseconds timeout{5000};
    std::string text;

    // The bytes to send: the text, its zero byte, then zero bytes up to `length`; or the
    // first `length` of them.
    std::vector<uint8_t> Payload() const;

    // false with a message in *error for a malformed command line.
    static bool Parse(int argc, const char* const* argv, SendOptions* options, std::string* error);
    static const char* Usage();
};

}  // namespace zorbel::tools
