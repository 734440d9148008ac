#include "platform/x11/CopyDataSender.h"

#include <X11/Xlib.h>
#include <poll.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>

#include "platform/x11/CopyDataProtocol.h"

namespace zorbel::x11 {
namespace {

// What the ChangeProperty request itself takes besides the bytes (header, big-request length
// field) is a few dozen bytes; the rest of the margin guards against servers that count
// slightly differently.
constexpr size_t kRequestHeadroom = 1024;
constexpr std::chrono::milliseconds kGoneGrace{250};

// Xlib's default reaction to an X error is to end the process, and its error handler is one
// per process. Errors on the sender's own connections are recorded here; all others go on
// to whichever handler was installed before (the toolkit's).
std::mutex& ErrorMutex() {
    static std::mutex mutex;
    return mutex;
}
std::map<Display*, int>& ErrorCodes() {
    static std::map<Display*, int> codes;
    return codes;
}
XErrorHandler& PreviousHandler() {
    static XErrorHandler previous = nullptr;
    return previous;
}

int OnXError(Display* display, XErrorEvent* error) {
    {
        std::lock_guard<std::mutex> lock(ErrorMutex());
        auto it = ErrorCodes().find(display);
        if (it != ErrorCodes().end()) {
            if (it->second == 0) it->second = error->error_code;
            return 0;
        }
    }
    XErrorHandler previous = PreviousHandler();
    return previous != nullptr ? previous(display, error) : 0;
}

// A private connection that records its X errors and closes when it goes out of scope.
class Connection {
public:
    explicit Connection(const char* displayName) {
        static std::once_flag installed;
        std::call_once(installed, [] { PreviousHandler() = XSetErrorHandler(OnXError); });
        display_ = XOpenDisplay(displayName);
        if (display_ == nullptr) return;
        std::lock_guard<std::mutex> lock(ErrorMutex());
        ErrorCodes()[display_] = 0;
    }
    ~Connection() {
        if (display_ == nullptr) return;
        XCloseDisplay(display_);
        std::lock_guard<std::mutex> lock(ErrorMutex());
        ErrorCodes().erase(display_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Display* get() const { return display_; }

    // The first error since the connection opened, after the server has seen every request.
    int SyncedError() const {
        XSync(display_, False);
        std::lock_guard<std::mutex> lock(ErrorMutex());
        return ErrorCodes()[display_];
    }

private:
    Display* display_ = nullptr;
};

unsigned long Low32(unsigned long value) {
    return value & 0xFFFFFFFFul;
}
unsigned long High32(unsigned long value) {
    return static_cast<unsigned long>(static_cast<uint64_t>(value) >> 32);
}

enum class Answer { kNone, kHandled, kUnreadable };

// Takes every event already received; notes the answer and whether the target went away.
Answer DrainEvents(Display* display, Window own, Window target, Atom ack, bool* targetGone) {
    Answer answer = Answer::kNone;
    while (answer == Answer::kNone && XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage && event.xclient.window == own &&
            event.xclient.message_type == ack) {
            answer = event.xclient.data.l[0] == copydata::kAckHandled ? Answer::kHandled
                                                                      : Answer::kUnreadable;
        } else if (event.type == DestroyNotify && event.xdestroywindow.window == target) {
            *targetGone = true;
        }
    }
    return answer;
}

}  // namespace

size_t CCopyDataSender::MaxLength(Display* display) {
    if (display == nullptr) return 0;
    long units = XExtendedMaxRequestSize(display);
    if (units <= 0) units = XMaxRequestSize(display);
    size_t bytes = static_cast<size_t>(units) * 4;
    return bytes > kRequestHeadroom ? bytes - kRequestHeadroom : 0;
}

CCopyDataSender::Result CCopyDataSender::Send(unsigned long targetWindow, unsigned long dwData,
                                              const void* bytes, size_t length,
                                              std::chrono::milliseconds timeout,
                                              const char* displayName) {
    if (bytes == nullptr) length = 0;
    Connection connection(displayName);
    Display* display = connection.get();
    if (display == nullptr) return Result::kNoDisplay;
    if (targetWindow == 0) return Result::kNoWindow;
    // Too large a request would end in BadLength from the server; refuse before sending.
    if (length > MaxLength(display)) return Result::kTooLarge;

    // Also subscribes to the target's destruction, so that a receiver that goes away while we
    // wait ends the wait at once.
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, targetWindow, &attributes) == 0) return Result::kNoWindow;
    XSelectInput(display, targetWindow, StructureNotifyMask);

    const Atom message = XInternAtom(display, copydata::kMessageAtom, False);
    const Atom ack = XInternAtom(display, copydata::kAckAtom, False);
    const Atom data = XInternAtom(display, copydata::kDataAtom, False);

    XSetWindowAttributes ownAttributes{};
    ownAttributes.override_redirect = True;
    const Window own =
        XCreateWindow(display, DefaultRootWindow(display), -10, -10, 1, 1, 0, CopyFromParent,
                      InputOnly, CopyFromParent, CWOverrideRedirect, &ownAttributes);
    XChangeProperty(display, own, data, data, 8, PropModeReplace,
                    static_cast<const unsigned char*>(bytes), static_cast<int>(length));

    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = targetWindow;
    event.xclient.message_type = message;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(own);
    event.xclient.data.l[1] = static_cast<long>(data);
    event.xclient.data.l[2] = static_cast<long>(length);
    event.xclient.data.l[3] = static_cast<long>(Low32(dwData));
    event.xclient.data.l[4] = static_cast<long>(High32(dwData));
    // No event mask: the event goes to the client that created the target window.
    XSendEvent(display, targetWindow, False, NoEventMask, &event);
    if (int error = connection.SyncedError())
        return error == BadWindow ? Result::kNoWindow : Result::kFailed;

    auto deadline = std::chrono::steady_clock::now() + timeout;
    bool targetGone = false;
    for (;;) {
        const bool wasGone = targetGone;
        const Answer answer = DrainEvents(display, own, targetWindow, ack, &targetGone);
        if (answer == Answer::kHandled) return Result::kAcknowledged;
        if (answer == Answer::kUnreadable) return Result::kUnreadable;
        if (targetGone && !wasGone) {
            // A receiver that ends while handling the message may answer just after its
            // window's end has reached us; give that answer a moment rather than the full wait.
            deadline = std::min(deadline, std::chrono::steady_clock::now() + kGoneGrace);
        }

        auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (remaining.count() <= 0) return targetGone ? Result::kNoWindow : Result::kTimedOut;
        pollfd descriptor{ConnectionNumber(display), POLLIN, 0};
        poll(&descriptor, 1, static_cast<int>(remaining.count()) + 1);
    }
}

const char* CCopyDataSender::ResultName(Result result) {
    switch (result) {
        case Result::kAcknowledged:
            return "acknowledged";
        case Result::kUnreadable:
            return "receiver could not read the data";
        case Result::kNoDisplay:
            return "no X display";
        case Result::kNoWindow:
            return "no such window";
        case Result::kTooLarge:
            return "too large for one X request";
        case Result::kTimedOut:
            return "timed out";
        case Result::kFailed:
            return "X error";
    }
    return "unknown";
}

}  // namespace zorbel::x11
