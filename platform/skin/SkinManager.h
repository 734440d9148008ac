#pragma once

#include <wx/gdicmn.h>
#include <wx/string.h>
#include <wx/treebase.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/SkinEngine.h"
#include "platform/skin/SkinDescription.h"

class wxDC;
class wxMemoryDC;
class wxGraphicsContext;
class wxMouseEvent;
class wxTreeCtrl;
class wxWindow;

namespace zorbel::skin {

// The engine's state: loaded resources, the colour shift, and every skinned window with its
// element, sub-item values, sub-item visibility and the item under the mouse. Windows leave it
// when they are destroyed. User-interface thread only.
class SkinManager {
public:
    static SkinManager& Get();

    void LoadFolder(const std::string& folder, const std::string& password);
    // Latest loaded folder wins for a name; `folder` receives where its pictures are.
    const SkinNode* Element(const std::string& name, std::string* folder = nullptr) const;

    void SetHsb(Hsb hsb);
    Hsb GetHsb() const { return hsb_; }
    void SetMenuSkin(bool on) { menuSkin_ = on; }
    bool MenuSkin() const { return menuSkin_; }
    void SetHookSkin(bool on);
    bool HookSkin() const { return hookSkin_; }
    const std::vector<std::string>& Requested() const { return requested_; }
    const std::vector<std::string>& Loaded() const { return loaded_; }

    // Paints `window` after `element` from now on (see SkinDLL_SubclassWindow).
    void Subclass(wxWindow* window, const std::string& element);
    // Controls that paint themselves (CSkinButton, CSkinSlider) register here so that they
    // are recoloured with everything else.
    void RegisterControl(wxWindow* window, const std::string& element);
    std::string ElementOf(wxWindow* window) const;
    bool IsHooked(wxWindow* window) const;

    void SetValue(wxWindow* window, const std::string& item, const std::string& value, bool redraw);
    std::string Value(wxWindow* window, const std::string& item) const;
    // key: an item name, or "eventItem/subItem" for a sub-item of one event item.
    void SetVisible(wxWindow* window, const std::string& key, bool visible);

    // Draws the window's element and its visible items into `gc` (client coordinates).
    void PaintWindow(wxWindow* window, wxGraphicsContext* gc, const wxSize& size);
    // Name of the visible clickable item at `point`, or empty.
    std::string ItemAt(wxWindow* window, const wxPoint& point) const;
    wxRect ItemRect(wxWindow* window, const std::string& item) const;
    // Whether `item` (under `parent`, empty for top-level items) is drawn on `window`.
    bool ItemVisible(wxWindow* window, const std::string& item,
                     const std::string& parent = std::string()) const;

    void SetTreeItemElement(wxTreeCtrl* tree, const wxTreeItemId& item, const std::string& element);
    void SetTreeItemValue(wxTreeCtrl* tree, const wxTreeItemId& item, const std::string& subItem,
                          const std::string& value);
    std::string TreeItemValue(wxTreeCtrl* tree, const wxTreeItemId& item,
                              const std::string& subItem) const;
    std::string TreeItemElement(wxTreeCtrl* tree, const wxTreeItemId& item) const;
    void PaintTree(wxTreeCtrl* tree, wxGraphicsContext* gc);
    // What the parent shows behind a self-painted control, so rounded corners sit on it.
    void PaintParentBehind(wxWindow* child, wxGraphicsContext* gc);

    // Draws a window as its paint handler would, into any DC (off-screen checks, previews).
    void Render(wxWindow* window, wxMemoryDC& dc);

    void RefreshAll();
    void Reset();

private:
    // Kept for every row of a large tree (ten thousand titles and more): a row has one or
    // two values, so a short list is cheaper to fill and to read than a map.
    struct TreeItemSkin {
        std::string element;
        std::vector<std::pair<std::string, std::string>> values;

        const std::string* Value(const std::string& subItem) const;
    };
    struct WindowSkin {
        std::string element;
        bool selfPainted = false;
        bool hooked = false;
        bool bound = false;
        std::map<std::string, std::string> values;
        std::map<std::string, bool> visible;
        std::string hover;
        std::string pressed;
        std::unordered_map<void*, TreeItemSkin> treeItems;
        void* hoverTreeItem = nullptr;
    };
    using ItemVisitor =
        std::function<bool(const SkinNode& item, const wxRect& rect, const std::string& parent)>;

    WindowSkin& Track(wxWindow* window);
    void BindWindow(wxWindow* window);
    void BindTree(wxTreeCtrl* tree);
    void StyleNative(wxWindow* window, const std::string& element);
    bool Visit(const WindowSkin& skin, const SkinNode& node, const wxRect& rect,
               const std::string& parentName, const ItemVisitor& visit) const;
    void PaintItem(wxGraphicsContext* gc, const WindowSkin& skin, const SkinNode& item,
                   const wxRect& rect, const std::string& parent, const std::string& folder);
    void OnMouse(wxWindow* window, wxMouseEvent& event);
    void OnTreeMouse(wxTreeCtrl* tree, wxMouseEvent& event);
    void Forget(wxWindow* window);
    void HookWindow(wxWindow* window);

    friend class SkinHookFilter;

    Hsb hsb_;
    bool menuSkin_ = false;
    bool hookSkin_ = false;
    bool filterInstalled_ = false;
    std::vector<std::string> requested_;
    std::vector<std::string> loaded_;
    std::vector<SkinDescription> skins_;
    std::map<wxWindow*, WindowSkin> windows_;
    std::set<wxWindow*> seenTopLevels_;
    // While a control paints its parent behind it: the part of the parent that shows (parent
    // coordinates). Empty otherwise, when everything is painted.
    wxRect paintArea_;
};

}  // namespace zorbel::skin
