#include "vaultcore/asn1/asn1_type.h"

CASN1_TAGGED::CASN1_TAGGED()
{
    m_bConstructed = TRUE;
}

CASN1_TAGGED::CASN1_TAGGED(unsigned char identifier, int indefinite)
{
    m_identifier = identifier;
    m_bConstructed = TRUE;
    m_bIndefinite = indefinite;
}

CASN1_TAGGED::CASN1_TAGGED(const CASN1_TAGGED& other) : CASN1_CONSTRUCTED_TYPE(other)
{
    setReference(other.m_pEncoding, other.m_dwPosition, other.m_dwLength);
}

CASN1_TAGGED& CASN1_TAGGED::operator=(const CASN1_TAGGED& other)
{
    if (this != &other) {
        CASN1_CONSTRUCTED_TYPE::operator=(other);
        setReference(other.m_pEncoding, other.m_dwPosition, other.m_dwLength);
    }
    return *this;
}

CASN1_TAGGED::~CASN1_TAGGED()
{
    releaseReference();
}

void CASN1_TAGGED::setReference(CDEREncoding* encoding, unsigned long position, unsigned long length)
{
    if (encoding)
        encoding->AddRef();  // first, in case it is the one held now
    releaseReference();
    m_pEncoding = encoding;
    m_dwPosition = (uint32_t)position;
    m_dwLength = (uint32_t)length;
}

void CASN1_TAGGED::releaseReference()
{
    CDEREncoding* encoding = m_pEncoding;
    m_pEncoding = nullptr;
    m_dwPosition = m_dwLength = 0;
    if (encoding)
        encoding->Release();
}

void CASN1_TAGGED::clear()
{
    CASN1_CONSTRUCTED_TYPE::clear();
    releaseReference();
}

CASN1Type* CASN1_TAGGED::clone() const
{
    return new CASN1_TAGGED(*this);
}

CASN1Type* CASN1_TAGGED::cloneAndDie()
{
    CASN1_TAGGED* fresh = new CASN1_TAGGED;
    fresh->CASN1Type::operator=(*this);
    fresh->takeContentsFrom(*this);
    return fresh;
}

void CASN1_TAGGED::takeContentsFrom(CASN1Type& source)
{
    CASN1_CONSTRUCTED_TYPE::takeContentsFrom(source);
    releaseReference();
    if (auto* tagged = dynamic_cast<CASN1_TAGGED*>(&source))
        setReference(tagged->m_pEncoding, tagged->m_dwPosition, tagged->m_dwLength);
}

void CASN1_TAGGED::writeReferenced(CBufferedFilterNS& stage) const
{
    if (!m_pEncoding || m_dwLength == 0)
        return;
    // Each block is read in place and the position put back before the
    // stage takes it: the stage may write into this very encoding, and a
    // decoding of the next value may be going on in it.
    unsigned char block[1024];
    unsigned long done = 0;
    while (done < m_dwLength) {
        unsigned long chunk = m_dwLength - done < sizeof block ? m_dwLength - done : sizeof block;
        if (m_pEncoding->ReadAt(m_dwPosition + done, block, chunk) != chunk)
            ___throwDERDecodingException("Unexpected end of file");
        stage.write(block, chunk);
        done += chunk;
    }
}

void CASN1_TAGGED::readReferenced(CByteArray& bytes) const
{
    bytes.RemoveAll();
    if (!m_pEncoding)
        return;
    if (m_pEncoding->ReadAt(m_dwPosition, bytes, m_dwLength) != m_dwLength)
        ___throwDERDecodingException("Unexpected end of file");
}

void CASN1_TAGGED::writeEncoding(CBufferedFilterNS& stage, int withoutHeader, int useIdentifier,
                                 unsigned char identifier) const
{
    if (m_bConstructed) {
        CASN1_CONSTRUCTED_TYPE::writeEncoding(stage, withoutHeader, useIdentifier, identifier);
        return;
    }
    if (!withoutHeader)
        writeHeader(stage, useIdentifier, identifier, m_dwLength);
    writeReferenced(stage);
}

void CASN1_TAGGED::writeClearContents(CBufferedFilterNS& stage) const
{
    if (m_bConstructed)
        CASN1_CONSTRUCTED_TYPE::writeClearContents(stage);
    else
        writeReferenced(stage);
}

void CASN1_TAGGED::buildImplicitTAGGED(CASN1_TAGGED& tagged)
{
    if (m_bConstructed) {
        CASN1_CONSTRUCTED_TYPE::buildImplicitTAGGED(tagged);
        return;
    }
    if (&tagged == this)
        return;
    tagged.clear();
    tagged.setReference(m_pEncoding, m_dwPosition, m_dwLength);
    tagged.setConstructed(FALSE);
    tagged.setIndefinite(FALSE);
    if (m_bClearAfterGet)
        clear();
}

unsigned long CASN1_TAGGED::getEncodedLength(int contentsOnly) const
{
    if (m_bConstructed)
        return CASN1_CONSTRUCTED_TYPE::getEncodedLength(contentsOnly);
    return contentsOnly ? m_dwLength : ___computeEncodedLength(1, m_dwLength, FALSE);
}

unsigned long CASN1_TAGGED::getClearContentsLength() const
{
    if (m_bConstructed)
        return CASN1_CONSTRUCTED_TYPE::getClearContentsLength();
    return m_dwLength;
}

void CASN1_TAGGED::addConstructedComponent(CASN1Type* component)
{
    m_components.Add(component);
}

void CASN1_TAGGED::setContents(CDEREncoding& encoding, unsigned long length)
{
    clear();
    if (length > encoding.bytesLeft())
        ___throwDERDecodingException("Unexpected end of file");
    long position = encoding.Seek(0, CFile::current);
    if ((unsigned long)position > 0xFFFFFFFFUL - length)
        ___throwDERDecodingException("Unexpected end of file");
    setReference(&encoding, (unsigned long)position, length);
    encoding.Seek((long)length, CFile::current);
}
