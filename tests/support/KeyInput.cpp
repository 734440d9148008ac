#include "tests/support/KeyInput.h"

#include <gtk/gtk.h>

#include <wx/webview.h>

namespace zorbel::test {

bool SendKeyToView(wxWebView* view, bool press, unsigned keyval, unsigned state) {
    GtkWidget* widget = GTK_WIDGET(view->GetNativeBackend());
    GdkEvent* event = gdk_event_new(press ? GDK_KEY_PRESS : GDK_KEY_RELEASE);
    event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(widget)));
    event->key.send_event = TRUE;
    event->key.time = GDK_CURRENT_TIME;
    event->key.state = state;
    event->key.keyval = keyval;
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_display_get_default()),
                                          keyval, &keys, &count) &&
        count > 0) {
        event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
        g_free(keys);
    }
    GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
    gdk_event_set_device(event, gdk_seat_get_keyboard(seat));
    const gboolean handled = gtk_widget_event(widget, event);
    gdk_event_free(event);
    return handled;
}

}  // namespace zorbel::test
