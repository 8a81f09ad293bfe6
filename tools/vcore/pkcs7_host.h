#pragma once
// What the PKCS #7 commands share as the host of the library's message
// structures: reading messages, certificates and keys from DER or PEM with
// one clear line on bad input, naming things for listings, and writing
// messages out.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vaultcore/vaultcore.h"

// A certificate from a file: the decoded DER (carried in messages and
// matched octet for octet) and its record (for the key and the names).
struct HostCertificate {
    std::shared_ptr<CASN1_Certificate> asn1;
    CCertificate record;
    std::string path;
};

// Every certificate of a DER or PEM file (CERTIFICATE blocks).
std::vector<HostCertificate> ReadCertificates(const std::string& path);
// The one certificate of the file.
HostCertificate ReadCertificate(const std::string& path);
// Fails unless the key is the private half of the certificate's key.
void RequireKeyOf(const CRSAPrivateKey& key, const HostCertificate& certificate, const std::string& keyPath);

// A message from a DER or PEM file (the first PEM block): a valid
// ContentInfo whose content, when one of the five structured types, is
// valid too. Fails with the reason and the offset of broken DER.
std::unique_ptr<CASN1_ContentInfo> ReadMessage(const std::string& path);
// Runs body, turning a decoding exception from the library's accessors (a
// part the validators let pass that the command cannot use, such as an
// empty [0]) into a failure naming the message and the decoder's reason.
int WithMessage(const std::string& path, const std::function<int()>& body);

// Fails naming the content type found unless it is type.
void RequireContentType(const CASN1_ContentInfo& message, const CASN1_OBJECT_IDENTIFIER& type,
                        const std::string& path);
// The message's content as T after checking its type.
template <class T>
T& ContentOf(CASN1_ContentInfo& message, const CASN1_OBJECT_IDENTIFIER& type, const std::string& path);
// "signedData", "data" ...; the dotted form for another identifier.
std::string ContentTypeName(const CASN1_OBJECT_IDENTIFIER& type);

// Writes the message as DER, or PEM with the label PKCS7, through the
// atomic output file.
void WriteMessage(const std::string& path, const CASN1Type& message, bool pem);

// "C=DE, O=Example, CN=Ann" (openssl's short names; the dotted identifier
// for an attribute type the name classes do not know).
std::string NameText(const CASN1_RDNSequence& name);
// Upper-case hexadecimal, as openssl prints serial numbers.
std::string SerialText(const CASN1_INTEGER& serial);
// "sha1", "rsaEncryption", "des-ede3-cbc" ...; dotted otherwise.
std::string AlgorithmText(const CASN1_OBJECT_IDENTIFIER& algorithm);
// The clear contents of a value (an OCTET STRING's octets, segments joined).
std::vector<unsigned char> ClearOctets(const CASN1Type& value);

template <class T>
T& ContentOf(CASN1_ContentInfo& message, const CASN1_OBJECT_IDENTIFIER& type, const std::string& path)
{
    RequireContentType(message, type, path);
    return message.GetContentAs<T>();
}
