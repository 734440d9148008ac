// zorbel-send: delivers a copy-data message to the running instance, as the updater does.
#include <gdk/gdk.h>
#include <gdk/gdkx.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/x11/CopyDataSender.h"
#include "platform/x11/InstanceMarker.h"
#include "platform/x11/X11Display.h"
#include "tools/zorbel_send/SendOptions.h"

using zorbel::tools::SendOptions;
using zorbel::x11::CCopyDataSender;

namespace {

constexpr int kExitAcknowledged = 0;
constexpr int kExitNoInstance = 1;
constexpr int kExitFailed = 2;

}  // namespace

int main(int argc, char** argv) {
    SendOptions options;
    std::string error;
    if (!SendOptions::Parse(argc, argv, &options, &error)) {
        std::fprintf(stderr, "zorbel-send: %s\n%s", error.c_str(), SendOptions::Usage());
        return kExitFailed;
    }

    // The instance search goes through the toolkit's connection, as in the program itself.
    gdk_set_allowed_backends("x11");
    if (!gdk_init_check(nullptr, nullptr) || zorbel::x11::CX11Display::Get() == nullptr) {
        std::fprintf(stderr, "zorbel-send: no X11 display\n");
        return kExitFailed;
    }
    const unsigned long window = zorbel::x11::CInstanceMarker::Find(options.name);
    if (window == 0) {
        std::fprintf(stderr, "zorbel-send: no running instance of %s\n", options.name.c_str());
        return kExitNoInstance;
    }

    const std::vector<uint8_t> payload = options.Payload();
    const char* displayName = DisplayString(zorbel::x11::CX11Display::Get());
    const CCopyDataSender::Result result = CCopyDataSender::Send(
        window, options.dwData, payload.data(), payload.size(), options.timeout, displayName);
    switch (result) {
        case CCopyDataSender::Result::kAcknowledged:
            return kExitAcknowledged;
        case CCopyDataSender::Result::kNoWindow:
            // The instance ended between the search and the delivery.
            std::fprintf(stderr, "zorbel-send: the instance's window is gone\n");
            return kExitNoInstance;
        default:
            std::fprintf(stderr, "zorbel-send: %s\n", CCopyDataSender::ResultName(result));
            return kExitFailed;
    }
}
