#include "platform/SkinEngine.h"

#include <wx/treectrl.h>
#include <wx/window.h>

#include "platform/skin/SkinManager.h"

wxDEFINE_EVENT(wxEVT_SKIN_ITEM, wxCommandEvent);

namespace {

using zorbel::skin::SkinManager;

std::string Str(const char* s) {
    return s ? std::string(s) : std::string();
}

}  // namespace

void SkinDLL_LoadSkinResourceFromFolder(const char* folder, const char* password) {
    SkinManager::Get().LoadFolder(Str(folder), Str(password));
}

void SkinDLL_Menu_EnableSkin(int enable) {
    SkinManager::Get().SetMenuSkin(enable != 0);
}

void SkinDLL_EnableHookSkin(int enable) {
    SkinManager::Get().SetHookSkin(enable != 0);
}

void SkinDLL_SetHSB(int hue, int saturation, int brightness) {
    SkinManager::Get().SetHsb({hue, saturation, brightness});
}

void SkinDLL_SubclassWindow(wxWindow* window, const char* element) {
    SkinManager::Get().Subclass(window, Str(element));
}

void SkinDLL_DirectUI_SetSubItemValue(wxWindow* window, const char* subItem, const char* value,
                                      int redraw) {
    SkinManager::Get().SetValue(window, Str(subItem), Str(value), redraw != 0);
}

void SkinDLL_DirectUI_SetSubItemVisible(wxWindow* window, const char* subItem, int show,
                                        int /*hide*/) {
    // The second flag is always the opposite of the first; the first decides.
    SkinManager::Get().SetVisible(window, Str(subItem), show != 0);
}

void SkinDLL_DirectUI_SetEventItemSubItemVisible(wxWindow* window, const char* eventItem,
                                                 const char* subItem, int show, int /*redraw*/) {
    SkinManager::Get().SetVisible(window, Str(eventItem) + "/" + Str(subItem), show != 0);
}

void SkinDLL_TreeCtrl_SetDrawItemSkin(wxTreeCtrl* tree, const wxTreeItemId& item,
                                      const char* element, int /*reserved*/) {
    SkinManager::Get().SetTreeItemElement(tree, item, Str(element));
}

void SkinDLL_TreeCtrl_SetDrawItemSubItemValue(wxTreeCtrl* tree, const wxTreeItemId& item,
                                              const char* subItem, const char* text,
                                              int /*reserved*/) {
    SkinManager::Get().SetTreeItemValue(tree, item, Str(subItem), Str(text));
}

namespace zorbel::skin {

Hsb CurrentHsb() {
    return SkinManager::Get().GetHsb();
}
std::vector<std::string> RequestedFolders() {
    return SkinManager::Get().Requested();
}
std::vector<std::string> LoadedFolders() {
    return SkinManager::Get().Loaded();
}
bool MenuSkinEnabled() {
    return SkinManager::Get().MenuSkin();
}
bool HookSkinEnabled() {
    return SkinManager::Get().HookSkin();
}
std::string ElementOf(wxWindow* window) {
    return SkinManager::Get().ElementOf(window);
}

std::string SubItemValue(wxWindow* window, const std::string& subItem) {
    return SkinManager::Get().Value(window, subItem);
}

bool SubItemVisible(wxWindow* window, const std::string& subItem, const std::string& eventItem) {
    return SkinManager::Get().ItemVisible(window, subItem, eventItem);
}

wxRect ItemRect(wxWindow* window, const std::string& item) {
    return SkinManager::Get().ItemRect(window, item);
}

std::string TreeItemLabel(wxTreeCtrl* tree, const wxTreeItemId& item) {
    return SkinManager::Get().TreeItemValue(tree, item, "item.name");
}

std::string TreeItemElement(wxTreeCtrl* tree, const wxTreeItemId& item) {
    return SkinManager::Get().TreeItemElement(tree, item);
}

bool HasDefaultLook(wxWindow* window) {
    return SkinManager::Get().IsHooked(window);
}

void ResetForTests() {
    SkinManager::Get().Reset();
}

}  // namespace zorbel::skin
