#pragma once
// Reading the PKI files the vcore commands take (PKCS #1 keys,
// certificates, revocation lists, in DER or PEM) with one clear line on bad
// input, and printing the library's dumps.
#include <cstring>
#include <string>
#include <vector>

#include "common/tool.h"
#include "vaultcore/pki/scoped_encoding.h"
#include "vaultcore/vaultcore.h"

// A PKCS #1 RSA key file (RSAPrivateKey, or with needPrivate false also
// RSAPublicKey), DER or PEM, read through CASN1_PrivateKey and
// CASN1_PublicKey. A public key leaves the private fields zero.
CRSAPrivateKey ReadKeyFile(const std::string& path, bool needPrivate);
// The PKCS #1 RSAPrivateKey DER of the key (CASN1_PrivateKey).
std::vector<unsigned char> PrivateKeyDer(const CRSAPrivateKey& key);

// Every certificate of a DER or PEM file (CERTIFICATE blocks), decoded,
// validated and converted into records.
std::vector<CCertificate> ReadCertificateRecords(const std::string& path);
// The one certificate of the file.
CCertificate ReadCertificateRecord(const std::string& path);

// The DER of the file's one value (its first PEM block with the label, when
// it is PEM).
std::vector<unsigned char> ReadDerFile(const std::string& path, const std::string& label);

// Runs decode(encoding) over a copy of the octets (values decoded from it
// may refer to them after the call); a decoding exception becomes Failure
// "path: not <what> (reason)<hint>", and octets after the value fail too.
template <class Decode>
void DecodeOrFail(const std::vector<unsigned char>& der, const std::string& path, const std::string& what,
                  Decode decode, const std::string& hint = "");

// The name's text form on one line: "Country name: DE, Common name: Ann";
// "<empty>" for an empty name.
std::string NameLine(const CDistinguishedName& name);

// Prints a dump of the library's, whose lines end in CR LF, with LF.
void PrintDump(const CString& text);

// --- implementation ---

// Why decoding the octets failed: the first fault in their DER headers, or
// else the library's message.
std::string DecodingFailureText(const std::vector<unsigned char>& der);

template <class Decode>
void DecodeOrFail(const std::vector<unsigned char>& der, const std::string& path, const std::string& what,
                  Decode decode, const std::string& hint)
{
    CByteArrayPro copy;
    copy.SetSize((int)der.size());
    if (!der.empty())
        std::memcpy(copy.GetData(), der.data(), der.size());
    CScopedEncoding encoding(copy);
    try {
        decode(*encoding);
    } catch (CDERDecodingException* e) {
        e->Delete();
        throw Failure(path + ": not " + what + " (" + DecodingFailureText(der) + ")" + hint);
    }
    if (const unsigned long left = (*encoding).bytesLeft())
        throw Failure(path + ": " + std::to_string(left) + " octets follow " + what);
}
