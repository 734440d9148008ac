#pragma once

class wxPanel;
class wxWindow;
class CWebBrowser2;

// Makes panel a hidden child of parent (when null, the application's top window) with the
// controls of dialog template templateId, the one with id browserId being browser's web view.
// What the advertisement and cartoon panels share. False when the template is missing, the
// panel already has a window, or a window cannot be made.
bool CreateBrowserPanel(wxPanel* panel, wxWindow* parent, int templateId, int browserId,
                        CWebBrowser2& browser);
