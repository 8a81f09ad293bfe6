#include "vaultcore/asn1/asn1_type.h"

CASN1_CONSTRUCTED_TYPE::CASN1_CONSTRUCTED_TYPE(const CASN1_CONSTRUCTED_TYPE& other) : CASN1_PRIMITIVE_TYPE(other)
{
    copyComponentsFrom(other);
}

CASN1_CONSTRUCTED_TYPE& CASN1_CONSTRUCTED_TYPE::operator=(const CASN1_CONSTRUCTED_TYPE& other)
{
    if (this != &other) {
        CASN1_PRIMITIVE_TYPE::operator=(other);
        removeAllComponents();
        copyComponentsFrom(other);
    }
    return *this;
}

CASN1_CONSTRUCTED_TYPE::~CASN1_CONSTRUCTED_TYPE()
{
    removeAllComponents();
}

void CASN1_CONSTRUCTED_TYPE::copyComponentsFrom(const CASN1_CONSTRUCTED_TYPE& other)
{
    for (int i = 0; i < other.m_components.GetSize(); ++i)
        m_components.Add(other.m_components[i]->clone());
}

void CASN1_CONSTRUCTED_TYPE::removeAllComponents()
{
    for (int i = 0; i < m_components.GetSize(); ++i)
        delete m_components[i];
    m_components.RemoveAll();
}

CASN1Type* CASN1_CONSTRUCTED_TYPE::detachComponentAt(int index)
{
    CASN1Type* component = m_components[index];
    m_components.RemoveAt(index);
    return component;
}

void CASN1_CONSTRUCTED_TYPE::clear()
{
    CASN1_PRIMITIVE_TYPE::clear();
    removeAllComponents();
}

CASN1Type* CASN1_CONSTRUCTED_TYPE::clone() const
{
    return new CASN1_CONSTRUCTED_TYPE(*this);
}

CASN1Type* CASN1_CONSTRUCTED_TYPE::cloneAndDie()
{
    CASN1_CONSTRUCTED_TYPE* fresh = new CASN1_CONSTRUCTED_TYPE;
    fresh->CASN1Type::operator=(*this);
    fresh->takeContentsFrom(*this);
    return fresh;
}

void CASN1_CONSTRUCTED_TYPE::takeContentsFrom(CASN1Type& source)
{
    CASN1_PRIMITIVE_TYPE::takeContentsFrom(source);
    removeAllComponents();
    if (auto* constructed = dynamic_cast<CASN1_CONSTRUCTED_TYPE*>(&source)) {
        // The pointers change hands in one step: if the copy fails, the
        // source still owns every component and this value none.
        m_components.Copy(constructed->m_components);
        constructed->m_components.RemoveAll();
    }
}

unsigned long CASN1_CONSTRUCTED_TYPE::componentsLength() const
{
    unsigned long sum = 0;
    for (int i = 0; i < m_components.GetSize(); ++i)
        sum += m_components[i]->getEncodedLength(0);
    return sum;
}

void CASN1_CONSTRUCTED_TYPE::writeEncoding(CBufferedFilterNS& stage, int withoutHeader, int useIdentifier,
                                           unsigned char identifier) const
{
    if (!m_bConstructed) {
        CASN1_PRIMITIVE_TYPE::writeEncoding(stage, withoutHeader, useIdentifier, identifier);
        return;
    }
    if (!withoutHeader)
        writeHeader(stage, useIdentifier, identifier, m_bIndefinite ? 0 : componentsLength());
    for (int i = 0; i < m_components.GetSize(); ++i)
        m_components[i]->writeEncoding(stage, 0, 0, 0);
    if (m_bIndefinite && !withoutHeader) {
        static const unsigned char endOfContents[2] = {0, 0};
        stage.write(endOfContents, 2);
    }
}

void CASN1_CONSTRUCTED_TYPE::writeClearContents(CBufferedFilterNS& stage) const
{
    if (!m_bConstructed) {
        CASN1_PRIMITIVE_TYPE::writeClearContents(stage);
        return;
    }
    for (int i = 0; i < m_components.GetSize(); ++i)
        m_components[i]->writeClearContents(stage);
}

void CASN1_CONSTRUCTED_TYPE::buildImplicitTAGGED(CASN1_TAGGED& tagged)
{
    if (!m_bConstructed) {
        CASN1_PRIMITIVE_TYPE::buildImplicitTAGGED(tagged);
        return;
    }
    tagged.clear();
    for (int i = 0; i < m_components.GetSize(); ++i)
        tagged.AddObject(m_bClearAfterGet ? m_components[i] : m_components[i]->clone());
    if (m_bClearAfterGet)
        m_components.RemoveAll();
    tagged.setConstructed(TRUE);
    tagged.setIndefinite(m_bIndefinite);
}

BOOL CASN1_CONSTRUCTED_TYPE::fromImplicit(CASN1_TAGGED& tagged)
{
    if (!tagged.isConstructed())
        return CASN1_PRIMITIVE_TYPE::fromImplicit(tagged);
    if (!allowsConstructed())
        return FALSE;
    m_bConstructed = TRUE;
    m_bIndefinite = tagged.isIndefinite();
    BOOL move = tagged.isClearAfterGet();
    try {
        while (tagged.getComponentCount() > 0 && move)
            addConstructedComponent(tagged.detachComponentAt(0));
        for (int i = 0; !move && i < tagged.getComponentCount(); ++i)
            addConstructedComponent(tagged.getComponentAt(i)->clone());
    } catch (CDERDecodingException* e) {
        // A component this type refuses (e.g. a segment of another type).
        e->Delete();
        return FALSE;
    }
    if (move)
        tagged.clear();
    return TRUE;
}

unsigned long CASN1_CONSTRUCTED_TYPE::getEncodedLength(int contentsOnly) const
{
    if (!m_bConstructed)
        return CASN1_PRIMITIVE_TYPE::getEncodedLength(contentsOnly);
    unsigned long sum = componentsLength();
    if (contentsOnly)
        return sum;
    return ___computeEncodedLength(1, sum, m_bIndefinite);
}

unsigned long CASN1_CONSTRUCTED_TYPE::getClearContentsLength() const
{
    if (!m_bConstructed)
        return CASN1_PRIMITIVE_TYPE::getClearContentsLength();
    unsigned long sum = 0;
    for (int i = 0; i < m_components.GetSize(); ++i)
        sum += m_components[i]->getClearContentsLength();
    return sum;
}

void CASN1_CONSTRUCTED_TYPE::OnOffAlignLeft(int on) const
{
    CASN1Type::OnOffAlignLeft(on);
    for (int i = 0; i < m_components.GetSize(); ++i)
        m_components[i]->OnOffAlignLeft(on);
}

void CASN1_CONSTRUCTED_TYPE::OnOffClearAfterGet(int on) const
{
    CASN1Type::OnOffClearAfterGet(on);
    for (int i = 0; i < m_components.GetSize(); ++i)
        m_components[i]->OnOffClearAfterGet(on);
}

void CASN1_CONSTRUCTED_TYPE::OnOffSorted(int on) const
{
    CASN1Type::OnOffSorted(on);
    for (int i = 0; i < m_components.GetSize(); ++i)
        m_components[i]->OnOffSorted(on);
}

void CASN1_CONSTRUCTED_TYPE::AddObject(CASN1Type* component)
{
    m_components.Add(component);
}

void CASN1_CONSTRUCTED_TYPE::addConstructedComponent(CASN1Type* component)
{
    unsigned char mine = m_identifier & kASN1ClassAndTagMask;
    unsigned char theirs = component->getIdentifier() & kASN1ClassAndTagMask;
    if (mine != theirs) {
        delete component;
        ___throwDERDecodingException("Tag number is not the same: 0x%x current, 0x%x inserted", mine, theirs);
    }
    m_components.Add(component);
}
