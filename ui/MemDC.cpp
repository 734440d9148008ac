#include "ui/MemDC.h"

#include <wx/bitmap.h>
#include <wx/brush.h>

CMemDC::CMemDC(wxDC* pDC, const wxRect& rect) : wxMemoryDC(pDC), m_pDC(pDC), m_rect(rect) {
    if (m_pDC == nullptr || rect.width <= 0 || rect.height <= 0) return;
    m_pBitmap = new wxBitmap(rect.width, rect.height, *m_pDC);
    SelectObject(*m_pBitmap);
    // The bitmap starts at the rectangle's corner, so callers keep drawing with the
    // target's coordinates whatever the rectangle's left and top.
    SetDeviceOrigin(-rect.x, -rect.y);
    // A fresh bitmap holds whatever memory it got; start from black as a new one on screen.
    SetPen(*wxTRANSPARENT_PEN);
    SetBrush(*wxBLACK_BRUSH);
    DrawRectangle(rect);
    SetBrush(wxNullBrush);
    SetPen(wxNullPen);
}

CMemDC::~CMemDC() {
    if (m_pBitmap == nullptr) return;
    m_pDC->Blit(m_rect.x, m_rect.y, m_rect.width, m_rect.height, this, m_rect.x, m_rect.y, wxCOPY);
    SelectObject(wxNullBitmap);
    delete m_pBitmap;
    m_pBitmap = nullptr;
}
