#pragma once
// CCertificationChain: an ordered array of certificates in DER
// (CASN1_Certificate trees held by value, in the caller's order), copied
// tree by tree, with one query: whether it occurs inside another chain.
// Which end holds the root is the callers' convention.
#include "vaultcore/pki/certificate_asn1.h"

class VAULTCORE_API CCertificationChain : public CArray<CASN1_Certificate, const CASN1_Certificate&> {
public:
    CCertificationChain();
    CCertificationChain(const CCertificationChain& other);
    CCertificationChain& operator=(const CCertificationChain& other);
    ~CCertificationChain() override;

    // This chain occurs, element for element, as a contiguous run of other,
    // aligned at the last occurrence in other of this chain's last
    // certificate. Certificates are compared as decoded records
    // (CCertificate equality); a certificate that does not convert throws
    // its CDERDecodingException. An empty chain is never a sub-chain.
    BOOL IsSubChainOf(const CCertificationChain& other) const;

    // The array's archive form: the count, then each certificate (marker
    // octet 0 and its DER). Loading refuses a certificate that is not valid
    // with the generic archive exception; a failed load leaves the chain
    // empty.
    void Serialize(CArchive& ar) override;
};

// Arrays of chains held by value: archived chain by chain.
VC_SERIALIZED_VALUE_ELEMENTS(CCertificationChain)
