// Listening mode's side of the main window: which list a title came from and what comes next
// in it. The next title is started by selecting its item, so that it takes the road of a
// click: from the cache, or downloaded first.
#include <cstdlib>
#include <string>

#include <wx/treectrl.h>

#include "app/CatalogFiles.h"
#include "listening/TitleTypeLookup.h"
#include "mainwnd/PlimDlg.h"

using zorbel::listening::TitleKind;

namespace {

// Every item below start, depth first (the trees hold a heading or classes, then titles).
template <typename Visit>
bool VisitItems(wxTreeCtrl* tree, const wxTreeItemId& start, const Visit& visit) {
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = tree->GetFirstChild(start, cookie); child.IsOk();
         child = tree->GetNextChild(start, cookie)) {
        if (visit(child) || VisitItems(tree, child, visit)) return true;
    }
    return false;
}

}  // namespace

void CPlimDlg::NoteListenSource(wxTreeCtrl* tree, const wxTreeItemId& item) {
    m_listenTree = tree;
    m_listenItem = item;
    m_listenText = tree->GetItemText(item).utf8_string();
}

wxTreeItemId CPlimDlg::FindListenItem() const {
    wxTreeCtrl* tree = m_listenTree;
    if (tree == nullptr || !m_listenItem.IsOk() || tree->GetCount() == 0) return wxTreeItemId();
    // The noted id is compared, never used, until the tree shows it still holds that item: a
    // reload deletes every item.
    wxTreeItemId found;
    VisitItems(tree, tree->GetRootItem(), [&](const wxTreeItemId& item) {
        if (item != m_listenItem) return false;
        if (tree->GetItemText(item).utf8_string() == m_listenText) found = item;
        return true;
    });
    return found;
}

TitleKind CPlimDlg::KindOfTitle(const std::string& titleName) const {
    if (m_nViewMode == 1) return zorbel::listening::KindOfType(std::atoi(m_strViewType.c_str()));
    return zorbel::listening::TitleTypeLookup::KindOf(zorbel::files::CatalogPath(), titleName).kind;
}

std::optional<std::string> CPlimDlg::NextListeningTitle() {
    const wxTreeItemId item = FindListenItem();
    if (!item.IsOk()) return std::nullopt;
    // The catalog tree shows one type: the next title of the class is of the same kind. The
    // quick lists mix kinds: the next one that is listened to.
    for (wxTreeItemId next = m_listenTree->GetNextSibling(item); next.IsOk();
         next = m_listenTree->GetNextSibling(next)) {
        const std::string name = m_listenTree->GetItemText(next).utf8_string();
        if (m_listenTree == m_treeCatalog ||
            zorbel::listening::IsListeningKind(
                zorbel::listening::TitleTypeLookup::KindOf(zorbel::files::CatalogPath(), name)
                    .kind))
            return name;
    }
    return std::nullopt;
}

bool CPlimDlg::PlayListeningTitle(const std::string& titleName) {
    const wxTreeItemId item = FindListenItem();
    if (!item.IsOk()) return false;
    for (wxTreeItemId next = m_listenTree->GetNextSibling(item); next.IsOk();
         next = m_listenTree->GetNextSibling(next)) {
        if (m_listenTree->GetItemText(next).utf8_string() != titleName) continue;
        m_listenTree->EnsureVisible(next);
        // The selection's event plays it (or fetches it first), as a click would.
        m_listenTree->SelectItem(next);
        return true;
    }
    return false;
}
