// Ordering of values by their encodings, compared on the fly.
#include "vaultcore/asn1/asn1_type.h"

int ___cmp(const CASN1Type& a, const CASN1Type& b)
{
    CMemFile reference;
    b.encodeTo(reference);
    reference.SeekToBegin();
    CCompareFilterNS stage(reference);
    try {
        a.writeEncoding(stage, 0, 0, 0);
        stage.finish();
    } catch (CTerminateCompareException*) {
        // The stage ends every run this way, at the decision or at the end.
    }
    return stage.result();
}
