#pragma once

class wxWindow;

// Shows a panel over the movie. The movie's web view paints into a native window of its own,
// which stays above every sibling drawn inside the player's window whatever their order: only
// a native window can go over it. Makes the panel's window native, then raises it.
void RaiseOverMovie(wxWindow* panel);
