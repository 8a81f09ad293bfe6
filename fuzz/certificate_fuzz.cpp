// Feeds arbitrary bytes to the certificate classes: decoding with
// validation, conversion into the record, the dump and labels, verification
// against the certificate's own key, re-encoding from the record and the
// stored form. Failures must be the decoding exception (or, for
// verification, the RSA exception); a record that converts must store and
// load back equal, and one whose re-encoding reads back must read back as
// the same record. Read as the first value of a stream, a certificate that
// decodes must take exactly the octets its headers declare at every level,
// encode the same way twice, and leave the stream where it ends: the next
// value then decodes as it does alone.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "der_invariants.h"
#include "vaultcore/pki/scoped_encoding.h"
#include "vaultcore/vaultcore.h"

namespace {
CASN1Type* decodeCertificate(CDEREncoding& encoding)
{
    return new CASN1_Certificate(encoding);
}

void checkStream(const uint8_t* data, size_t size)
{
    CScopedEncoding stream(data, (unsigned long)size);
    try {
        CASN1_Certificate asn1(*stream);
        der_invariants::checkBounds(data, size, asn1, (*stream).GetPosition());
        der_invariants::checkStableEncoding(asn1);
        CCertificate record;
        asn1.SetDataTo(record);
        CMemFile listing;
        asn1.Dump(0, &listing);
        der_invariants::checkNextDecodesAlone(*stream, data, size, decodeCertificate);
    } catch (CDERDecodingException* e) {
        e->Delete();
    }
}

// Decoded and converted; null when the bytes are refused.
std::unique_ptr<CCertificate> certificateOf(const unsigned char* data, unsigned long size)
{
    try {
        CScopedEncoding encoding(data, size);
        CASN1_Certificate asn1(*encoding);
        std::unique_ptr<CCertificate> record(new CCertificate);
        asn1.SetDataTo(*record);
        return record;
    } catch (CDERDecodingException* e) {
        e->Delete();
        return nullptr;
    }
}

void storeAndLoad(CCertificate& record)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        record.Serialize(ar);
        ar.Close();
    }
    file.SeekToBegin();
    CCertificate loaded;
    CArchive ar(&file, CArchive::load);
    loaded.Serialize(ar);
    if (!(loaded == record))
        abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 1 << 16)
        return 0;
    checkStream(data, size);
    std::unique_ptr<CCertificate> record = certificateOf(data, (unsigned long)size);
    if (!record)
        return 0;
    CString text = *record;
    text = record->m_issuer.GetLabel() + record->m_owner.GetLabel2();
    try {
        record->IsSignatureOKFor(*record);
    } catch (CUnlockException* e) {
        e->Delete();
    }
    storeAndLoad(*record);

    CByteArray again;
    try {
        CASN1_Certificate(*record).encodeTo(again);
    } catch (CDERDecodingException* e) {
        e->Delete();
        return 0;
    }
    std::unique_ptr<CCertificate> reread = certificateOf(again.GetData(), (unsigned long)again.GetSize());
    if (reread) {
        // Written with NULL parameters, the modulus bits are counted again.
        reread->m_modulusBits = record->m_modulusBits;
        if (!(*reread == *record))
            abort();
    }
    return 0;
}
