// vcore keys: a key container file (the library's CASN1_KCDNs, in DER) of
// named RSA keys with their certificates and owner: list it, add a key,
// export a key or its certificates.
#include <cstdio>
#include <memory>
#include <string>
#include <sys/stat.h>

#include "common/tool.h"
#include "vaultcore/crypto/secure_zero.h"
#include "vaultcore/vaultcore.h"
#include "vcore/pki_files.h"
#include "vcore/subject_name.h"

namespace {

const char kHelp[] =
    "A key container FILE holds named RSA keys (private, or public only),\n"
    "each with its certificates and optionally its owner's name, in the\n"
    "library's DER format. Private keys are kept as plain DER: keep the file\n"
    "private (it is created with mode 0600) or encrypt it (vcore encrypt).\n"
    "\n"
    "list FILE                   one line per key, then its owner and certificates\n"
    "add FILE --name NAME --key KEY [--public] [--cert CERT] [--owner NAME]\n"
    "                            adds the PKCS #1 key KEY (only its public half\n"
    "                            with --public) and the certificates of CERT (DER\n"
    "                            or PEM, several blocks allowed); the owner is\n"
    "                            --owner, else the owner of the first certificate\n"
    "                            for the key; FILE is created when missing\n"
    "export FILE NAME [--public | --certs] [-o OUT] [--der] [--force]\n"
    "                            writes the key as PKCS #1 (RSA PRIVATE KEY, or\n"
    "                            RSA PUBLIC KEY with --public or for a public\n"
    "                            entry) or the certificates, PEM unless --der;\n"
    "                            a private key file gets mode 0600 and replaces\n"
    "                            an existing OUT only with --force";

const char kWhat[] = "a key container this library reads";

std::unique_ptr<CASN1_KCDNs> readContainer(const std::string& path)
{
    std::vector<unsigned char> der = InputFile(path).readAll();
    SecureZeroOnExit wipe(der.data(), der.size());
    std::unique_ptr<CASN1_KCDNs> list;
    DecodeOrFail(der, path, kWhat, [&](CDEREncoding& encoding) { list.reset(new CASN1_KCDNs(encoding)); });
    return list;
}

// Every conversion of an entry the listing and the export make; a
// decoding exception names the entry.
template <class Action>
void onEntry(const std::string& path, const CASN1_RSAKeyWithCertsAndDistinguishedName& entry, Action action)
{
    try {
        action();
    } catch (CDERDecodingException* e) {
        e->Delete();
        throw Failure(path + ": entry \"" + (const char*)entry.GetName() + "\": " + ___lastDERDecodingMessage());
    }
}

// --- list ---

int list(const Args& args)
{
    OptionSet options;
    const std::string path = options.parse(args, 1, 1)[0];
    const std::unique_ptr<CASN1_KCDNs> container = readContainer(path);
    for (int i = 0; i < container->getComponentCount(); ++i) {
        const CASN1_RSAKeyWithCertsAndDistinguishedName& entry = container->getComponent(i);
        onEntry(path, entry, [&] {
            CRSAPublicKey key;
            entry.GetPublicKey(key);
            std::printf("%s: %s key, %u bits, %d certificate%s\n", (const char*)entry.GetName(),
                        entry.IsPrivateKey() ? "private" : "public", (unsigned)key.GetBits(),
                        entry.GetCertificateCount(), entry.GetCertificateCount() == 1 ? "" : "s");
            if (entry.IsDistinguishedName()) {
                CDistinguishedName owner;
                entry.GetDistinguishedName(owner);
                std::printf("   owner: %s\n", NameLine(owner).c_str());
            }
            for (int c = 0; c < entry.GetCertificateCount(); ++c) {
                CCertificate certificate;
                entry.GetCertificate(c).SetDataTo(certificate);
                std::printf("   certificate %s: %s\n", (const char*)CString(certificate.m_serialNumber),
                            NameLine(certificate.m_owner).c_str());
            }
        });
    }
    if (container->getComponentCount() == 0)
        std::printf("no keys\n");
    return 0;
}

// --- add ---

bool exists(const std::string& path)
{
    struct stat status;
    return path != "-" && stat(path.c_str(), &status) == 0;
}

void writeContainer(const CASN1_KCDNs& container, const std::string& path, bool existed)
{
    CByteArray der;
    container.encodeTo(der);
    // A new file is created private; an existing one keeps its mode.
    OutputFile out(path, existed ? OutputFile::Ordinary : OutputFile::PrivateKey);
    out.write(der.GetData(), (size_t)der.GetSize());
    vcSecureZero(der);
    out.commit();
}

int add(const Args& args)
{
    std::string name, keyPath, certificatePath, owner;
    bool publicOnly = false;
    OptionSet options;
    options.text("--name", &name, "NAME", "the key's name in the container (required)");
    options.text("--key", &keyPath, "KEY", "the PKCS #1 key (required)");
    options.flag("--public", &publicOnly, "keep only the public half of KEY");
    options.text("--cert", &certificatePath, "CERT", "certificates to keep with the key");
    options.text("--owner", &owner, "NAME", "the owner's name, \"C=DE, CN=Ann\"");
    const std::string path = options.parse(args, 1, 1)[0];
    if (name.empty() || keyPath.empty())
        throw UsageError("add needs --name and --key");
    const CDistinguishedName ownerName = owner.empty() ? CDistinguishedName() : ParseSubjectName(owner, "--owner");

    const bool existed = exists(path);
    std::unique_ptr<CASN1_KCDNs> container = existed ? readContainer(path) : std::make_unique<CASN1_KCDNs>();
    if (container->Find(name.c_str()) >= 0)
        throw Failure(path + ": already holds a key called \"" + name + "\"");
    const CRSAPrivateKey key = ReadKeyFile(keyPath, !publicOnly);
    std::vector<std::vector<unsigned char>> certificates;
    const CDistinguishedName* ownerOf = owner.empty() ? nullptr : &ownerName;
    CDistinguishedName certifiedOwner;
    if (!certificatePath.empty()) {
        const std::vector<CCertificate> records = ReadCertificateRecords(certificatePath);
        certificates = DerValues(InputFile(certificatePath).readAll(), certificatePath, "CERTIFICATE");
        for (const CCertificate& record : records) {
            CRSAPublicKey certified;
            record.SetDataTo(certified);
            if (!ownerOf && certified == static_cast<const CRSAPublicKey&>(key)) {
                certifiedOwner = record.m_owner;
                ownerOf = &certifiedOwner;
            }
        }
    }
    auto* entry = publicOnly ? new CASN1_RSAKeyWithCertsAndDistinguishedName(static_cast<const CRSAPublicKey&>(key),
                                                                            name.c_str(), ownerOf)
                             : new CASN1_RSAKeyWithCertsAndDistinguishedName(key, name.c_str(), ownerOf);
    container->AddObject(entry);
    for (const std::vector<unsigned char>& der : certificates)
        DecodeOrFail(der, certificatePath, "a certificate", [&](CDEREncoding& encoding) {
            entry->AddCertificate(new CASN1_Certificate(encoding));
        });
    writeContainer(*container, path, existed);
    return 0;
}

// --- export ---

int exportKey(const Args& args)
{
    std::string outPath = "-";
    bool publicOnly = false, certificates = false, der = false, force = false;
    OptionSet options;
    options.flag("--public", &publicOnly, "export the public half only");
    options.flag("--certs", &certificates, "export the certificates kept with the key");
    options.text("-o,--out", &outPath, "OUT", "where it goes (default -)");
    options.flag("--der", &der, "write DER (one certificate at most with --certs)");
    options.flag("--force", &force, "replace an existing private key file OUT");
    const Args operands = options.parse(args, 2, 2);
    if (publicOnly && certificates)
        throw UsageError("--public and --certs exclude each other");
    const std::string& path = operands[0];
    const std::unique_ptr<CASN1_KCDNs> container = readContainer(path);
    const int index = container->Find(operands[1].c_str());
    if (index < 0)
        throw Failure(path + ": no key called \"" + operands[1] + "\"");
    const CASN1_RSAKeyWithCertsAndDistinguishedName& entry = container->getComponent(index);

    std::string pem;
    std::vector<unsigned char> octets;
    bool secret = false;
    onEntry(path, entry, [&] {
        if (certificates) {
            if (der && entry.GetCertificateCount() > 1)
                throw Failure(path + ": \"" + operands[1] + "\" has " + std::to_string(entry.GetCertificateCount()) +
                              " certificates; DER holds one (leave out --der)");
            for (int c = 0; c < entry.GetCertificateCount(); ++c) {
                CByteArray bytes;
                entry.GetCertificate(c).encodeTo(bytes);
                octets.assign(bytes.GetData(), bytes.GetData() + bytes.GetSize());
                pem += WritePem("CERTIFICATE", octets);
            }
        } else if (publicOnly || !entry.IsPrivateKey()) {
            CRSAPublicKey key;
            entry.GetPublicKey(key);
            CByteArray bytes;
            CASN1_PublicKey(key).encodeTo(bytes);
            octets.assign(bytes.GetData(), bytes.GetData() + bytes.GetSize());
            pem = WritePem("RSA PUBLIC KEY", octets);
        } else {
            CRSAPrivateKey key;
            entry.GetPrivateKey(key);
            octets = PrivateKeyDer(key);
            pem = WritePem("RSA PRIVATE KEY", octets);
            secret = true;
        }
    });
    SecureZeroOnExit wipeOctets(octets.data(), octets.size());
    SecureZeroOnExit wipePem(&pem[0], pem.size());
    OutputFile out(outPath, secret ? OutputFile::PrivateKey : OutputFile::Ordinary, force);
    if (der)
        out.write(octets.data(), octets.size());
    else
        out.write(pem);
    out.commit();
    return 0;
}

const Command listCommand("keys list", "FILE", "the keys of a key container", kHelp, list);
const Command addCommand("keys add", "FILE --name NAME --key KEY [--public] [--cert CERT] [--owner NAME]",
                         "adds a named key to a key container", kHelp, add);
const Command exportCommand("keys export", "FILE NAME [--public | --certs] [-o OUT] [--der] [--force]",
                            "writes a key or its certificates out of a key container", kHelp, exportKey);

}  // namespace
