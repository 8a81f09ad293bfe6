#include "vaultcore/pki/certification_chain.h"

CCertificationChain::CCertificationChain() = default;

CCertificationChain::CCertificationChain(const CCertificationChain& other)
    : CArray<CASN1_Certificate, const CASN1_Certificate&>(other)
{
}

CCertificationChain& CCertificationChain::operator=(const CCertificationChain& other)
{
    CArray<CASN1_Certificate, const CASN1_Certificate&>::operator=(other);
    return *this;
}

CCertificationChain::~CCertificationChain() = default;

namespace {
CCertificate recordOf(const CASN1_Certificate& certificate)
{
    CCertificate record;
    certificate.SetDataTo(record);
    return record;
}
}  // namespace

BOOL CCertificationChain::IsSubChainOf(const CCertificationChain& other) const
{
    // Both chains are walked from their ends; once the first match has
    // been found, every further certificate of this chain must match the
    // next one of other.
    int i = GetSize() - 1;
    int j = other.GetSize() - 1;
    bool matched = false;
    while (i >= 0 && j >= 0) {
        if (recordOf(ElementAt(i)) == recordOf(other.ElementAt(j))) {
            matched = true;
            --i;
        } else if (matched) {
            break;
        }
        --j;
    }
    return matched && i < 0;
}

void CCertificationChain::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        CArray<CASN1_Certificate, const CASN1_Certificate&>::Serialize(ar);
        return;
    }
    try {
        CArray<CASN1_Certificate, const CASN1_Certificate&>::Serialize(ar);
        for (int i = 0; i < GetSize(); ++i)
            if (!CASN1_Certificate::isValid(&ElementAt(i), 0))
                AfxThrowArchiveException(CArchiveException::genericException);
    } catch (CException*) {
        RemoveAll();
        throw;
    }
}
