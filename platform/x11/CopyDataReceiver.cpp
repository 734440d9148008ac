#include "platform/x11/CopyDataReceiver.h"

#include <gtk/gtk.h>
#include <gdk/gdkx.h>
#include <X11/Xlib.h>

#include <wx/toplevel.h>

#include "platform/x11/CopyDataFields.h"
#include "platform/x11/CopyDataProtocol.h"
#include "platform/x11/InstanceMarker.h"
#include "platform/x11/X11Display.h"

namespace zorbel::x11 {
namespace {

struct Atoms {
    Atom message;
    Atom ack;
    Atom data;
};

// Every client message of the window passes the filter; ask the server for the atoms once.
const Atoms& ProtocolAtoms(Display* display) {
    static const Atoms atoms{XInternAtom(display, copydata::kMessageAtom, False),
                             XInternAtom(display, copydata::kAckAtom, False),
                             XInternAtom(display, copydata::kDataAtom, False)};
    return atoms;
}

// Reads exactly `length` bytes of the sender's property and deletes it. Only our own
// property is touched, so a stray message cannot make us delete anything else.
bool ReadPayload(Display* display, Window sender, Atom property, unsigned long length,
                 std::vector<uint8_t>* bytes) {
    const Atoms& atoms = ProtocolAtoms(display);
    if (sender == None || property != atoms.data) return false;
    CX11Display::PushErrorTrap();
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    // The length is given in 32-bit units.
    const long units = static_cast<long>((length + 3) / 4);
    int status = XGetWindowProperty(display, sender, property, 0, units, False, atoms.data, &type,
                                    &format, &count, &after, &data);
    bool ok = status == Success && type == atoms.data && format == 8 &&
              copydata::TakePayload(data, count, length, *bytes);
    if (data != nullptr) XFree(data);
    XDeleteProperty(display, sender, property);
    ok = CX11Display::PopErrorTrap() == 0 && ok;
    return ok;
}

void Acknowledge(Display* display, Window sender, bool handled) {
    if (sender == None) return;
    CX11Display::PushErrorTrap();
    XEvent answer{};
    answer.xclient.type = ClientMessage;
    answer.xclient.window = sender;
    answer.xclient.message_type = ProtocolAtoms(display).ack;
    answer.xclient.format = 32;
    answer.xclient.data.l[0] = handled ? copydata::kAckHandled : copydata::kAckUnreadable;
    XSendEvent(display, sender, False, NoEventMask, &answer);
    XFlush(display);
    // A sender that gave up and closed its window meanwhile is no fault of ours.
    CX11Display::PopErrorTrap();
}

}  // namespace

struct CopyDataReceiverFilter {
    static GdkFilterReturn OnXEvent(GdkXEvent* xevent, GdkEvent*, gpointer data) {
        auto* event = static_cast<XEvent*>(xevent);
        if (event->type != ClientMessage || event->xclient.format != 32) return GDK_FILTER_CONTINUE;
        Display* display = CX11Display::Get();
        if (display == nullptr || event->xclient.message_type != ProtocolAtoms(display).message)
            return GDK_FILTER_CONTINUE;

        const auto fields = copydata::MessageFields::Decode(event->xclient.data.l);
        const Window sender = static_cast<Window>(fields.sender);

        std::vector<uint8_t> bytes;
        const bool read =
            ReadPayload(display, sender, static_cast<Atom>(fields.property), fields.length, &bytes);
        // A copy: the handler may delete the receiver, and with it the handler itself.
        CCopyDataReceiver::Handler handler = static_cast<CCopyDataReceiver*>(data)->m_handler;
        if (read && handler) {
            try {
                handler(fields.dwData, bytes);
            } catch (...) {
                // Nothing may unwind through the toolkit's C code; the sender is still answered.
            }
        }
        Acknowledge(display, sender, read);
        return GDK_FILTER_REMOVE;
    }
};

CCopyDataReceiver::CCopyDataReceiver(wxTopLevelWindow* window, Handler handler)
    : m_handler(std::move(handler)) {
    const unsigned long xwindow = CInstanceMarker::XWindowOf(window);
    if (xwindow == 0) return;
    GdkWindow* gdkWindow = gtk_widget_get_window(window->GetHandle());
    if (gdkWindow == nullptr) return;
    // Our own reference keeps the filter's removal valid even when the window's native part
    // goes before this receiver does.
    g_object_ref(gdkWindow);
    gdk_window_add_filter(gdkWindow, CopyDataReceiverFilter::OnXEvent, this);
    m_gdkWindow = gdkWindow;
    m_xwindow = xwindow;
}

CCopyDataReceiver::~CCopyDataReceiver() {
    if (m_gdkWindow == nullptr) return;
    gdk_window_remove_filter(m_gdkWindow, CopyDataReceiverFilter::OnXEvent, this);
    g_object_unref(m_gdkWindow);
}

}  // namespace zorbel::x11
