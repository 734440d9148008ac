#pragma once

#include <wx/dcmemory.h>
#include <wx/gdicmn.h>

class wxBitmap;

// An off-screen drawing context for a rectangle of another one: everything is drawn into a
// bitmap of the rectangle's size, addressed with the target's own coordinates, and the whole
// picture is copied to the target in one step when this object goes away.
class CMemDC : public wxMemoryDC {
public:
    CMemDC(wxDC* pDC, const wxRect& rect);
    ~CMemDC() override;
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    // False for an empty rectangle: nothing is drawn or copied then.
    bool HasBitmap() const { return m_pBitmap != nullptr; }

    wxBitmap* m_pBitmap = nullptr;  // owned
    wxDC* m_pDC = nullptr;          // the target, not owned
    wxRect m_rect;
};
