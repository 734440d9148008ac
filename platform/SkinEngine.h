#pragma once

// The skin engine's calls. Every window the program shows is drawn after a named element of
// the loaded skin resources; the program only names elements, sets sub-items and shifts the
// colours. Strings are UTF-8. No caller uses a result, so none is returned.

#include <wx/event.h>
#include <wx/gdicmn.h>
#include <wx/treebase.h>

class wxWindow;
class wxTreeCtrl;

void SkinDLL_LoadSkinResourceFromFolder(const char* folder, const char* password);
void SkinDLL_Menu_EnableSkin(int enable);
void SkinDLL_EnableHookSkin(int enable);
void SkinDLL_SetHSB(int hue, int saturation, int brightness);
void SkinDLL_SubclassWindow(wxWindow* window, const char* element);
void SkinDLL_DirectUI_SetSubItemValue(wxWindow* window, const char* subItem, const char* value,
                                      int redraw);
void SkinDLL_DirectUI_SetSubItemVisible(wxWindow* window, const char* subItem, int show, int hide);
void SkinDLL_DirectUI_SetEventItemSubItemVisible(wxWindow* window, const char* eventItem,
                                                 const char* subItem, int show, int redraw);
void SkinDLL_TreeCtrl_SetDrawItemSkin(wxTreeCtrl* tree, const wxTreeItemId& item,
                                      const char* element, int reserved);
void SkinDLL_TreeCtrl_SetDrawItemSubItemValue(wxTreeCtrl* tree, const wxTreeItemId& item,
                                              const char* subItem, const char* text, int reserved);

// A click on a named item of a skinned window reaches that window synchronously as this
// event; GetString() is the item's name. The window's event table maps it with
// EVT_SKIN_ITEM(handler).
wxDECLARE_EVENT(wxEVT_SKIN_ITEM, wxCommandEvent);
#define EVT_SKIN_ITEM(func) wx__DECLARE_EVT1(wxEVT_SKIN_ITEM, wxID_ANY, wxCommandEventHandler(func))

// The item message's number, kept for whoever logs or forwards it.
constexpr int kSkinItemMessage = 6324;

// What the engine was told, for start-up checks and tests.
#include <string>
#include <vector>

namespace zorbel::skin {

struct Hsb {
    int hue = 0;
    int saturation = 0;
    int brightness = 0;
};

Hsb CurrentHsb();
// Folders asked for, in order, and those whose resources actually loaded.
std::vector<std::string> RequestedFolders();
std::vector<std::string> LoadedFolders();
bool MenuSkinEnabled();
bool HookSkinEnabled();
// The element a window was subclassed with; empty when never subclassed.
std::string ElementOf(wxWindow* window);
// A sub-item's current value on a window; empty when never set.
std::string SubItemValue(wxWindow* window, const std::string& subItem);
// Whether a sub-item is drawn now; `eventItem` names the item it belongs to, if any.
bool SubItemVisible(wxWindow* window, const std::string& subItem,
                    const std::string& eventItem = std::string());
// Where an item of a window's element lies (client coordinates); empty when unknown.
wxRect ItemRect(wxWindow* window, const std::string& item);
// A tree item's "item.name" label and its draw-item element; empty when never set.
std::string TreeItemLabel(wxTreeCtrl* tree, const wxTreeItemId& item);
std::string TreeItemElement(wxTreeCtrl* tree, const wxTreeItemId& item);
// Whether the hook gave a top-level window the default window look.
bool HasDefaultLook(wxWindow* window);
// Forgets everything (tests only).
void ResetForTests();

}  // namespace zorbel::skin
