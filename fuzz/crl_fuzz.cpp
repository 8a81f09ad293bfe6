// Feeds arbitrary bytes to the revocation list classes: decoding with
// validation, conversion into the record, the dump, re-encoding from the
// record and the stored forms of lists and certification chains. Failures
// must be the decoding exception (the archive's for stored forms); a list
// that converts must store and load back the same, and one whose
// re-encoding reads back must read back as the same list. Read as the first
// value of a stream, a list that decodes must take exactly the octets its
// headers declare and leave the stream where it ends.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "der_invariants.h"
#include "vaultcore/pki/scoped_encoding.h"
#include "vaultcore/vaultcore.h"

namespace {
CASN1Type* decodeList(CDEREncoding& encoding)
{
    return new CASN1_CertificateRevocationList(encoding);
}

void checkStream(const uint8_t* data, size_t size)
{
    CScopedEncoding stream(data, (unsigned long)size);
    try {
        CASN1_CertificateRevocationList asn1(*stream);
        der_invariants::checkBounds(data, size, asn1, (*stream).GetPosition());
        der_invariants::checkStableEncoding(asn1);
        CMemFile listing;
        asn1.Dump(0, &listing);
        der_invariants::checkNextDecodesAlone(*stream, data, size, decodeList);
    } catch (CDERDecodingException* e) {
        e->Delete();
    }
}

std::unique_ptr<CCertificateRevocationList> listOf(const unsigned char* data, unsigned long size)
{
    try {
        CScopedEncoding encoding(data, size);
        CASN1_CertificateRevocationList asn1(*encoding);
        std::unique_ptr<CCertificateRevocationList> record(new CCertificateRevocationList);
        asn1.SetDataTo(*record);
        return record;
    } catch (CDERDecodingException* e) {
        e->Delete();
        return nullptr;
    }
}

// Everything a list record holds, for comparing two of them.
std::string contentsOf(const CCertificateRevocationList& list)
{
    std::string text = (const char*)CString(list);
    text.append((const char*)list.m_signature, sizeof list.m_signature);
    text += std::to_string(list.m_signatureAlgorithm) + "/" + std::to_string(list.m_signatureBits);
    return text;
}

void storeAndLoad(CCertificateRevocationList& record)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        record.Serialize(ar);
        ar.Close();
    }
    file.SeekToBegin();
    CCertificateRevocationList loaded;
    CArchive ar(&file, CArchive::load);
    loaded.Serialize(ar);
    if (contentsOf(loaded) != contentsOf(record) || loaded.m_cachedSHA1DigestFlag != record.m_cachedSHA1DigestFlag ||
        std::memcmp(loaded.m_cachedSHA1Digest, record.m_cachedSHA1Digest, 20) != 0)
        abort();
}

// The bytes as stored forms: a list, and a chain of certificates.
template <class T>
void load(const uint8_t* data, size_t size)
{
    CMemFile file;
    file.Write(data, (UINT)size);
    file.SeekToBegin();
    try {
        CArchive ar(&file, CArchive::load);
        T loaded;
        loaded.Serialize(ar);
    } catch (CArchiveException* e) {
        e->Delete();
    } catch (CFileException* e) {
        e->Delete();
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 1 << 16)
        return 0;
    load<CCertificateRevocationList>(data, size);
    load<CCertificationChain>(data, size);
    checkStream(data, size);
    std::unique_ptr<CCertificateRevocationList> record = listOf(data, (unsigned long)size);
    if (!record)
        return 0;
    CCertificate holder;
    holder.m_issuer = record->m_issuer;
    for (int i = 0; i < record->m_entries.GetSize(); ++i) {
        holder.m_serialNumber = record->m_entries[i]->m_serialNumber;
        if (!holder.IsPresentInCRL(*record))
            abort();
    }
    storeAndLoad(*record);

    CByteArray again;
    try {
        CASN1_CertificateRevocationList(*record).encodeTo(again);
    } catch (CDERDecodingException* e) {
        e->Delete();
        return 0;
    }
    std::unique_ptr<CCertificateRevocationList> reread = listOf(again.GetData(), (unsigned long)again.GetSize());
    if (reread && contentsOf(*reread) != contentsOf(*record))
        abort();
    return 0;
}
