#include "vaultcore/asn1/asn1_type.h"

#include <cstring>
#include <memory>


void CASN1Type::encodeTo(CBufferedFilterNS& stage, int withoutHeader, int useIdentifier,
                         unsigned char identifier) const
{
    // The caller's stage is already buffered and is finished by the caller.
    writeEncoding(stage, withoutHeader, useIdentifier, identifier);
}

void CASN1Type::encodeTo(CArchive& ar, int withoutHeader, int useIdentifier, unsigned char identifier) const
{
    CArchiveFilterNS stage(ar);
    writeEncoding(stage, withoutHeader, useIdentifier, identifier);
    stage.finish();
}

void CASN1Type::encodeTo(CDEREncoding& encoding, int withoutHeader, int useIdentifier,
                         unsigned char identifier) const
{
    CEncodingFilterNS stage(encoding);
    writeEncoding(stage, withoutHeader, useIdentifier, identifier);
    stage.finish();
}

void CASN1Type::encodeTo(CFile& file, int withoutHeader, int useIdentifier, unsigned char identifier) const
{
    CFileFilterNS stage(file);
    writeEncoding(stage, withoutHeader, useIdentifier, identifier);
    stage.finish();
}

void CASN1Type::getClearData(CBufferedFilterNS& stage) const
{
    writeClearContents(stage);
}

void CASN1Type::getClearData(CArchive& ar) const
{
    CArchiveFilterNS stage(ar);
    writeClearContents(stage);
    stage.finish();
}

void CASN1Type::getClearData(CDEREncoding& encoding) const
{
    CEncodingFilterNS stage(encoding);
    writeClearContents(stage);
    stage.finish();
}

void CASN1Type::getClearData(CFile& file) const
{
    CFileFilterNS stage(file);
    writeClearContents(stage);
    stage.finish();
}

void CASN1Type::writeHeader(CBufferedFilterNS& stage, int useIdentifier, unsigned char identifier,
                            unsigned long contentsLength) const
{
    unsigned char header[6];
    unsigned char id = (useIdentifier ? identifier : m_identifier) & kASN1ClassAndTagMask;
    if (m_bConstructed)
        id |= kASN1ConstructedBit;
    header[0] = id;
    unsigned long n = 1;
    if (m_bConstructed && m_bIndefinite) {
        header[n++] = 0x80;
    } else if (contentsLength < 128) {
        header[n++] = (unsigned char)contentsLength;
    } else {
        unsigned char octets = 0;
        for (unsigned long v = contentsLength; v; v >>= 8)
            ++octets;
        header[n++] = (unsigned char)(0x80 | octets);
        for (int shift = (octets - 1) * 8; shift >= 0; shift -= 8)
            header[n++] = (unsigned char)(contentsLength >> shift);
    }
    stage.write(header, n);
}

void CASN1Type::buildExplicitTAGGED(CASN1_TAGGED& tagged)
{
    tagged.clear();
    tagged.AddObject(m_bClearAfterGet ? cloneAndDie() : clone());
    tagged.setConstructed(TRUE);
    tagged.setIndefinite(FALSE);
}

BOOL CASN1Type::fromExplicit(CASN1_TAGGED& tagged)
{
    clear();
    if (!tagged.isConstructed() || tagged.getComponentCount() != 1)
        return FALSE;
    CASN1Type* component;
    if (tagged.isClearAfterGet()) {
        component = tagged.detachComponentAt(0);
        tagged.clear();
    } else {
        component = tagged.getComponentAt(0)->clone();
    }
    return moveFrom(component);
}

void CASN1Type::decodeFrom(CDEREncoding& encoding)
{
    clear();
    ___buildFromEncoding(*this, encoding);
}

void CASN1Type::encodeTo(CByteArray& bytes) const
{
    unsigned long length = getEncodedLength(0);
    if (length > 0x7FFFFFFFUL)
        AfxThrowMemoryException();
    bytes.SetSize((int)length);
    CMemFile file(bytes.GetData(), (UINT)length, 0);
    encodeTo(file);
}

void CASN1Type::GetString(CString& text) const
{
    unsigned long length = getClearContentsLength();
    if (length > 0x7FFFFFFFUL)
        AfxThrowMemoryException();
    CMemFile file((BYTE*)text.GetBufferSetLength((int)length), (UINT)length, 0);
    getClearData(file);
}

BOOL CASN1Type::GetClearData(unsigned char* buffer, unsigned long size, int alignLeft, int zeroFill) const
{
    unsigned long n = getClearContentsLength();
    if (size < n)
        return FALSE;
    OnOffAlignLeft(alignLeft);
    unsigned long offset = alignLeft ? 0 : size - n;
    CMemFile file(buffer + offset, (UINT)n, 0);
    getClearData(file);
    if (zeroFill) {
        if (alignLeft)
            std::memset(buffer + n, 0, size - n);
        else
            std::memset(buffer, 0, offset);
    }
    return TRUE;
}

void CASN1Type::GetClearData(CByteArray& bytes, int alignLeft) const
{
    unsigned long n = getClearContentsLength();
    if (n > 0x7FFFFFFFUL)
        AfxThrowMemoryException();
    bytes.SetSize((int)n);
    OnOffAlignLeft(alignLeft);
    CMemFile file(bytes.GetData(), (UINT)n, 0);
    getClearData(file);
}

void CASN1Type::_Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << (BYTE)0;
        CByteArray bytes;
        encodeTo(bytes);
        bytes.Serialize(ar);
        return;
    }
    BYTE marker;
    ar >> marker;
    if (marker != 0)
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName);
    CByteArrayPro bytes;
    bytes.Serialize(ar);
    unsigned long size = (unsigned long)bytes.GetSize();
    if (size == 0)
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName);
    CDEREncoding* encoding = new CDEREncoding(TRUE, bytes.Detach(), size, TRUE, FALSE);
    encoding->AddRef();
    try {
        decodeFrom(*encoding);
    } catch (CDERDecodingException* e) {
        e->Delete();
        encoding->Release();
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName);
    } catch (CException*) {
        encoding->Release();
        throw;
    }
    encoding->Release();
}
