#include <cstring>
#include <memory>

#include "vaultcore/asn1/asn1_type.h"

CASN1_PRIMITIVE_TYPE::CASN1_PRIMITIVE_TYPE(const CASN1_PRIMITIVE_TYPE& other)
    : CASN1Type(other), CByteArrayPro()
{
    Copy(other);
}

CASN1_PRIMITIVE_TYPE& CASN1_PRIMITIVE_TYPE::operator=(const CASN1_PRIMITIVE_TYPE& other)
{
    if (this != &other) {
        CASN1Type::operator=(other);
        Copy(other);
    }
    return *this;
}

void CASN1_PRIMITIVE_TYPE::setContentsBytes(const unsigned char* data, unsigned long length)
{
    if (length > 0x7FFFFFFFUL)
        AfxThrowMemoryException();
    SetSize((int)length);
    if (length)
        std::memcpy(GetData(), data, length);
}

void CASN1_PRIMITIVE_TYPE::clear()
{
    RemoveAll();
}

CASN1Type* CASN1_PRIMITIVE_TYPE::clone() const
{
    return new CASN1_PRIMITIVE_TYPE(*this);
}

CASN1Type* CASN1_PRIMITIVE_TYPE::cloneAndDie()
{
    CASN1_PRIMITIVE_TYPE* fresh = new CASN1_PRIMITIVE_TYPE;
    fresh->CASN1Type::operator=(*this);
    fresh->takeContentsFrom(*this);
    return fresh;
}

BOOL CASN1_PRIMITIVE_TYPE::moveFrom(CASN1Type* source)
{
    if (!source || source == this)
        return source == this;
    std::unique_ptr<CASN1Type> consumed(source);
    if (source->getIdentifier() != m_identifier)
        return FALSE;
    m_bConstructed = source->isConstructed();
    m_bIndefinite = source->isIndefinite();
    try {
        takeContentsFrom(*source);
    } catch (CDERDecodingException* e) {
        // Contents that cannot be read (referenced octets missing from
        // their encoding): nothing is taken, as for a value of another type.
        e->Delete();
        clear();
        return FALSE;
    }
    return TRUE;
}

void CASN1_PRIMITIVE_TYPE::takeContentsFrom(CASN1Type& source)
{
    clear();
    if (auto* tagged = dynamic_cast<CASN1_TAGGED*>(&source)) {
        // Contents still inside the encoding they came from: read them now.
        if (!tagged->isConstructed() && tagged->getReference() && tagged->contentsLength() == 0) {
            CByteArray bytes;
            tagged->readReferenced(bytes);
            Copy(bytes);
            return;
        }
    }
    if (auto* primitive = dynamic_cast<CASN1_PRIMITIVE_TYPE*>(&source)) {
        // Hand the buffer over without copying.
        std::swap(m_pData, primitive->m_pData);
        std::swap(m_nSize, primitive->m_nSize);
        std::swap(m_nMaxSize, primitive->m_nMaxSize);
        primitive->RemoveAll();
    }
}

void CASN1_PRIMITIVE_TYPE::writeEncoding(CBufferedFilterNS& stage, int withoutHeader, int useIdentifier,
                                         unsigned char identifier) const
{
    if (!withoutHeader)
        writeHeader(stage, useIdentifier, identifier, contentsLength());
    if (GetSize() > 0)
        stage.write(GetData(), contentsLength());
}

void CASN1_PRIMITIVE_TYPE::writeClearContents(CBufferedFilterNS& stage) const
{
    if (GetSize() > 0)
        stage.write(GetData(), contentsLength());
}

void CASN1_PRIMITIVE_TYPE::buildImplicitTAGGED(CASN1_TAGGED& tagged)
{
    tagged.clear();
    unsigned long length = contentsLength();
    CDEREncoding* encoding;
    if (m_bClearAfterGet) {
        unsigned char* buffer = Detach();
        encoding = new CDEREncoding(TRUE, buffer, length, TRUE, FALSE);
    } else {
        encoding = new CDEREncoding(TRUE, GetData(), length, FALSE, TRUE);
    }
    encoding->AddRef();
    tagged.setReference(encoding, 0, length);
    encoding->Release();
    tagged.setConstructed(FALSE);
    tagged.setIndefinite(FALSE);
}

BOOL CASN1_PRIMITIVE_TYPE::fromImplicit(CASN1_TAGGED& tagged)
{
    clear();
    if (!allowsPrimitive() || tagged.isConstructed() || !tagged.getReference())
        return FALSE;
    m_bConstructed = FALSE;
    m_bIndefinite = FALSE;
    CDEREncoding& encoding = *tagged.getReference();
    try {
        // The contents are read where the reference says; the encoding's
        // position is someone else's and is put back.
        CDERPositionKeeper keep(encoding);
        encoding.Seek((long)tagged.getReferencePosition(), CFile::begin);
        setContents(encoding, tagged.getReferenceLength());
    } catch (CDERDecodingException* e) {
        // Contents this type refuses: a mismatch, reported as such.
        e->Delete();
        clear();
        return FALSE;
    }
    if (tagged.isClearAfterGet())
        tagged.clear();
    return TRUE;
}

unsigned long CASN1_PRIMITIVE_TYPE::getEncodedLength(int contentsOnly) const
{
    unsigned long n = contentsLength();
    return contentsOnly ? n : ___computeEncodedLength(1, n, FALSE);
}

unsigned long CASN1_PRIMITIVE_TYPE::getClearContentsLength() const
{
    return contentsLength();
}

void CASN1_PRIMITIVE_TYPE::addConstructedComponent(CASN1Type* component)
{
    delete component;
}

void CASN1_PRIMITIVE_TYPE::setContents(CDEREncoding& encoding, unsigned long length)
{
    // Read sizes the array to the octets actually there, so a length beyond
    // the data allocates nothing before it fails here.
    if (encoding.Read(*this, length) != length)
        ___throwDERDecodingException("Unexpected end of file");
}
