// CASN1Type's encryption members: the encoding, or the clear contents,
// written through a cipher sink into a file, an encoding, an archive or a
// caller's stage.
#include "vaultcore/asn1/asn1_type.h"
#include "vaultcore/crypto/cipher_filter.h"

namespace {

enum class What { encoding, clearContents };

void run(const CASN1Type& value, What what, int withoutHeader, CCipherFilterNS& cipher)
{
    if (what == What::encoding)
        value.writeEncoding(cipher, withoutHeader, 0, 0);
    else
        value.writeClearContents(cipher);
    cipher.finish();
}

template <class Cipher>
void intoStage(const CASN1Type& value, What what, int withoutHeader, CCryptoProcessor& processor,
               CBufferedFilterNS& out)
{
    Cipher cipher(processor, out);
    run(value, what, withoutHeader, cipher);
}

// A file, encoding or archive target gets its own sink stage, finished
// after the cipher stage.
template <class Cipher, class Target, class Sink>
void intoTarget(const CASN1Type& value, What what, int withoutHeader, CCryptoProcessor& processor, Sink& out)
{
    Target target(out);
    Cipher cipher(processor, target);
    run(value, what, withoutHeader, cipher);
    target.finish();
}

}  // namespace

void CASN1Type::encryptEncoding(CCryptoProcessor& processor, CFile& out, int withoutHeader) const
{
    intoTarget<CEncryptFilterNS, CFileFilterNS>(*this, What::encoding, withoutHeader, processor, out);
}

void CASN1Type::encryptEncoding(CCryptoProcessor& processor, CDEREncoding& out, int withoutHeader) const
{
    intoTarget<CEncryptFilterNS, CEncodingFilterNS>(*this, What::encoding, withoutHeader, processor, out);
}

void CASN1Type::encryptEncoding(CCryptoProcessor& processor, CArchive& out, int withoutHeader) const
{
    intoTarget<CEncryptFilterNS, CArchiveFilterNS>(*this, What::encoding, withoutHeader, processor, out);
}

void CASN1Type::encryptEncoding(CCryptoProcessor& processor, CBufferedFilterNS& out, int withoutHeader) const
{
    intoStage<CEncryptFilterNS>(*this, What::encoding, withoutHeader, processor, out);
}

void CASN1Type::decryptEncoding(CCryptoProcessor& processor, CFile& out, int withoutHeader) const
{
    intoTarget<CDecryptFilterNS, CFileFilterNS>(*this, What::encoding, withoutHeader, processor, out);
}

void CASN1Type::decryptEncoding(CCryptoProcessor& processor, CDEREncoding& out, int withoutHeader) const
{
    intoTarget<CDecryptFilterNS, CEncodingFilterNS>(*this, What::encoding, withoutHeader, processor, out);
}

void CASN1Type::decryptEncoding(CCryptoProcessor& processor, CArchive& out, int withoutHeader) const
{
    intoTarget<CDecryptFilterNS, CArchiveFilterNS>(*this, What::encoding, withoutHeader, processor, out);
}

void CASN1Type::decryptEncoding(CCryptoProcessor& processor, CBufferedFilterNS& out, int withoutHeader) const
{
    intoStage<CDecryptFilterNS>(*this, What::encoding, withoutHeader, processor, out);
}

void CASN1Type::encryptClearContents(CCryptoProcessor& processor, CFile& out) const
{
    intoTarget<CEncryptFilterNS, CFileFilterNS>(*this, What::clearContents, 0, processor, out);
}

void CASN1Type::encryptClearContents(CCryptoProcessor& processor, CDEREncoding& out) const
{
    intoTarget<CEncryptFilterNS, CEncodingFilterNS>(*this, What::clearContents, 0, processor, out);
}

void CASN1Type::encryptClearContents(CCryptoProcessor& processor, CArchive& out) const
{
    intoTarget<CEncryptFilterNS, CArchiveFilterNS>(*this, What::clearContents, 0, processor, out);
}

void CASN1Type::encryptClearContents(CCryptoProcessor& processor, CBufferedFilterNS& out) const
{
    intoStage<CEncryptFilterNS>(*this, What::clearContents, 0, processor, out);
}

void CASN1Type::decryptClearContents(CCryptoProcessor& processor, CFile& out) const
{
    intoTarget<CDecryptFilterNS, CFileFilterNS>(*this, What::clearContents, 0, processor, out);
}

void CASN1Type::decryptClearContents(CCryptoProcessor& processor, CDEREncoding& out) const
{
    intoTarget<CDecryptFilterNS, CEncodingFilterNS>(*this, What::clearContents, 0, processor, out);
}

void CASN1Type::decryptClearContents(CCryptoProcessor& processor, CArchive& out) const
{
    intoTarget<CDecryptFilterNS, CArchiveFilterNS>(*this, What::clearContents, 0, processor, out);
}

void CASN1Type::decryptClearContents(CCryptoProcessor& processor, CBufferedFilterNS& out) const
{
    intoStage<CDecryptFilterNS>(*this, What::clearContents, 0, processor, out);
}
