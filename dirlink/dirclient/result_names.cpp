// Names of the LDAP result codes, after RFC 2251 section 4.1.10.
#include "dirlink/dirclient/response_parsers.h"

namespace {

struct ResultName {
    unsigned long code;
    const char* name;
};

const char kReserved[] = "<reserved code>";

const ResultName kResultNames[] = {
    {0, "success"},
    {1, "operationsError"},
    {2, "protocolError"},
    {3, "timeLimitExceeded"},
    {4, "sizeLimitExceeded"},
    {5, "compareFalse"},
    {6, "compareTrue"},
    {7, "authMethodNotSupported"},
    {8, "strongAuthRequired"},
    {9, kReserved},
    {10, "referral"},
    {11, "adminLimitExceeded"},
    {12, "unavailableCriticalExtension"},
    {13, kReserved},
    {14, kReserved},
    {15, kReserved},
    {16, "noSuchAttribute"},
    {17, "undefinedAttributeType"},
    {18, "inappropriateMatching"},
    {19, "constraintViolation"},
    {20, "attributeOrValueExists"},
    {21, "invalidAttributeSyntax"},
    {32, "noSuchObject"},
    {33, "aliasProblem"},
    {34, "invalidDNSyntax"},
    {35, "<reserved code for undefined isLeaf>"},
    {36, "aliasDereferencingProblem"},
    {48, "inappropriateAuthentication"},
    {49, "invalidCredentials"},
    {50, "insufficientAccessRights"},
    {51, "busy"},
    {52, "unavailable"},
    {53, "unwillingToPerform"},
    {54, "loopDetect"},
    {64, "namingViolation"},
    {65, "objectClassViolation"},
    {66, "notAllowedOnNonLeaf"},
    {67, "notAllowedOnRDN"},
    {68, "entryAlreadyExists"},
    {69, "objectClassModsProhibited"},
    {70, "resultsTooLarge"},
    {71, "affectsMultipleDSAs"},
    {80, "other"},
};

}  // namespace

CString ldapResultToString(unsigned long code)
{
    const char* name = "<unknown code>";
    for (const ResultName& row : kResultNames)
        if (row.code == code)
            name = row.name;
    CString text;
    text.Format("%lu (0x%lx) - %s", code, code, name);
    return text;
}
