#include "vaultcore/asn1/null.h"

IMPLEMENT_ASN1_COPY(CASN1_NULL)

CASN1_NULL::CASN1_NULL()
{
    m_identifier = 5;
}

void CASN1_NULL::setContents(CDEREncoding&, unsigned long length)
{
    if (length != 0)
        ___throwDERDecodingException("Encoded NULL value has invalid length");
}
