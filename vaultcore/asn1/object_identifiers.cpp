#include "vaultcore/asn1/object_identifiers.h"

#include <initializer_list>

namespace {

// Sets the value from its arcs: the first two form the first octet, the
// rest are appended one by one.
void setArcs(CASN1_OBJECT_IDENTIFIER& oid, std::initializer_list<unsigned long> arcs)
{
    const unsigned long* arc = arcs.begin();
    oid = CASN1_OBJECT_IDENTIFIER((unsigned char)arc[0], (unsigned char)arc[1]);
    for (arc += 2; arc != arcs.end(); ++arc)
        oid.AddIDComponent(*arc);
}

}  // namespace

#define VC_DEFINE_OBJECT_IDENTIFIER(name, ...) \
    name::name() { setArcs(*this, {__VA_ARGS__}); }
VC_OBJECT_IDENTIFIER_TABLE(VC_DEFINE_OBJECT_IDENTIFIER)
#undef VC_DEFINE_OBJECT_IDENTIFIER
