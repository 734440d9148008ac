#include "platform/skin/SkinManager.h"

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/dirdlg.h>
#include <wx/eventfilter.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/graphics.h>
#include <wx/imaglist.h>
#include <wx/toplevel.h>
#include <wx/treectrl.h>
#include <wx/window.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "platform/skin/CSkinButton.h"
#include "platform/skin/CSkinSlider.h"
#include "platform/skin/SkinPainter.h"

namespace zorbel::skin {

// Gives top-level windows that nobody skinned the default window look while the hook is on.
class SkinHookFilter : public wxEventFilter {
public:
    int FilterEvent(wxEvent& event) override {
        wxObject* object = event.GetEventObject();
        if (!object) return Event_Skip;
        auto* window = wxDynamicCast(object, wxTopLevelWindow);
        if (!window) return Event_Skip;
        SkinManager& manager = SkinManager::Get();
        if (manager.seenTopLevels_.insert(window).second) {
            // Forgotten when it goes, so a later window at the same address is new again.
            window->Bind(wxEVT_DESTROY, [window](wxWindowDestroyEvent& e) {
                e.Skip();
                if (e.GetEventObject() == window) SkinManager::Get().seenTopLevels_.erase(window);
            });
            manager.HookWindow(window);
        }
        return Event_Skip;
    }
};

namespace {

const char* const kDefaultWindowElement = "window.default";
const char* const kDefaultTreeItemElement = "drawitem.item";
const std::string kItemLabel = "item.name";
// A title kept on this machine carries this sub-item; the element draws its mark.
const std::string kItemCached = "item.cached";
const char* const kCachedMarkElement = "drawitem.cached";

std::string Attr(const SkinStyle& style, const std::string& key) {
    auto it = style.find(key);
    return it == style.end() ? std::string() : it->second;
}

std::string ExecutableFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

wxRect ToWx(const SkinPixelRect& r) {
    return wxRect(r.x, r.y, r.w, r.h);
}
SkinPixelRect FromWx(const wxRect& r) {
    return {r.x, r.y, r.width, r.height};
}

// Never destroyed: wx keeps filters in a list that outlives every static object.
SkinHookFilter& HookFilter() {
    static SkinHookFilter* filter = new SkinHookFilter;
    return *filter;
}

}  // namespace

SkinManager& SkinManager::Get() {
    static SkinManager manager;
    return manager;
}

void SkinManager::LoadFolder(const std::string& folder, const std::string& password) {
    requested_.push_back(folder);
    std::string path = folder;
    std::replace(path.begin(), path.end(), '\\', '/');
    if (!std::filesystem::path(path).is_absolute())
        path = (std::filesystem::path(ExecutableFolder()) / path).string();
    SkinLoadResult result = LoadSkinFolder(path, password);
    if (!result.ok) return;
    // Loading a folder again replaces what it gave before.
    skins_.erase(std::remove_if(skins_.begin(), skins_.end(),
                                [&](const SkinDescription& d) {
                                    return d.folder == result.description.folder;
                                }),
                 skins_.end());
    skins_.push_back(std::move(result.description));
    if (std::find(loaded_.begin(), loaded_.end(), folder) == loaded_.end())
        loaded_.push_back(folder);
    SkinPainter::Get().ForgetPictures();
    for (auto& [window, skin] : windows_)
        if (!skin.selfPainted && !skin.bound) StyleNative(window, skin.element);
    RefreshAll();
}

const SkinNode* SkinManager::Element(const std::string& name, std::string* folder) const {
    for (auto it = skins_.rbegin(); it != skins_.rend(); ++it) {
        auto found = it->elements.find(name);
        if (found != it->elements.end()) {
            if (folder) *folder = it->folder;
            return &found->second;
        }
    }
    return nullptr;
}

void SkinManager::SetHsb(Hsb hsb) {
    hsb_.hue = std::clamp(hsb.hue, -180, 180);
    hsb_.saturation = std::clamp(hsb.saturation, -100, 100);
    hsb_.brightness = std::clamp(hsb.brightness, -100, 100);
    // Pictures are kept per shift; only the current shift's are worth keeping.
    SkinPainter::Get().ForgetPictures();
    for (auto& [window, skin] : windows_)
        if (!skin.selfPainted && !skin.bound) StyleNative(window, skin.element);
    RefreshAll();
}

void SkinManager::SetHookSkin(bool on) {
    hookSkin_ = on;
    if (on && !filterInstalled_ && wxTheApp) {
        wxEvtHandler::AddFilter(&HookFilter());
        filterInstalled_ = true;
    }
}

SkinManager::WindowSkin& SkinManager::Track(wxWindow* window) {
    auto [it, added] = windows_.try_emplace(window);
    if (added) {
        window->Bind(wxEVT_DESTROY, [this, window](wxWindowDestroyEvent& event) {
            event.Skip();
            if (event.GetEventObject() == window) Forget(window);
        });
    }
    return it->second;
}

void SkinManager::Forget(wxWindow* window) {
    windows_.erase(window);
    seenTopLevels_.erase(window);
}

void SkinManager::RegisterControl(wxWindow* window, const std::string& element) {
    WindowSkin& skin = Track(window);
    skin.selfPainted = true;
    skin.element = element;
}

void SkinManager::Subclass(wxWindow* window, const std::string& element) {
    if (!window) return;
    WindowSkin& skin = Track(window);
    skin.element = element;
    skin.hooked = false;
    const SkinNode* node = Element(element);
    wxWindow* parent = window->GetParent();
    if (node && node->rect && parent && !window->IsTopLevel()) {
        const wxSize client = parent->GetClientSize();
        window->SetSize(ToWx(Place(*node->rect, {0, 0, client.x, client.y})));
    }
    if (skin.selfPainted) {
        window->Refresh();
        return;
    }
    if (auto* tree = wxDynamicCast(window, wxTreeCtrl)) {
        BindTree(tree);
    } else if (wxDynamicCast(window, wxControl)) {
        // Toolkit-drawn controls cannot be painted over; they take the element's colours.
        StyleNative(window, element);
    } else {
        BindWindow(window);
    }
    window->Refresh();
}

void SkinManager::HookWindow(wxWindow* window) {
    if (!hookSkin_) return;
    // The toolkit draws its own message, folder and file dialogs; there is nothing to paint.
    // (C++ casts: these base classes carry no class info of their own for wxDynamicCast.)
    if (dynamic_cast<wxMessageDialogBase*>(window) || dynamic_cast<wxDirDialogBase*>(window) ||
        dynamic_cast<wxFileDialogBase*>(window))
        return;
    auto it = windows_.find(window);
    if (it != windows_.end() && !it->second.element.empty()) return;
    WindowSkin& skin = Track(window);
    skin.hooked = true;
    BindWindow(window);
    window->Refresh();
}

std::string SkinManager::ElementOf(wxWindow* window) const {
    auto it = windows_.find(window);
    return it == windows_.end() ? std::string() : it->second.element;
}

bool SkinManager::IsHooked(wxWindow* window) const {
    auto it = windows_.find(window);
    return it != windows_.end() && it->second.hooked;
}

void SkinManager::StyleNative(wxWindow* window, const std::string& element) {
    const SkinNode* node = Element(element);
    if (!node) return;
    SkinPainter& painter = SkinPainter::Get();
    wxColour fill = painter.Colour(node->style, "fill", hsb_);
    wxColour text = painter.Colour(node->style, "text-color", hsb_);
    if (fill.IsOk()) window->SetBackgroundColour(fill);
    // Light text (meant for the coloured title band) would vanish on the toolkit's own
    // background, so it is only taken together with the element's fill.
    const bool readable = text.IsOk() && (fill.IsOk() || text.GetLuminance() < 0.6);
    if (readable) window->SetForegroundColour(text);
}

void SkinManager::BindWindow(wxWindow* window) {
    WindowSkin& skin = Track(window);
    if (skin.bound) return;
    skin.bound = true;
    window->SetBackgroundStyle(wxBG_STYLE_PAINT);
    window->Bind(wxEVT_PAINT, [this, window](wxPaintEvent&) {
        wxPaintDC dc(window);
        std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
        if (gc) PaintWindow(window, gc.get(), window->GetClientSize());
    });
    window->Bind(wxEVT_ERASE_BACKGROUND, [](wxEraseEvent&) {});
    window->Bind(wxEVT_SIZE, [window](wxSizeEvent& event) {
        window->Refresh();
        event.Skip();
    });
    for (const wxEventTypeTag<wxMouseEvent>& type :
         {wxEVT_MOTION, wxEVT_LEAVE_WINDOW, wxEVT_LEFT_DOWN, wxEVT_LEFT_UP})
        window->Bind(type, [this, window](wxMouseEvent& event) { OnMouse(window, event); });
}

void SkinManager::BindTree(wxTreeCtrl* tree) {
    WindowSkin& skin = Track(tree);
    if (skin.bound) return;
    skin.bound = true;
    if (const SkinNode* row = Element(kDefaultTreeItemElement)) {
        tree->SetFont(SkinPainter::Get().Font(row->style));
        // The generic tree takes its line height from the image list; a blank image of the
        // row height gives children rows they can hit.
        const int rowHeight = SkinPainter::Number(row->style, "row-height", 0);
        if (rowHeight > 8) {
            auto* images = new wxImageList(1, rowHeight - 4, false, 1);
            images->Add(wxBitmap(1, rowHeight - 4));
            tree->AssignImageList(images);
        }
    }
    if (const SkinNode* row = Element(kDefaultTreeItemElement)) {
        // Deeper rows step in far enough for a child to see where it belongs.
        const int indent = SkinPainter::Number(row->style, "indent", 0);
        if (indent > 0) tree->SetIndent(indent);
    }
    tree->SetBackgroundStyle(wxBG_STYLE_PAINT);
    tree->Bind(wxEVT_PAINT, [this, tree](wxPaintEvent&) {
        wxPaintDC dc(tree);
        std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
        if (gc) PaintTree(tree, gc.get());
    });
    tree->Bind(wxEVT_ERASE_BACKGROUND, [](wxEraseEvent&) {});
    tree->Bind(wxEVT_TREE_DELETE_ITEM, [this, tree](wxTreeEvent& event) {
        event.Skip();
        auto it = windows_.find(tree);
        if (it == windows_.end()) return;
        it->second.treeItems.erase(event.GetItem().GetID());
        if (it->second.hoverTreeItem == event.GetItem().GetID()) it->second.hoverTreeItem = nullptr;
    });
    for (const wxEventTypeTag<wxMouseEvent>& type : {wxEVT_MOTION, wxEVT_LEAVE_WINDOW})
        tree->Bind(type, [this, tree](wxMouseEvent& event) { OnTreeMouse(tree, event); });
}

void SkinManager::SetValue(wxWindow* window, const std::string& item, const std::string& value,
                           bool redraw) {
    if (!window) return;
    Track(window).values[item] = value;
    if (redraw) window->Refresh();
}

std::string SkinManager::Value(wxWindow* window, const std::string& item) const {
    auto it = windows_.find(window);
    if (it == windows_.end()) return {};
    auto v = it->second.values.find(item);
    return v == it->second.values.end() ? std::string() : v->second;
}

void SkinManager::SetVisible(wxWindow* window, const std::string& key, bool visible) {
    if (!window) return;
    WindowSkin& skin = Track(window);
    skin.visible[key] = visible;
    if (!visible && (skin.hover == key || skin.pressed == key)) skin.hover.clear();
    window->Refresh();
}

bool SkinManager::ItemVisible(wxWindow* window, const std::string& item,
                              const std::string& parent) const {
    auto it = windows_.find(window);
    if (it == windows_.end()) return false;
    const SkinNode* element = Element(it->second.element);
    if (!element) return false;
    const SkinNode* owner = parent.empty() ? element : element->FindItem(parent);
    const SkinNode* node = owner ? owner->FindItem(item) : nullptr;
    if (!node) return false;
    const auto& visible = it->second.visible;
    if (!parent.empty()) {
        auto v = visible.find(parent + "/" + item);
        if (v != visible.end()) return v->second;
    }
    auto v = visible.find(item);
    return v != visible.end() ? v->second : node->visible;
}

bool SkinManager::Visit(const WindowSkin& skin, const SkinNode& node, const wxRect& rect,
                        const std::string& parentName, const ItemVisitor& visit) const {
    for (const SkinNode& item : node.items) {
        bool shown = item.visible;
        auto v = skin.visible.find(parentName + "/" + item.name);
        if (v == skin.visible.end()) v = skin.visible.find(item.name);
        if (v != skin.visible.end()) shown = v->second;
        if (!shown) continue;
        const wxRect r = item.rect ? ToWx(Place(*item.rect, FromWx(rect))) : rect;
        if (!visit(item, r, node.name)) return false;
        if (!Visit(skin, item, r, item.name, visit)) return false;
    }
    return true;
}

void SkinManager::PaintItem(wxGraphicsContext* gc, const WindowSkin& skin, const SkinNode& item,
                            const wxRect& rect, const std::string& parent,
                            const std::string& folder) {
    std::vector<std::string> states;
    if (skin.hover == item.name) states.push_back("hover");
    if (skin.pressed == item.name && skin.hover == item.name) states.push_back("pressed");
    SkinStyle style = item.StyleFor(states);
    auto v = skin.values.find(item.name);
    const std::string value = v != skin.values.end() ? v->second : item.value;
    if (Attr(style, "value-picture") == "1") {
        // "skin.texture33" names the picture "texture33.svg"; an empty value draws nothing.
        std::string picture = value;
        if (picture.rfind("skin.", 0) == 0) picture.erase(0, 5);
        if (picture.empty() || picture.find('/') != std::string::npos) {
            style.erase("picture");
        } else {
            style["picture"] = picture + ".svg";
        }
    }
    SkinPainter& painter = SkinPainter::Get();
    const wxString text =
        Attr(style, "value-picture") == "1" ? wxString() : wxString::FromUTF8(value);
    const bool hasChildren = !item.items.empty();
    // Everything an item draws lies inside its rectangle: one outside the area being
    // painted shows nothing (its children are still looked at).
    const bool shows = paintArea_.IsEmpty() || paintArea_.Intersects(rect);
    if (shows) painter.Draw(gc, rect, style, folder, hasChildren ? wxString() : text, hsb_);
    if (!hasChildren) return;
    for (const SkinNode& child : item.items) {
        bool shown = child.visible;
        auto vis = skin.visible.find(item.name + "/" + child.name);
        if (vis == skin.visible.end()) vis = skin.visible.find(child.name);
        if (vis != skin.visible.end()) shown = vis->second;
        if (!shown) continue;
        const wxRect r = child.rect ? ToWx(Place(*child.rect, FromWx(rect))) : rect;
        PaintItem(gc, skin, child, r, item.name, folder);
    }
    (void)parent;
    if (!shows) return;
    SkinStyle textStyle = style;
    const int pad = SkinPainter::Number(style, "padding", 0);
    painter.DrawText(gc, wxRect(rect).Deflate(pad), textStyle, text, hsb_);
}

void SkinManager::PaintWindow(wxWindow* window, wxGraphicsContext* gc, const wxSize& size) {
    auto it = windows_.find(window);
    const wxRect all(wxPoint(0, 0), size);
    std::string folder;
    const SkinNode* node = nullptr;
    if (it != windows_.end())
        node = Element(it->second.hooked ? std::string(kDefaultWindowElement) : it->second.element,
                       &folder);
    // Without resources the window looks like any plain window.
    gc->SetBrush(wxBrush(window->GetBackgroundColour()));
    gc->SetPen(*wxTRANSPARENT_PEN);
    gc->DrawRectangle(0, 0, size.x, size.y);
    if (!node) return;
    const WindowSkin& skin = it->second;
    SkinPainter::Get().Draw(gc, all, node->style, folder, wxString(), hsb_);
    for (const SkinNode& item : node->items) {
        bool shown = item.visible;
        auto v = skin.visible.find(item.name);
        if (v != skin.visible.end()) shown = v->second;
        if (!shown) continue;
        const wxRect r = item.rect ? ToWx(Place(*item.rect, FromWx(all))) : all;
        PaintItem(gc, skin, item, r, node->name, folder);
    }
}

std::string SkinManager::ItemAt(wxWindow* window, const wxPoint& point) const {
    auto it = windows_.find(window);
    if (it == windows_.end()) return {};
    const SkinNode* node = Element(it->second.element);
    if (!node) return {};
    std::string hit;
    Visit(it->second, *node, wxRect(wxPoint(0, 0), window->GetClientSize()), node->name,
          [&](const SkinNode& item, const wxRect& rect, const std::string&) {
              // Deeper items are visited later, so the innermost clickable one wins.
              if (item.clickable && rect.Contains(point)) hit = item.name;
              return true;
          });
    return hit;
}

wxRect SkinManager::ItemRect(wxWindow* window, const std::string& name) const {
    auto it = windows_.find(window);
    if (it == windows_.end()) return {};
    const SkinNode* node = Element(it->second.element);
    if (!node) return {};
    WindowSkin everything;  // no visibility overrides: every item has a place
    std::function<bool(const SkinNode&, const wxRect&)> find;
    wxRect found;
    find = [&](const SkinNode& parent, const wxRect& parentRect) {
        for (const SkinNode& item : parent.items) {
            const wxRect r = item.rect ? ToWx(Place(*item.rect, FromWx(parentRect))) : parentRect;
            if (item.name == name) {
                found = r;
                return true;
            }
            if (find(item, r)) return true;
        }
        return false;
    };
    find(*node, wxRect(wxPoint(0, 0), window->GetClientSize()));
    return found;
}

void SkinManager::OnMouse(wxWindow* window, wxMouseEvent& event) {
    event.Skip();
    auto it = windows_.find(window);
    if (it == windows_.end()) return;
    WindowSkin& skin = it->second;
    const wxEventType type = event.GetEventType();
    const std::string hit =
        type == wxEVT_LEAVE_WINDOW ? std::string() : ItemAt(window, event.GetPosition());
    if (hit != skin.hover) {
        skin.hover = hit;
        window->SetCursor(hit.empty() ? wxNullCursor : wxCursor(wxCURSOR_HAND));
        window->Refresh();
    }
    if (type == wxEVT_LEFT_DOWN) {
        skin.pressed = hit;
        if (!hit.empty()) window->Refresh();
    } else if (type == wxEVT_LEFT_UP) {
        const std::string pressed = skin.pressed;
        skin.pressed.clear();
        if (hit.empty() || hit != pressed) return;
        window->Refresh();
        wxCommandEvent item(wxEVT_SKIN_ITEM, window->GetId());
        item.SetEventObject(window);
        item.SetString(wxString::FromUTF8(hit));
        item.SetInt(kSkinItemMessage);
        window->ProcessWindowEvent(item);
    }
}

const std::string* SkinManager::TreeItemSkin::Value(const std::string& subItem) const {
    for (const auto& [name, value] : values)
        if (name == subItem) return &value;
    return nullptr;
}

void SkinManager::SetTreeItemElement(wxTreeCtrl* tree, const wxTreeItemId& item,
                                     const std::string& element) {
    if (!tree || !item.IsOk()) return;
    Track(tree).treeItems[item.GetID()].element = element;
    tree->Refresh();
}

void SkinManager::SetTreeItemValue(wxTreeCtrl* tree, const wxTreeItemId& item,
                                   const std::string& subItem, const std::string& value) {
    if (!tree || !item.IsOk()) return;
    auto& values = Track(tree).treeItems[item.GetID()].values;
    auto old = std::find_if(values.begin(), values.end(),
                            [&](const auto& entry) { return entry.first == subItem; });
    if (old != values.end())
        old->second = value;
    else
        values.emplace_back(subItem, value);
    tree->Refresh();
}

std::string SkinManager::TreeItemValue(wxTreeCtrl* tree, const wxTreeItemId& item,
                                       const std::string& subItem) const {
    auto it = windows_.find(tree);
    if (it == windows_.end()) return {};
    auto i = it->second.treeItems.find(item.GetID());
    if (i == it->second.treeItems.end()) return {};
    const std::string* value = i->second.Value(subItem);
    return value != nullptr ? *value : std::string();
}

std::string SkinManager::TreeItemElement(wxTreeCtrl* tree, const wxTreeItemId& item) const {
    auto it = windows_.find(tree);
    if (it == windows_.end()) return {};
    auto i = it->second.treeItems.find(item.GetID());
    return i == it->second.treeItems.end() ? std::string() : i->second.element;
}

void SkinManager::OnTreeMouse(wxTreeCtrl* tree, wxMouseEvent& event) {
    event.Skip();
    auto it = windows_.find(tree);
    if (it == windows_.end()) return;
    void* hover = nullptr;
    if (event.GetEventType() != wxEVT_LEAVE_WINDOW) {
        int flags = 0;
        wxTreeItemId id = tree->HitTest(event.GetPosition(), flags);
        if (id.IsOk()) hover = id.GetID();
    }
    if (hover != it->second.hoverTreeItem) {
        it->second.hoverTreeItem = hover;
        tree->Refresh();
    }
}

void SkinManager::PaintTree(wxTreeCtrl* tree, wxGraphicsContext* gc) {
    const wxSize size = tree->GetClientSize();
    auto it = windows_.find(tree);
    std::string folder;
    const SkinNode* node = it == windows_.end() ? nullptr : Element(it->second.element, &folder);
    SkinPainter& painter = SkinPainter::Get();
    gc->SetBrush(wxBrush(tree->GetBackgroundColour()));
    gc->SetPen(*wxTRANSPARENT_PEN);
    gc->DrawRectangle(0, 0, size.x, size.y);
    if (node) painter.DrawBox(gc, wxRect(size), node->style, hsb_);

    wxTreeItemId root = tree->GetRootItem();
    if (!root.IsOk()) return;
    const bool hideRoot = tree->HasFlag(wxTR_HIDE_ROOT);
    std::function<bool(const wxTreeItemId&)> paint = [&](const wxTreeItemId& item) -> bool {
        if (!(hideRoot && item == root)) {
            wxRect r;
            if (tree->GetBoundingRect(item, r, false)) {
                if (r.y > size.y) return false;  // rows below are out of sight too
                if (r.GetBottom() >= 0) {
                    std::string element = kDefaultTreeItemElement;
                    std::string label;
                    bool haveLabel = false;
                    if (it != windows_.end()) {
                        auto i = it->second.treeItems.find(item.GetID());
                        if (i != it->second.treeItems.end()) {
                            if (!i->second.element.empty()) element = i->second.element;
                            if (const std::string* v = i->second.Value(kItemLabel)) {
                                label = *v;
                                haveLabel = true;
                            }
                        }
                    }
                    const wxString text =
                        haveLabel ? wxString::FromUTF8(label) : tree->GetItemText(item);
                    std::string rowFolder;
                    const SkinNode* row = Element(element, &rowFolder);
                    std::vector<std::string> states;
                    const bool branch = tree->ItemHasChildren(item);
                    if (branch) states.push_back("branch");
                    if (branch && tree->IsExpanded(item)) states.push_back("expanded");
                    if (it != windows_.end() && it->second.hoverTreeItem == item.GetID())
                        states.push_back("hover");
                    if (tree->IsSelected(item)) states.push_back("selected");
                    SkinStyle style = row ? row->StyleFor(states) : SkinStyle{};
                    const wxRect rowRect(2, r.y + 1, size.x - 4, r.height - 2);
                    painter.DrawBox(gc, rowRect, style, hsb_);
                    SkinStyle content = style;
                    for (const char* key : {"fill", "fill2", "border", "shadow"})
                        content.erase(key);
                    content["layout"] = "left";
                    // The tree's own expand button is hit at the item's x less the spacing;
                    // the arrow goes exactly there and the picture and label start at x.
                    wxRect textRect;
                    tree->GetBoundingRect(item, textRect, true);
                    const int indent = std::max(20, textRect.x - 4);
                    const int arrowX = textRect.x - static_cast<int>(tree->GetSpacing());
                    if (branch) {
                        // An arrow where the tree's own expand button is hit.
                        gc->SetPen(*wxTRANSPARENT_PEN);
                        gc->SetBrush(wxBrush(painter.Colour(style, "text-color", hsb_, *wxBLACK)));
                        const double cx = std::max(8, arrowX), cy = r.y + r.height / 2.0;
                        wxGraphicsPath arrow = gc->CreatePath();
                        if (tree->IsExpanded(item)) {
                            arrow.MoveToPoint(cx - 5, cy - 3);
                            arrow.AddLineToPoint(cx + 5, cy - 3);
                            arrow.AddLineToPoint(cx, cy + 4);
                        } else {
                            arrow.MoveToPoint(cx - 3, cy - 5);
                            arrow.AddLineToPoint(cx + 4, cy);
                            arrow.AddLineToPoint(cx - 3, cy + 5);
                        }
                        arrow.CloseSubpath();
                        gc->FillPath(arrow);
                    }
                    int markWidth = 0;
                    if (it != windows_.end()) {
                        auto i = it->second.treeItems.find(item.GetID());
                        std::string markFolder;
                        const SkinNode* mark = Element(kCachedMarkElement, &markFolder);
                        if (mark && i != it->second.treeItems.end() &&
                            i->second.Value(kItemCached)) {
                            const SkinStyle markStyle = mark->StyleFor(states);
                            const std::string picture = Attr(markStyle, "picture");
                            const std::string sizeText = Attr(markStyle, "picture-size");
                            const int side = sizeText.empty() ? 16 : std::atoi(sizeText.c_str());
                            markWidth = side + 6;
                            painter.DrawPicture(
                                gc,
                                wxRect(rowRect.GetRight() - side - 4,
                                       rowRect.y + (rowRect.height - side) / 2, side, side),
                                markStyle, markFolder, picture, hsb_);
                        }
                    }
                    painter.Draw(gc,
                                 wxRect(indent + 4, rowRect.y, size.x - indent - 8 - markWidth,
                                        rowRect.height),
                                 content, rowFolder, text, hsb_);
                }
            }
        }
        if (hideRoot && item == root ? true : tree->IsExpanded(item)) {
            wxTreeItemIdValue cookie;
            for (wxTreeItemId child = tree->GetFirstChild(item, cookie); child.IsOk();
                 child = tree->GetNextChild(item, cookie))
                if (!paint(child)) return false;
        }
        return true;
    };
    paint(root);
}

void SkinManager::PaintParentBehind(wxWindow* child, wxGraphicsContext* gc) {
    const wxSize size = child->GetClientSize();
    wxWindow* parent = child->GetParent();
    auto it = parent ? windows_.find(parent) : windows_.end();
    if (it != windows_.end() && it->second.bound && !it->second.selfPainted &&
        !wxDynamicCast(parent, wxTreeCtrl)) {
        const wxPoint pos = child->GetPosition();
        gc->PushState();
        gc->Clip(0, 0, size.x, size.y);
        gc->Translate(-pos.x, -pos.y);
        // Only the parent's items under the child: a row of buttons would otherwise each
        // paint the whole window behind it.
        paintArea_ = wxRect(pos, size);
        PaintWindow(parent, gc, parent->GetClientSize());
        paintArea_ = wxRect();
        gc->PopState();
        return;
    }
    gc->SetBrush(wxBrush(parent ? parent->GetBackgroundColour() : child->GetBackgroundColour()));
    gc->SetPen(*wxTRANSPARENT_PEN);
    gc->DrawRectangle(0, 0, size.x, size.y);
}

void SkinManager::Render(wxWindow* window, wxMemoryDC& dc) {
    if (auto* button = dynamic_cast<CSkinButton*>(window)) {
        button->DrawTo(dc);
        return;
    }
    if (auto* slider = dynamic_cast<CSkinSlider*>(window)) {
        slider->DrawTo(dc);
        return;
    }
    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
    if (!gc) return;
    if (auto* tree = wxDynamicCast(window, wxTreeCtrl))
        PaintTree(tree, gc.get());
    else
        PaintWindow(window, gc.get(), window->GetClientSize());
}

void SkinManager::RefreshAll() {
    for (auto& [window, skin] : windows_) window->Refresh();
}

void SkinManager::Reset() {
    // Windows that are still alive keep their bound handlers; they simply find no element.
    for (auto& [window, skin] : windows_) {
        skin.element.clear();
        skin.values.clear();
        skin.visible.clear();
        skin.treeItems.clear();
        skin.hooked = false;
    }
    hsb_ = Hsb();
    menuSkin_ = false;
    hookSkin_ = false;
    requested_.clear();
    loaded_.clear();
    skins_.clear();
    SkinPainter::Get().ForgetPictures();
}

}  // namespace zorbel::skin
