#pragma once

#include <cstdint>
#include <functional>
#include <vector>

class wxTopLevelWindow;
struct _GdkWindow;

namespace zorbel::x11 {

// Lets a top-level window receive copy-data messages (see CCopyDataSender) from other
// processes. Each message reaches the handler on the UI thread, also while a modal loop runs,
// while the sender waits; the sender is answered once the handler has returned.
//
// The handler runs inside the toolkit's X event dispatch: it may close or Destroy() the
// window (wx deletes top-level windows later) and may even delete this receiver, but it must
// not run a nested event loop of its own (a message box, a modal dialog) — the sender would
// wait for it. Defer such work with CallAfter.
//
// Requests to bring the window forward (CInstanceActivator) reach the same window unaffected.
class CCopyDataReceiver {
public:
    using Handler = std::function<void(unsigned long dwData, const std::vector<uint8_t>& bytes)>;

    // Realises the window if needed. Without an X11 display the receiver stays inactive.
    CCopyDataReceiver(wxTopLevelWindow* window, Handler handler);
    ~CCopyDataReceiver();
    CCopyDataReceiver(const CCopyDataReceiver&) = delete;
    CCopyDataReceiver& operator=(const CCopyDataReceiver&) = delete;

    bool IsListening() const { return m_gdkWindow != nullptr; }
    // The X window that senders address; 0 when inactive.
    unsigned long XWindow() const { return m_xwindow; }

private:
    friend struct CopyDataReceiverFilter;

    Handler m_handler;
    _GdkWindow* m_gdkWindow = nullptr;
    unsigned long m_xwindow = 0;
};

}  // namespace zorbel::x11
