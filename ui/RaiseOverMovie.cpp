#include "ui/RaiseOverMovie.h"

#include <gtk/gtk.h>

#include <wx/window.h>

void RaiseOverMovie(wxWindow* panel) {
    if (!panel) return;
    if (auto* widget = static_cast<GtkWidget*>(panel->GetHandle())) {
        gtk_widget_realize(widget);
        if (GdkWindow* window = gtk_widget_get_window(widget)) gdk_window_ensure_native(window);
    }
    panel->Raise();
}
