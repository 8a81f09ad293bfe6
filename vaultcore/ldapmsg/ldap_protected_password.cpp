// Protected password table: this system's own structure.
#include "vaultcore/ldapmsg/ldap_protected_password.h"

IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_ProtectedPassword, CASN1_SEQUENCE, 0x10)

// ProtectedPassword ::= SEQUENCE {
//         time1           [0] IMPLICIT ... OPTIONAL,
//         time2           [1] IMPLICIT ... OPTIONAL,
//         random1         [2] IMPLICIT ... OPTIONAL,
//         random2         [3] IMPLICIT ... OPTIONAL,
//         protected       [4] IMPLICIT ... }
// Nothing in the system builds or reads these members, so the types under
// the tags are left open: any contents under the right identifier pass.
const ASN1_COMPONENT_INFO CASN1_ProtectedPassword::m_compInfoList[] = {
    //                 end  name         resolver  tag   class tagging      validator  opt rep any
    ASN1_COMPONENT_INFO(0, "time1",      nullptr,  0x80, 2,    TM_IMPLICIT, nullptr,   1,  0,  0),
    ASN1_COMPONENT_INFO(0, "time2",      nullptr,  0x81, 2,    TM_IMPLICIT, nullptr,   1,  0,  0),
    ASN1_COMPONENT_INFO(0, "random1",    nullptr,  0x82, 2,    TM_IMPLICIT, nullptr,   1,  0,  0),
    ASN1_COMPONENT_INFO(0, "random2",    nullptr,  0x83, 2,    TM_IMPLICIT, nullptr,   1,  0,  0),
    ASN1_COMPONENT_INFO(0, "protected",  nullptr,  0x84, 2,    TM_IMPLICIT, nullptr,   0,  0,  0),
    ASN1_END_OF_TABLE,
};
