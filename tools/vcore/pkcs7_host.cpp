#include "vcore/pkcs7_host.h"

#include <cstdio>
#include <cstring>

#include "common/tool.h"
#include "vaultcore/pki/scoped_encoding.h"
#include "vcore/der_fault.h"

namespace {

template <class OID>
CASN1_OBJECT_IDENTIFIER* makeOID()
{
    return new OID;
}

bool isOctetString(const CASN1Type* value, int)
{
    return value && value->getIdentifier() == 0x04;
}

// The content types: name and the validator of their content.
const struct ContentKind {
    CASN1_OBJECT_IDENTIFIER* (*makeIdentifier)();
    const char* name;
    BOOL (*isValid)(const CASN1Type*, int);
} kContentKinds[] = {
    {makeOID<CASN1_data>, "data", [](const CASN1Type* v, int t) -> BOOL { return isOctetString(v, t); }},
    {makeOID<CASN1_signedData>, "signedData", CASN1_SignedData::isValid},
    {makeOID<CASN1_envelopedData>, "envelopedData", CASN1_EnvelopedData::isValid},
    {makeOID<CASN1_signedAndEnvelopedData>, "signedAndEnvelopedData", CASN1_SignedAndEnvelopedData::isValid},
    {makeOID<CASN1_digestedData>, "digestedData", CASN1_DigestedData::isValid},
    {makeOID<CASN1_encryptedData>, "encryptedData", CASN1_EncryptedData::isValid},
};

// Names of the identifiers the listings show, openssl's where it has one.
const struct {
    CASN1_OBJECT_IDENTIFIER* (*makeIdentifier)();
    const char* name;
} kObjectNames[] = {
    {makeOID<CASN1_md2>, "md2"},
    {makeOID<CASN1_md5>, "md5"},
    {makeOID<CASN1_sha1>, "sha1"},
    {makeOID<CASN1_rsaEncryption>, "rsaEncryption"},
    {makeOID<CASN1_md2WithRSAEncryption>, "md2WithRSAEncryption"},
    {makeOID<CASN1_md5WithRSAEncryption>, "md5WithRSAEncryption"},
    {makeOID<CASN1_sha1WithRSAEncryption>, "sha1WithRSAEncryption"},
    {makeOID<CASN1_DES_CBC>, "des-cbc"},
    {makeOID<CASN1_DES_EDE3_CBC>, "des-ede3-cbc"},
    {makeOID<CASN1_RC2_CBC>, "rc2-cbc"},
    {makeOID<CASN1_RC5_CBC>, "rc5-cbc"},
    {makeOID<CASN1_RC5_CBC_Pad>, "rc5-cbc-pad"},
    {makeOID<CASN1_contentType>, "contentType"},
    {makeOID<CASN1_messageDigest>, "messageDigest"},
    {makeOID<CASN1_signingTime>, "signingTime"},
    {makeOID<CASN1_signingDescription>, "signingDescription"},
};

// openssl's short names of the name attribute types, by DNAttrNameEnum;
// null where it has none (the collective types).
const char* const kShortNames[] = {
    "C", "ST", "L", "CN", "title", "O", "OU", "street", "postalCode", "telephoneNumber", "emailAddress", "SN",
    nullptr, nullptr, nullptr, nullptr, nullptr, "postalAddress", nullptr, nullptr, "postOfficeBox", nullptr,
    "physicalDeliveryOfficeName", nullptr,
};
static_assert(sizeof kShortNames / sizeof kShortNames[0] == dnCollectivePhysicalDeliveryOfficeName + 1,
              "one short name per attribute type");

std::string dotted(const CASN1_OBJECT_IDENTIFIER& identifier)
{
    CString text;
    identifier.GetDecimalDottedString(text);
    return (const char*)text;
}

const ContentKind* kindOf(const CASN1_OBJECT_IDENTIFIER& type)
{
    for (const ContentKind& kind : kContentKinds) {
        std::unique_ptr<CASN1_OBJECT_IDENTIFIER> identifier(kind.makeIdentifier());
        if (type == *identifier)
            return &kind;
    }
    return nullptr;
}

// Octets as text, with the bytes a terminal would not show as \XX.
std::string printable(const std::vector<unsigned char>& octets)
{
    std::string text;
    for (unsigned char c : octets) {
        if (c >= 0x20 && c < 0x7F) {
            text += (char)c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\%02X", c);
            text += escaped;
        }
    }
    return text;
}

// Decodes the DER as T (whose constructor validates); fails with what
// is wrong and where.
template <class T>
std::unique_ptr<T> decodeFile(const std::vector<unsigned char>& der, const std::string& where, const std::string& what)
{
    if (der.empty())
        throw Failure(where + ": empty input");
    CByteArrayPro octets;
    octets.SetSize((int)der.size());
    std::memcpy(octets.GetData(), der.data(), der.size());
    CScopedEncoding encoding(octets);
    std::unique_ptr<T> value(new T);
    try {
        value->decodeFrom(*encoding);
    } catch (CDERDecodingException* e) {
        e->Delete();
        const size_t position = (size_t)(*encoding).Seek(0, CFile::current);
        throw Failure(where + ": " +
                      DescribeDecodingFailure(der.data(), der.size(), position, ___lastDERDecodingMessage()));
    }
    const size_t end = (size_t)(*encoding).Seek(0, CFile::current);
    if (end < der.size())
        throw Failure(where + ": " + std::to_string(der.size() - end) + " bytes follow the " + what);
    if (!T::isValid(value.get(), 0))
        throw Failure(where + ": not " + what);
    return value;
}

}  // namespace

std::vector<HostCertificate> ReadCertificates(const std::string& path)
{
    std::vector<HostCertificate> certificates;
    for (const std::vector<unsigned char>& der : DerValues(InputFile(path).readAll(), path, "CERTIFICATE")) {
        HostCertificate certificate;
        certificate.path = path;
        certificate.asn1 = decodeFile<CASN1_Certificate>(der, path, "an X.509 certificate");
        try {
            certificate.asn1->SetDataTo(certificate.record);
        } catch (CDERDecodingException* e) {
            e->Delete();
            throw Failure(path + ": not a certificate this library reads (" + ___lastDERDecodingMessage() +
                          "); it reads RSA keys of up to 2048 bits, MD2, MD5 or SHA-1 signatures and names in "
                          "PrintableString, T61String, IA5String or OCTET STRING");
        }
        certificates.push_back(certificate);
    }
    return certificates;
}

HostCertificate ReadCertificate(const std::string& path)
{
    std::vector<HostCertificate> certificates = ReadCertificates(path);
    if (certificates.size() != 1)
        throw Failure(path + ": holds " + std::to_string(certificates.size()) + " certificates, one was expected");
    return certificates.front();
}

void RequireKeyOf(const CRSAPrivateKey& key, const HostCertificate& certificate, const std::string& keyPath)
{
    CRSAPublicKey certified;
    certificate.record.SetDataTo(certified);
    if (!(certified == static_cast<const CRSAPublicKey&>(key)))
        throw Failure(keyPath + ": not the key of " + certificate.path);
}

std::unique_ptr<CASN1_ContentInfo> ReadMessage(const std::string& path)
{
    const std::vector<std::vector<unsigned char>> values = DerValues(InputFile(path).readAll(), path);
    std::unique_ptr<CASN1_ContentInfo> message =
        decodeFile<CASN1_ContentInfo>(values.front(), path, "a PKCS #7 message (ContentInfo)");
    const ContentKind* kind = kindOf(message->get_contentType());
    if (!kind)
        return message;
    if (!message->IsContent()) {
        if (std::strcmp(kind->name, "data") != 0)
            throw Failure(path + ": the " + kind->name + " message has no content");
        return message;
    }
    const CASN1Type* content = nullptr;
    try {
        content = &message->GetContent();
    } catch (CDERDecodingException* e) {
        e->Delete();
    }
    if (!content || !kind->isValid(content, 0))
        throw Failure(path + ": the " + kind->name + " content is not valid");
    return message;
}

int WithMessage(const std::string& path, const std::function<int()>& body)
{
    try {
        return body();
    } catch (CDERDecodingException* e) {
        e->Delete();
        throw Failure(path + ": a malformed part (" + ___lastDERDecodingMessage() + ")");
    }
}

void RequireContentType(const CASN1_ContentInfo& message, const CASN1_OBJECT_IDENTIFIER& type, const std::string& path)
{
    if (!(message.get_contentType() == type))
        throw Failure(path + ": holds " + ContentTypeName(message.get_contentType()) + ", not " + ContentTypeName(type));
}

std::string ContentTypeName(const CASN1_OBJECT_IDENTIFIER& type)
{
    const ContentKind* kind = kindOf(type);
    return kind ? kind->name : dotted(type);
}

void WriteMessage(const std::string& path, const CASN1Type& message, bool pem)
{
    CByteArray der;
    message.encodeTo(der);
    const std::vector<unsigned char> bytes(der.GetData(), der.GetData() + der.GetSize());
    OutputFile out(path);
    if (pem)
        out.write(WritePem("PKCS7", bytes));
    else
        out.write(bytes.data(), bytes.size());
    out.commit();
}

std::string NameText(const CASN1_RDNSequence& name)
{
    std::string text;
    for (int i = 0; i < name.getComponentCount(); ++i) {
        const CASN1_RelativeDistinguishedName& rdn = name.getComponent(i);
        for (int j = 0; j < rdn.getComponentCount(); ++j) {
            const CASN1_AttributeValueAssertion& assertion = rdn.getComponent(j);
            const int row = ___findDNAttrByOID(assertion.get_type());
            const char* shortName = row >= 0 ? kShortNames[row] : nullptr;
            text += text.empty() ? "" : j > 0 ? " + " : ", ";
            text += (shortName ? shortName : dotted(assertion.get_type())) + "=" + printable(ClearOctets(assertion.get_value()));
        }
    }
    return text;
}

std::string SerialText(const CASN1_INTEGER& serial)
{
    std::string text;
    const unsigned char* octets = serial.contentsData();
    unsigned long n = serial.contentsLength(), i = 0;
    while (n - i > 1 && octets[i] == 0)
        ++i;
    for (; i < n; ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02X", octets[i]);
        text += pair;
    }
    return text;
}

std::string AlgorithmText(const CASN1_OBJECT_IDENTIFIER& algorithm)
{
    for (const auto& row : kObjectNames) {
        std::unique_ptr<CASN1_OBJECT_IDENTIFIER> identifier(row.makeIdentifier());
        if (algorithm == *identifier)
            return row.name;
    }
    return ContentTypeName(algorithm);
}

std::vector<unsigned char> ClearOctets(const CASN1Type& value)
{
    CByteArray octets;
    value.GetClearData(octets, TRUE);
    return std::vector<unsigned char>(octets.GetData(), octets.GetData() + octets.GetSize());
}
