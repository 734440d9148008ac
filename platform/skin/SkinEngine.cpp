#include "platform/SkinEngine.h"

#include <wx/treectrl.h>
#include <wx/window.h>

#include <map>
#include <mutex>

wxDEFINE_EVENT(wxEVT_SKIN_ITEM, wxCommandEvent);

namespace {

struct EngineState {
    zorbel::skin::Hsb hsb;
    std::vector<std::string> requested;
    std::vector<std::string> loaded;
    bool menuSkin = false;
    bool hookSkin = false;
    std::map<wxWindow*, std::string> elements;
    std::map<wxWindow*, std::map<std::string, std::string>> subItems;
};

EngineState& State() {
    static EngineState state;
    return state;
}

std::string Str(const char* s) { return s ? std::string(s) : std::string(); }

}  // namespace

void SkinDLL_LoadSkinResourceFromFolder(const char* folder, const char* /*password*/) {
    State().requested.push_back(Str(folder));
}

void SkinDLL_Menu_EnableSkin(int enable) { State().menuSkin = enable != 0; }
void SkinDLL_EnableHookSkin(int enable) { State().hookSkin = enable != 0; }

void SkinDLL_SetHSB(int hue, int saturation, int brightness) {
    State().hsb = {hue, saturation, brightness};
}

void SkinDLL_SubclassWindow(wxWindow* window, const char* element) {
    if (window) State().elements[window] = Str(element);
}

void SkinDLL_DirectUI_SetSubItemValue(wxWindow* window, const char* subItem, const char* value,
                                      int /*redraw*/) {
    if (window) State().subItems[window][Str(subItem)] = Str(value);
}

void SkinDLL_DirectUI_SetSubItemVisible(wxWindow*, const char*, int, int) {}
void SkinDLL_DirectUI_SetEventItemSubItemVisible(wxWindow*, const char*, const char*, int, int) {}
void SkinDLL_TreeCtrl_SetDrawItemSkin(wxTreeCtrl*, const wxTreeItemId&, const char*, int) {}
void SkinDLL_TreeCtrl_SetDrawItemSubItemValue(wxTreeCtrl*, const wxTreeItemId&, const char*,
                                              const char*, int) {}

namespace zorbel::skin {

Hsb CurrentHsb() { return State().hsb; }
std::vector<std::string> RequestedFolders() { return State().requested; }
std::vector<std::string> LoadedFolders() { return State().loaded; }
bool MenuSkinEnabled() { return State().menuSkin; }
bool HookSkinEnabled() { return State().hookSkin; }

std::string ElementOf(wxWindow* window) {
    auto it = State().elements.find(window);
    return it == State().elements.end() ? std::string() : it->second;
}

std::string SubItemValue(wxWindow* window, const std::string& subItem) {
    auto w = State().subItems.find(window);
    if (w == State().subItems.end()) return {};
    auto it = w->second.find(subItem);
    return it == w->second.end() ? std::string() : it->second;
}

void ResetForTests() { State() = EngineState(); }

}  // namespace zorbel::skin
