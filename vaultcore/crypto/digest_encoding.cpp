// CASN1Type::digestEncoding: the value's encoding streamed through the
// digest sink, completing the digest.
#include "vaultcore/asn1/asn1_type.h"
#include "vaultcore/crypto/digest_filter.h"

void CASN1Type::digestEncoding(CDigestMaker& digest, int withoutHeader, int useIdentifier,
                               unsigned char identifier) const
{
    CDigestFilterNS stage(digest);
    writeEncoding(stage, withoutHeader, useIdentifier, identifier);
    stage.finish();
}
