#include "vcore/content_cipher.h"

#include "common/tool.h"
#include "vaultcore/crypto/secure_zero.h"
#include "vcore/pkcs7_host.h"

namespace {
const unsigned long kBlockSize = 8;

// DES-CBC and DES-EDE3-CBC carry the IV as their parameters:
//   des-cbc OBJECT IDENTIFIER ::= { iso(1) identified-organization(3) oiw(14) secsig(3) algorithms(2) 7 }
//   des-ede3-cbc OBJECT IDENTIFIER ::= { rsadsi encryptionAlgorithm(3) 7 }, parameter IV ::= OCTET STRING (SIZE(8))
std::vector<unsigned char> ivParameter(const CASN1_AlgorithmIdentifier& algorithm, const std::string& where)
{
    if (!algorithm.is_parameters() || algorithm.get_parameters().getIdentifier() != 0x04)
        throw Failure(where + ": the " + AlgorithmText(algorithm.get_algorithm()) +
                      " parameters are not an 8-byte IV (OCTET STRING)");
    std::vector<unsigned char> iv = ClearOctets(algorithm.get_parameters());
    if (iv.size() != kBlockSize)
        throw Failure(where + ": the " + AlgorithmText(algorithm.get_algorithm()) + " IV has " +
                      std::to_string(iv.size()) + " bytes, not 8");
    return iv;
}

std::vector<unsigned char> randomIV()
{
    std::vector<unsigned char> iv(kBlockSize);
    vcSystemRandomBytes(iv.data(), (unsigned long)iv.size());
    return iv;
}
}  // namespace

ContentCipher::ContentCipher(const std::string& name, unsigned short rc2Bits) : m_iv(randomIV())
{
    if (name == "des") {
        m_kind = kDES;
        m_key = std::make_unique<CDESkey>();
    } else if (name == "3des") {
        m_kind = kTripleDES;
        m_key = std::make_unique<CTripleDESkey>();
    } else {
        m_kind = kRC2;
        m_rc2Bits = rc2Bits;
        m_key = std::make_unique<CRC2key>(rc2Bits);
    }
}

ContentCipher::ContentCipher(const CASN1_AlgorithmIdentifier& algorithm, const std::string& where)
{
    const CASN1_OBJECT_IDENTIFIER& identifier = algorithm.get_algorithm();
    if (identifier == CASN1_DES_CBC()) {
        m_kind = kDES;
        m_key = std::make_unique<CDESkey>();
    } else if (identifier == CASN1_DES_EDE3_CBC()) {
        m_kind = kTripleDES;
        m_key = std::make_unique<CTripleDESkey>();
    } else if (identifier == CASN1_RC2_CBC()) {
        m_kind = kRC2;
        readRC2Parameters(algorithm, where);
        m_key = std::make_unique<CRC2key>(m_rc2Bits);
        return;
    } else {
        throw Failure(where + ": content encrypted with " + AlgorithmText(identifier) +
                      ", which is not supported (des-cbc, des-ede3-cbc and rc2-cbc are)");
    }
    m_iv = ivParameter(algorithm, where);
}

void ContentCipher::readRC2Parameters(const CASN1_AlgorithmIdentifier& algorithm, const std::string& where)
{
    if (!algorithm.is_parameters() || !CASN1_RC2AlgorithmParameter::isValid(&algorithm.get_parameters(), 0))
        throw Failure(where + ": the rc2-cbc parameters are not an RC2-CBC-Parameter (version and IV)");
    CASN1_RC2AlgorithmParameter parameters;
    parameters.moveFrom(algorithm.get_parameters().clone());
    if (!parameters.GetEffectiveKeyBits(m_rc2Bits))
        throw Failure(where + ": the rc2-cbc parameter version does not stand for 40, 64 or 128 effective key bits");
    m_iv = ClearOctets(parameters.GetIV());
    if (m_iv.size() != kBlockSize)
        throw Failure(where + ": the rc2-cbc IV has " + std::to_string(m_iv.size()) + " bytes, not 8");
}

ContentCipher::~ContentCipher() = default;

CASN1_AlgorithmIdentifier* ContentCipher::NewAlgorithmIdentifier() const
{
    const unsigned long n = (unsigned long)m_iv.size();
    if (m_kind == kDES)
        return new CASN1_AlgorithmIdentifier(new CASN1_DES_CBC, new CASN1_OCTET_STRING(m_iv.data(), n));
    if (m_kind == kTripleDES)
        return new CASN1_AlgorithmIdentifier(new CASN1_DES_EDE3_CBC, new CASN1_OCTET_STRING(m_iv.data(), n));
    return new CASN1_AlgorithmIdentifier(new CASN1_RC2_CBC, new CASN1_RC2AlgorithmParameter(m_rc2Bits, m_iv.data(), n));
}

void ContentCipher::SetKey(const CKey& unwrapped, const std::string& where)
{
    std::vector<unsigned char> octets(unwrapped.Data(), unwrapped.Data() + unwrapped.Size());
    // DES ignores the parity bits; peers need not set them.
    if (m_kind == kDES || m_kind == kTripleDES)
        AdjustDESKeyParity(octets.data(), (unsigned long)octets.size());
    const BOOL fits = m_key->Set(octets.data(), (unsigned long)octets.size());
    vcSecureZero(octets.data(), octets.size());
    if (!fits)
        throw Failure(where + ": the unwrapped content key has " + std::to_string(unwrapped.Size()) +
                      " bytes, which does not fit the content cipher");
}

std::unique_ptr<CCryptoProcessor> ContentCipher::newProcessor() const
{
    const int kCBC = 0;
    if (m_kind == kDES)
        return std::make_unique<CDESAlgorithm>(static_cast<const CDESkey&>(*m_key), kCBC, m_iv.data());
    if (m_kind == kRC2)
        return std::make_unique<CRC2Algorithm>(static_cast<const CRC2key&>(*m_key), kCBC, m_iv.data());
    return std::make_unique<CTripleDESAlgorithm>(static_cast<const CTripleDESkey&>(*m_key), kCBC, m_iv.data());
}

std::vector<unsigned char> ContentCipher::Encrypt(const std::vector<unsigned char>& plain) const
{
    std::unique_ptr<CCryptoProcessor> processor = newProcessor();
    std::vector<unsigned char> out(processor->EncrFinalOutMaxSize((unsigned long)plain.size()));
    out.resize(processor->EncryptFinal(plain.data(), (unsigned long)plain.size(), out.data(), nullptr));
    return out;
}

std::vector<unsigned char> ContentCipher::Decrypt(const std::vector<unsigned char>& encrypted,
                                                  const std::string& where) const
{
    if (encrypted.empty() || encrypted.size() % kBlockSize != 0)
        throw Failure(where + ": the encrypted content has " + std::to_string(encrypted.size()) +
                      " bytes, not a whole number of 8-byte blocks");
    std::unique_ptr<CCryptoProcessor> processor = newProcessor();
    std::vector<unsigned char> out(processor->DecrFinalOutMaxSize((unsigned long)encrypted.size()));
    try {
        out.resize(processor->DecryptFinal(encrypted.data(), (unsigned long)encrypted.size(), out.data(), nullptr));
    } catch (CUnlockException* e) {
        e->Delete();
        throw Failure(where + ": the content does not decrypt (bad padding): wrong key, or damaged data");
    }
    return out;
}
