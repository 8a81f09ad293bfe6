// Feeds arbitrary bytes to the PKCS structures that are not messages:
// certification requests, PKCS #1 private keys, key containers and the
// RC2 and RC5 parameters. Each class decodes with validation; whatever
// decodes has every accessor called and converted. Failures must be the
// decoding exception (the RSA exception for a key that cannot be used); a
// private key that converts must write back to the same numbers, and every
// value that decodes must take exactly the octets its headers declare.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "der_invariants.h"
#include "vaultcore/pki/scoped_encoding.h"
#include "vaultcore/vaultcore.h"

namespace {
// Decodes a T from the octets and runs use on it; refusals are the
// decoding exception.
template <class T, class Use>
void attempt(const uint8_t* data, size_t size, Use use)
{
    try {
        CScopedEncoding encoding(data, (unsigned long)size);
        T value(*encoding);
        der_invariants::checkBounds(data, size, value, (*encoding).GetPosition());
        der_invariants::checkStableEncoding(value);
        use(value);
    } catch (CDERDecodingException* e) {
        e->Delete();
    }
}

void useRequest(const CASN1_CertificationRequest& request)
{
    const CASN1_CertificationRequestInfo& info = request.get_certificationRequestInfo();
    CDistinguishedName subject;
    info.get_subject().SetDataTo(subject);
    CString text = subject;
    std::unique_ptr<CASN1_Attributes> attributes(info.GetAttributes());
    for (int i = 0; i < attributes->getComponentCount(); ++i)
        attributes->getComponent(i).GetValues().getComponentCount();
    ___signatureAlgorithmCode(request.get_signatureAlgorithm().get_algorithm());
    unsigned char digest[20];
    ___digestOfEncoding(info, eSHA1, digest);
    CRSAPublicKey key;
    info.get_subjectPublicKeyInfo().SetDataTo(key);
    CByteArray signature;
    request.get_signature().GetClearData(signature, TRUE);
    try {
        key.UnlockDigest(eSHA1, signature, digest, (unsigned short)request.get_signature().m_dwBits);
    } catch (CUnlockException* e) {
        e->Delete();
    }
}

void usePrivateKey(const CASN1_PrivateKey& asn1)
{
    CRSAPrivateKey key;
    asn1.SetDataTo(key);
    CRSAPrivateKey again;
    CASN1_PrivateKey(key).SetDataTo(again);
    if (std::memcmp(again.GetModulus(), key.GetModulus(), 256) != 0 ||
        std::memcmp(again.GetCoefficient(), key.GetCoefficient(), 128) != 0 || again.GetBits() != key.GetBits())
        abort();
}

void useContainer(const CASN1_KCDNs& list)
{
    for (int i = 0; i < list.getComponentCount(); ++i) {
        const CASN1_RSAKeyWithCertsAndDistinguishedName& entry = list.getComponent(i);
        list.Find(entry.GetName());
        try {
            CRSAPublicKey key;
            entry.GetPublicKey(key);
            if (entry.IsPrivateKey()) {
                CRSAPrivateKey privateKey;
                entry.GetPrivateKey(privateKey);
            }
        } catch (CDERDecodingException* e) {
            e->Delete();
        }
        if (entry.IsDistinguishedName()) {
            CDistinguishedName owner;
            entry.GetDistinguishedName(owner);
        }
        for (int c = 0; c < entry.GetCertificateCount(); ++c) {
            try {
                CCertificate certificate;
                entry.GetCertificate(c).SetDataTo(certificate);
            } catch (CDERDecodingException* e) {
                e->Delete();
            }
        }
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 1 << 16)
        return 0;
    attempt<CASN1_CertificationRequest>(data, size, useRequest);
    attempt<CASN1_PrivateKey>(data, size, usePrivateKey);
    attempt<CASN1_KCDNs>(data, size, useContainer);
    attempt<CASN1_RC2AlgorithmParameter>(data, size, [](const CASN1_RC2AlgorithmParameter& parameter) {
        unsigned short bits;
        parameter.GetEffectiveKeyBits(bits);
        parameter.GetIV().getClearContentsLength();
    });
    attempt<CASN1_RC5AlgorithmParameter>(data, size, [](const CASN1_RC5AlgorithmParameter& parameter) {
        if (parameter.IsIV())
            parameter.GetIV().getClearContentsLength();
    });
    return 0;
}
