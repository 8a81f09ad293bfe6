// vcore envelope / vcore open: PKCS #7 envelopedData for one recipient's
// certificate, the content key wrapped with RSA (PKCS #1 v1.5), the
// content encrypted with DES, triple DES or RC2 in CBC mode; and opening
// such a message with the recipient's private key.
#include <memory>
#include <string>
#include <vector>

#include "common/tool.h"
#include "vcore/content_cipher.h"
#include "vcore/pkcs7_host.h"
#include "vcore/pki_files.h"

namespace {

const char kEnvelopeHelp[] =
    "Encrypts IN for the holder of the private key of CERT (DER or PEM) and\n"
    "writes a PKCS #7 envelopedData to OUT (DER, or PEM with --pem), the form\n"
    "\"openssl smime -decrypt -inform DER\" opens. The content is encrypted\n"
    "with a fresh random key and IV; the key is wrapped with the RSA key of\n"
    "CERT. \"-\" is standard input or output.";

const char kOpenHelp[] =
    "Opens a PKCS #7 envelopedData (DER or PEM) made for the private key KEY\n"
    "(PKCS #1, DER or PEM) and writes the content to OUT. With --cert, only\n"
    "the recipient that names that certificate is tried; otherwise each\n"
    "recipient in turn. des-cbc, des-ede3-cbc and rc2-cbc (40, 64 or 128\n"
    "effective key bits) are read. OUT is written only when the whole\n"
    "content decrypted.";

int envelope(const Args& args)
{
    std::string certificatePath, cipherName = "3des";
    long bits = 128;
    bool pem = false;
    OptionSet options;
    options.text("--cert", &certificatePath, "CERT", "the recipient's certificate (required)");
    options.choice("--cipher", &cipherName, {"des", "3des", "rc2"}, "the content cipher (default 3des)");
    options.number("--bits", &bits, 40, 128, "40|64|128", "rc2: effective key bits (default 128)");
    options.flag("--pem", &pem, "write PEM (PKCS7) instead of DER");
    const Args files = options.parse(args, 2, 2);
    if (certificatePath.empty())
        throw UsageError("--cert is required");
    if (cipherName != "rc2")
        options.refuse("--bits", "applies to rc2 only");
    if (bits != 40 && bits != 64 && bits != 128)
        throw UsageError("--bits must be 40, 64 or 128");

    const HostCertificate recipient = ReadCertificate(certificatePath);
    const std::vector<unsigned char> plain = InputFile(files[0]).readAll();
    ContentCipher cipher(cipherName, (unsigned short)bits);
    const std::vector<unsigned char> encrypted = cipher.Encrypt(plain);

    CRSAPublicKey recipientKey;
    recipient.record.SetDataTo(recipientKey);
    CByteArray wrapped;
    try {
        recipientKey.LockKey(cipher.Key(), wrapped);
    } catch (CUnlockException* e) {
        e->Delete();
        throw Failure(certificatePath + ": its RSA key cannot wrap a content key");
    }

    auto* content = new CASN1_EncryptedContentInfo(new CASN1_data, cipher.NewAlgorithmIdentifier(),
                                                   ___newEncryptedContent(encrypted.data(), (unsigned long)encrypted.size()));
    auto* enveloped = new CASN1_EnvelopedData(content);
    enveloped->AddRecipientInfo(new CASN1_RecipientInfo(
        new CASN1_IssuerAndSerialNumber(*recipient.asn1), new CASN1_AlgorithmIdentifier(new CASN1_rsaEncryption, new CASN1_NULL),
        new CASN1_OCTET_STRING(wrapped.GetData(), (unsigned long)wrapped.GetSize())));
    CASN1_ContentInfo message(new CASN1_envelopedData, static_cast<CASN1Type*>(enveloped));
    message.setIndefinite(FALSE);  // DER
    WriteMessage(files[1], message, pem);
    return 0;
}

// The content key of the recipient, unwrapped into cipher; false when the
// recipient's key does not unwrap with this key.
bool unwrapFor(CASN1_RecipientInfo& recipient, const CRSAPrivateKey& key, ContentCipher& cipher,
               const std::string& where)
{
    if (!(recipient.get_keyEncryptionAlgorithm().get_algorithm() == CASN1_rsaEncryption()))
        return false;
    CByteArray locked;
    recipient.get_encryptedKey().GetClearData(locked, TRUE);
    if ((unsigned long)locked.GetSize() != key.RsaOutputSize())
        return false;
    CKey unwrapped;
    try {
        key.UnlockKey(locked, unwrapped, key.GetBits());
    } catch (CUnlockException* e) {
        e->Delete();
        return false;
    }
    cipher.SetKey(unwrapped, where);
    return true;
}

int open(const Args& args)
{
    std::string keyPath, certificatePath;
    OptionSet options;
    options.text("--key", &keyPath, "KEY", "the recipient's PKCS #1 private key (required)");
    options.text("--cert", &certificatePath, "CERT", "try only the recipient that names this certificate");
    const Args files = options.parse(args, 2, 2);
    if (keyPath.empty())
        throw UsageError("--key is required");
    const std::string& in = files[0];

    return WithMessage(in, [&] {
        const CRSAPrivateKey key = ReadKeyFile(keyPath, true);
        std::unique_ptr<HostCertificate> certificate;
        if (!certificatePath.empty()) {
            certificate = std::make_unique<HostCertificate>(ReadCertificate(certificatePath));
            RequireKeyOf(key, *certificate, keyPath);
        }
        std::unique_ptr<CASN1_ContentInfo> message = ReadMessage(in);
        CASN1_EnvelopedData& enveloped = ContentOf<CASN1_EnvelopedData>(*message, CASN1_envelopedData(), in);
        CASN1_EncryptedContentInfo& content = enveloped.get_encryptedContentInfo();
        ContentCipher cipher(content.get_contentEncryptionAlgorithm(), in);
        if (!content.IsEncryptedContent())
            throw Failure(in + ": the message carries no encrypted content");
        const std::vector<unsigned char> encrypted =
            ClearOctets(*std::unique_ptr<CASN1_OCTET_STRING>(content.GetEncryptedContent(FALSE)));

        CASN1_RecipientInfos& recipients = enveloped.get_recipientInfos();
        bool named = false, unwrapped = false;
        for (int i = 0; i < recipients.getComponentCount() && !unwrapped; ++i) {
            CASN1_RecipientInfo& recipient = recipients.getComponent(i);
            if (certificate && !recipient.get_issuerAndSerialNumber().Names(*certificate->asn1))
                continue;
            named = true;
            unwrapped = unwrapFor(recipient, key, cipher, in);
        }
        if (certificate && !named)
            throw Failure(in + ": no recipient names " + certificatePath);
        if (!unwrapped)
            throw Failure(in + ": " + keyPath + " unwraps the content key of none of the " +
                          std::to_string(recipients.getComponentCount()) + " recipients");
        const std::vector<unsigned char> plain = cipher.Decrypt(encrypted, in);
        OutputFile out(files[1]);
        out.write(plain.data(), plain.size());
        out.commit();
        return 0;
    });
}

const Command envelopeCommand("envelope", "--cert CERT [--cipher des|3des|rc2] [--bits N] [--pem] IN OUT",
                              "encrypts a file into a PKCS #7 envelopedData", kEnvelopeHelp, envelope);
const Command openCommand("open", "--key KEY [--cert CERT] IN OUT", "decrypts a PKCS #7 envelopedData", kOpenHelp,
                          open);
}  // namespace
