// The syntax table. Names follow the LDAPv3 syntax definitions (RFC 2252
// section 6, with the COSINE syntaxes of RFC 1274); XConfiguration is the
// mail server's own binary configuration blob.
#include "dirlink/dirschema/syntax_tab.h"

const SYNTAX_ROW g_syntaxes[SYNTAX_COUNT] = {
    //  name                          binary
    { "BitString",                    0 },
    { "PrintableString",              0 },
    { "Certificate",                  1 },
    { "CertificateList",              1 },
    { "CertificatePair",              1 },
    { "DirectoryString",              0 },
    { "CountryString",                0 },
    { "DN",                           0 },
    { "DeliveryMethod",               0 },
    { "EnhancedGuide",                0 },
    { "FacsimileTelephoneNumber",     0 },
    { "Guide",                        0 },
    { "NameAndOptionalUID",           0 },
    { "NumericString",                0 },
    { "OID",                          0 },
    { "Password",                     0 },
    { "PostalAddress",                0 },
    { "PresentationAddress",          0 },
    { "TelephoneNumber",              0 },
    { "TelexTerminalIdentifier",      0 },
    { "TelexNumber",                  0 },
    { "UTCTime",                      0 },
    { "Audio",                        1 },
    { "BOOLEAN",                      0 },
    { "DSAQualitySyntax",             0 },
    { "DataQualitySyntax",            0 },
    { "JPEG",                         1 },
    { "IA5String",                    0 },
    { "MailPreference",               0 },
    { "Fax",                          1 },
    { "OtherMailbox",                 0 },
    { "AttributeTypeDescription",     0 },
    { "GeneralizedTime",              0 },
    { "INTEGER",                      0 },
    { "XConfiguration",               1 },
    { "ObjectClassDescription",       0 },
};
