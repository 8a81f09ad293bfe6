// vcore req: makes a PKCS #10 certification request signed with SHA-1 with
// RSA, and prints and verifies one.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "common/tool.h"
#include "vaultcore/vaultcore.h"
#include "vcore/pki_files.h"
#include "vcore/subject_name.h"

namespace {

const char kHelp[] =
    "--key KEY --subject NAME makes a certification request for the public\n"
    "half of the PKCS #1 private key KEY (DER or PEM), signed with it using\n"
    "sha1WithRSAEncryption, with no attributes; written as PEM (CERTIFICATE\n"
    "REQUEST) or, with --der, DER, to -o FILE (default: standard output).\n"
    "NAME is root first, \"C=DE, O=Example, CN=Ann\" or openssl's\n"
    "\"/C=DE/O=Example/CN=Ann\"; the types are C ST L O OU CN SN title street\n"
    "postalCode postalAddress postOfficeBox physicalDeliveryOfficeName\n"
    "telephoneNumber emailAddress ('+' joins values into one relative name,\n"
    "'\\' escapes a character). Keys of up to 2048 bits.\n"
    "\n"
    "FILE (DER or PEM; - reads standard input): prints the request's subject,\n"
    "key size, attributes and signature algorithm, and checks its signature\n"
    "with the key it carries; exit status 0 only when the signature is right.";

// --- making ---

void writeOut(const CASN1Type& value, const std::string& path, bool der)
{
    CByteArray bytes;
    value.encodeTo(bytes);
    const std::vector<unsigned char> octets(bytes.GetData(), bytes.GetData() + bytes.GetSize());
    OutputFile out(path);
    if (der)
        out.write(octets.data(), octets.size());
    else
        out.write(WritePem("CERTIFICATE REQUEST", octets));
    out.commit();
}

int make(const std::string& keyPath, const std::string& subject, const std::string& outPath, bool der)
{
    const CDistinguishedName name = ParseSubjectName(subject, "--subject");
    const CRSAPrivateKey key = ReadKeyFile(keyPath, true);
    CASN1_SET noAttributes;
    auto* info = new CASN1_CertificationRequestInfo(new CASN1_RDNSequence(name), new CASN1_SubjectPublicKeyInfo(key),
                                                    noAttributes);
    std::unique_ptr<CASN1_CertificationRequestInfo> owned(info);
    unsigned char digest[20];
    ___digestOfEncoding(*info, eSHA1, digest);
    CByteArray signature;
    key.LockDigest(eSHA1, digest, signature);
    const CASN1_CertificationRequest request(owned.release(),
                                             ___newSignatureAlgorithmIdentifier(eSHA1WithRSAEncryption),
                                             new CASN1_BIT_STRING(signature.GetData(), 8 * signature.GetSize(), FALSE));
    writeOut(request, outPath, der);
    return 0;
}

// --- reading ---

std::string attributeText(const CASN1_Attribute& attribute)
{
    const CASN1_OBJECT_IDENTIFIER& type = attribute.GetID();
    std::string text = type == CASN1_ChallengePassword()  ? "challengePassword"
                       : type == CASN1_UnstructuredName() ? "unstructuredName"
                                                          : (const char*)CString(type);
    const CASN1_SET& values = attribute.GetValues();
    for (int i = 0; i < values.getComponentCount(); ++i) {
        const CASN1Type* value = values.getComponentAt(i);
        CString string;
        if (CAttributeValue::IsStringKind(value->getIdentifier()))
            value->GetString(string);
        else
            string.Format("<a value of tag %u>", (unsigned)value->getIdentifier());
        text += std::string(i ? ", " : ": ") + (const char*)string;
    }
    return text;
}

int show(const std::string& path)
{
    std::unique_ptr<CASN1_CertificationRequest> request;
    DecodeOrFail(ReadDerFile(path, "CERTIFICATE REQUEST"), path, "a certification request this library reads",
                 [&](CDEREncoding& encoding) { request.reset(new CASN1_CertificationRequest(encoding)); });
    const CASN1_CertificationRequestInfo& info = request->get_certificationRequestInfo();
    CDistinguishedName subject;
    CRSAPublicKey key;
    std::unique_ptr<CASN1_Attributes> attributes;
    try {
        info.get_subject().SetDataTo(subject);
        info.get_subjectPublicKeyInfo().SetDataTo(key);
        attributes.reset(info.GetAttributes());
    } catch (CDERDecodingException* e) {
        e->Delete();
        throw Failure(path + ": not a certification request this library reads (" + ___lastDERDecodingMessage() + ")");
    }
    const int algorithm = ___signatureAlgorithmCode(request->get_signatureAlgorithm().get_algorithm());
    std::printf("Subject:\n");
    PrintDump(CString(subject));
    std::printf("Public Key: %u bits\nAttributes:%s\n", (unsigned)key.GetBits(),
                attributes->getComponentCount() ? "" : " none");
    for (int i = 0; i < attributes->getComponentCount(); ++i)
        std::printf("   %s\n", attributeText(attributes->getComponent(i)).c_str());
    std::printf("Signature Algorithm: %s\n", ___signatureAlgorithmText(algorithm));

    EDigestAlgorithm digest;
    int length;
    bool signatureOK = false;
    std::string why;
    if (!___signatureDigest(algorithm, digest, length)) {
        why = " (an algorithm this library does not know)";
    } else {
        unsigned char expected[20], unlocked[20];
        ___digestOfEncoding(info, digest, expected);
        CByteArray signature;
        request->get_signature().GetClearData(signature, TRUE);
        try {
            key.UnlockDigest(digest, signature, unlocked, (unsigned short)request->get_signature().m_dwBits);
            signatureOK = std::memcmp(expected, unlocked, (size_t)length) == 0;
        } catch (CUnlockException* e) {
            e->Delete();
            why = " (the signature does not decrypt with the request's key)";
        }
    }
    std::printf("signature: %s%s\n", signatureOK ? "OK" : "WRONG", why.c_str());
    return signatureOK ? 0 : 1;
}

int req(const Args& args)
{
    std::string keyPath, subject, outPath = "-";
    bool der = false;
    OptionSet options;
    options.text("--key", &keyPath, "KEY", "make a request for this PKCS #1 private key");
    options.text("--subject", &subject, "NAME", "with --key: the subject, \"C=DE, O=Org, CN=Name\"");
    options.text("-o,--out", &outPath, "FILE", "with --key: where the request goes (default -)");
    options.flag("--der", &der, "with --key: write DER instead of PEM");
    const Args files = options.parse(args, 0, 1);
    if (options.given("--key")) {
        if (!files.empty())
            throw UsageError("--key makes a request and takes no FILE");
        if (!options.given("--subject"))
            throw UsageError("--key needs --subject");
        return make(keyPath, subject, outPath, der);
    }
    for (const char* option : {"--subject", "--out", "--der"})
        options.refuse(option, "it applies to --key only");
    if (files.empty())
        throw UsageError("a FILE, or --key and --subject, is needed");
    return show(files[0]);
}

const Command reqCommand("req", "--key KEY --subject NAME [-o FILE] [--der] | FILE",
                         "makes, prints and verifies PKCS #10 certification requests", kHelp, req);

}  // namespace
