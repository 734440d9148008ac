#include "platform/Markup.h"

#include <pugixml.hpp>

struct CMarkup::Impl {
    pugi::xml_document doc;
    pugi::xml_node main;   // current element; null before the first FindElem
    pugi::xml_node child;  // current child of main; null before the first FindChildElem
};

CMarkup::CMarkup() : m_pImpl(new Impl) {}

CMarkup::~CMarkup() = default;

bool CMarkup::LoadXML(const std::string& text) {
    m_pImpl->doc.reset();
    ResetMainPos();
    if (text.size() > kMaxDocumentSize) return false;
    // The default options neither expand DTD entities nor read external resources, and the
    // parser does not recurse, so deep nesting costs no stack.
    pugi::xml_parse_result parsed =
        m_pImpl->doc.load_buffer(text.data(), text.size(), pugi::parse_default);
    if (!parsed) {
        // A half-read tree is not a document; nothing of it is offered.
        m_pImpl->doc.reset();
        return false;
    }
    return true;
}

void CMarkup::ResetMainPos() {
    m_pImpl->main = pugi::xml_node();
    m_pImpl->child = pugi::xml_node();
}

bool CMarkup::FindElem() {
    pugi::xml_node next = m_pImpl->main ? m_pImpl->main.next_sibling() : m_pImpl->doc.first_child();
    while (next && next.type() != pugi::node_element) next = next.next_sibling();
    if (!next) return false;
    m_pImpl->main = next;
    m_pImpl->child = pugi::xml_node();
    return true;
}

bool CMarkup::FindChildElem(const std::string& name) {
    if (!m_pImpl->main && !FindElem()) return false;
    pugi::xml_node next =
        m_pImpl->child ? m_pImpl->child.next_sibling() : m_pImpl->main.first_child();
    while (next && (next.type() != pugi::node_element || (!name.empty() && name != next.name())))
        next = next.next_sibling();
    if (!next) return false;
    m_pImpl->child = next;
    return true;
}

std::string CMarkup::GetChildAttrib(const std::string& name) const {
    if (!m_pImpl->child) return std::string();
    return m_pImpl->child.attribute(name.c_str()).value();
}
