#pragma once

#include <cstddef>
#include <memory>
#include <string>

// Walks a small XML document: the root element, then its children of one name in document
// order, reading their attributes. Any text is accepted: what is not well-formed XML (or is
// larger than kMaxDocumentSize) loads as an empty document, on which every search fails.
class CMarkup {
public:
    CMarkup();
    virtual ~CMarkup();
    CMarkup(const CMarkup&) = delete;
    CMarkup& operator=(const CMarkup&) = delete;

    // Replaces the document; true when text was well-formed XML. Positions are reset.
    bool LoadXML(const std::string& text);

    // Back to before the root element; the next FindElem finds it again.
    void ResetMainPos();

    // Moves to the next element at the top level: the first call after LoadXML or
    // ResetMainPos finds the root element. False when there is none.
    bool FindElem();

    // Moves to the next child of the current element with that name (any name when empty),
    // after the current child. Without a current element, the root element becomes current
    // first. False when none is left.
    bool FindChildElem(const std::string& name);

    // An attribute of the current child; empty when absent or when there is no current child.
    std::string GetChildAttrib(const std::string& name) const;

    static constexpr std::size_t kMaxDocumentSize = 4 * 1024 * 1024;

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};
