#include "tools/zorbel_send/SendOptions.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zorbel::tools {
namespace {

// The length is capped well above any payload an X server takes, so a typing slip cannot
// make us allocate gigabytes; the sender refuses what the server would not take.
constexpr unsigned long long kMaxLength = 1ull << 30;

bool ParseNumber(const char* text, unsigned long long limit, unsigned long long* value) {
    if (text == nullptr || *text == '\0' || *text == '-') return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long parsed = std::strtoull(text, &end, 0);
    if (errno != 0 || *end != '\0' || parsed > limit) return false;
    *value = parsed;
    return true;
}

}  // namespace

std::vector<uint8_t> SendOptions::Payload() const {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    bytes.resize(lengthGiven ? length : text.size() + 1, 0);
    return bytes;
}

const char* SendOptions::Usage() {
    return "usage: zorbel-send [--name NAME] [--dwdata N] [--length N] [--timeout MS] TEXT\n"
           "Delivers TEXT (and its zero byte, or exactly N bytes, zero-padded) to the running\n"
           "instance's window. Exit status: 0 acknowledged, 1 no instance, 2 time-out or error.\n";
}

bool SendOptions::Parse(int argc, const char* const* argv, SendOptions* options,
                        std::string* error) {
    bool haveText = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool takesValue =
            arg == "--name" || arg == "--dwdata" || arg == "--length" || arg == "--timeout";
        if (takesValue && i + 1 >= argc) {
            *error = arg + " needs a value";
            return false;
        }
        unsigned long long number = 0;
        if (arg == "--name") {
            options->name = argv[++i];
            if (options->name.empty()) {
                *error = "--name must not be empty";
                return false;
            }
        } else if (arg == "--dwdata") {
            if (!ParseNumber(argv[++i], ~0ul, &number)) {
                *error = std::string("bad --dwdata: ") + argv[i];
                return false;
            }
            options->dwData = static_cast<unsigned long>(number);
        } else if (arg == "--length") {
            if (!ParseNumber(argv[++i], kMaxLength, &number)) {
                *error = std::string("bad --length: ") + argv[i];
                return false;
            }
            options->lengthGiven = true;
            options->length = static_cast<size_t>(number);
        } else if (arg == "--timeout") {
            if (!ParseNumber(argv[++i], 3600000, &number)) {
                *error = std::string("bad --timeout: ") + argv[i];
                return false;
            }
            options->timeout = std::chrono::milliseconds(number);
        } else if (arg == "--") {
            if (haveText || i + 2 != argc) {
                *error = "exactly one TEXT is needed";
                return false;
            }
            options->text = argv[++i];
            haveText = true;
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            *error = "unknown option " + arg;
            return false;
        } else {
            if (haveText) {
                *error = "exactly one TEXT is needed";
                return false;
            }
            options->text = arg;
            haveText = true;
        }
    }
    if (!haveText) {
        *error = "TEXT is missing";
        return false;
    }
    return true;
}

}  // namespace zorbel::tools
