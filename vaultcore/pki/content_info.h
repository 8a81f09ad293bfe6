#pragma once
// ContentInfo: a PKCS #7 message, or the content inside one, named by its
// content type (CASN1_data, CASN1_signedData, CASN1_envelopedData,
// CASN1_signedAndEnvelopedData, CASN1_digestedData, CASN1_encryptedData).
#include "vaultcore/asn1/component_info.h"
#include "vaultcore/asn1/universal_types.h"

// ContentInfo ::= SEQUENCE { contentType, content [0] EXPLICIT ANY OPTIONAL }
//
// The decoding constructor throws CDERDecodingException "ContentInfo
// contents is not valid" for DER that is not a valid ContentInfo; the
// content itself is not compared with the content type.
//
// Mind the two building constructors. (type, CASN1Type*) wraps the content
// in a new [0]; (type, CASN1_TAGGED*) adopts the value as the [0] itself.
// Every class derived from CASN1_TAGGED, CASN1_OCTET_STRING among them,
// picks the second, so
//     CASN1_ContentInfo(new CASN1_data, new CASN1_OCTET_STRING(p, n))
// gives a ContentInfo whose second component is the OCTET STRING (04, not
// [0]), which is not valid. To wrap such a value say so:
//     CASN1_ContentInfo(new CASN1_data, static_cast<CASN1Type*>(octets))
class VAULTCORE_API CASN1_ContentInfo : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_ContentInfo, CASN1_SEQUENCE)
    // Adopts the type and the content (null: no content), which becomes
    // the one component of a new [0]. The ContentInfo is written with the
    // indefinite length form (30 80 ... 00 00, the [0] definite); clear it
    // with setIndefinite(FALSE) for DER.
    explicit CASN1_ContentInfo(CASN1_OBJECT_IDENTIFIER* type, CASN1Type* content = nullptr);
    // Adopts both as they are: content is the [0] component.
    CASN1_ContentInfo(CASN1_OBJECT_IDENTIFIER* type, CASN1_TAGGED* content);

    ASN1_MEMBER(CASN1_OBJECT_IDENTIFIER, contentType)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, content)

    // The content component is present.
    BOOL IsContent() const;
    // Deletes the content component, if any.
    void DeleteContent();
    // The value inside the [0]. Throws CDERDecodingException when there is
    // no content or the [0] does not hold exactly one value.
    CASN1Type& GetContent();
    const CASN1Type& GetContent() const;
    // The same as class T: a content decoded generically (a SEQUENCE for a
    // CASN1_SignedData ...) becomes a T in place; throws as GetContent, and
    // when the content is not of T (or its generic base). Validate the
    // content with T::isValid(&GetContent(), 0) first.
    template <class T>
    T& GetContentAs();
};

template <class T>
T& CASN1_ContentInfo::GetContentAs()
{
    GetContent();  // throws unless the [0] holds one value
    CASN1_TAGGED& wrapper = get_content();
    // The engine converts components of an array in place; the content is
    // lent to one and given back whatever happens.
    CASN1TypeArray slot;
    slot.Add(wrapper.detachComponentAt(0));
    try {
        T& typed = ___componentAs<T>(slot, 0, "CASN1_ContentInfo", "content");
        wrapper.AddObject(slot.GetAt(0));
        return typed;
    } catch (CDERDecodingException*) {
        wrapper.AddObject(slot.GetAt(0));
        throw;
    }
}
