// Distinguished names: the object model's searches and labels, the DER
// classes against names made by openssl (tests/data/x509), and the stored
// forms.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/archive_helpers.h"
#include "vaultcore/pki/pki_test_support.h"

namespace {

// A name from (type, value) rows; a type of -1 starts the next relative name.
CDistinguishedName nameOf(std::initializer_list<std::pair<int, const char*>> rows)
{
    CDistinguishedName name;
    CRelativeDN* rdn = nullptr;
    for (const auto& row : rows) {
        if (row.first < 0 || !rdn) {
            rdn = new CRelativeDN;
            name.Add(rdn);
        }
        if (row.first >= 0)
            rdn->Add(new CAttributeValue((DNAttrNameEnum)row.first, row.second));
    }
    return name;
}
const int kNext = -1;

std::string text(const CString& s)
{
    return std::string((const char*)s, s.GetLength());
}

std::string derOf(const CDistinguishedName& name)
{
    return encodingOf(CASN1_RDNSequence(name));
}

// Issuer and subject of a certificate, taken out with the generic decoder
// so that the name classes are tested on openssl's bytes alone.
struct CertificateNames {
    Bytes issuer, subject;
};

CertificateNames namesOf(const Bytes& certificate)
{
    std::unique_ptr<CASN1Type> decoded = decodeGeneric(certificate);
    EXPECT_TRUE(decoded);
    auto* tbs = dynamic_cast<CASN1_CONSTRUCTED_TYPE*>(static_cast<CASN1_CONSTRUCTED_TYPE&>(*decoded).getComponentAt(0));
    const int first = tbs->getComponentAt(0)->getIdentifier() == 0x80 ? 1 : 0;  // [0] version
    CByteArray issuer, subject;
    tbs->getComponentAt(first + 2)->encodeTo(issuer);
    tbs->getComponentAt(first + 4)->encodeTo(subject);
    return {Bytes(issuer.GetData(), issuer.GetData() + issuer.GetSize()),
            Bytes(subject.GetData(), subject.GetData() + subject.GetSize())};
}

TEST(DistinguishedName, OpensslNamesDecodeAndEncodeBackToTheSameBytes)
{
    struct Case {
        const char* file;
        const char* subjectText;  // the record's text form
        int rdnCount;
    } cases[] = {
        {"ee_512_md5.der",
         "Country name: DE\r\nOrganization name: Vault Test\r\nOrganizational unit name: Mail\r\n"
         "Common name: Ann Example\r\nE-mail address: ann@example.com\r\n",
         5},
        // OU=Mail+CN=Bob Example is one relative name; openssl puts its
        // members in DER set order.
        {"ee_1024_sha1.der",
         "Country name: DE\r\nState or province name: Bavaria\r\nLocality name: Munich\r\n"
         "Organization name: Example Org\r\nOrganizational unit name: Mail\r\nCommon name: Bob Example\r\n"
         "E-mail address: bob@example.com\r\n",
         6},
        {"v1_1024_sha1.der",
         "Country name: DE\r\nLocality name: M\xfcnchen\r\nOrganization name: Vault Test\r\n"
         "Common name: Dave Example\r\nE-mail address: dave@example.com\r\n",
         5},
        {"ca_2048_sha1.der", "Country name: DE\r\nOrganization name: Vault Test\r\nCommon name: Test CA 2048 sha1\r\n",
         3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        CertificateNames names = namesOf(readFileBytes(x509Data(c.file)));
        for (const Bytes* der : {&names.issuer, &names.subject}) {
            EncodingOf encoding(*der);
            CASN1_RDNSequence sequence(*encoding);
            CDistinguishedName name = sequence;
            EXPECT_EQ(encodingOf(CASN1_RDNSequence(name)), hexOf(*der));
        }
        EncodingOf encoding(names.subject);
        CDistinguishedName subject = CASN1_RDNSequence(*encoding);
        EXPECT_EQ(text(subject), c.subjectText);
        EXPECT_EQ(subject.GetSize(), c.rdnCount);
        EXPECT_STREQ(subject[0]->m_label, "Set");
    }
    // String kinds as openssl chose them under string_mask = default.
    EncodingOf encoding(namesOf(readFileBytes(x509Data("v1_1024_sha1.der"))).subject);
    CDistinguishedName subject = CASN1_RDNSequence(*encoding);
    const int kinds[] = {19, 20, 19, 19, 22};
    for (int i = 0; i < subject.GetSize(); ++i)
        EXPECT_EQ(subject[i]->m_values[0]->m_stringKind, kinds[i]) << i;
}

TEST(DistinguishedName, EncodingOfOneCommonName)
{
    const CDistinguishedName ann = nameOf({{dnCommonName, "Ann"}});
    EXPECT_EQ(derOf(ann), "30 0E 31 0C 30 0A 06 03 55 04 03 13 03 41 6E 6E");
    EncodingOf encoding(hexBytes("30 0E 31 0C 30 0A 06 03 55 04 03 13 03 41 6E 6E"));
    CDistinguishedName back = CASN1_RDNSequence(*encoding);
    EXPECT_TRUE(back == ann);
    EXPECT_STREQ(back[0]->m_label, "Set");
    // A relative name's members come out in DER set order whatever the
    // record's order.
    CDistinguishedName twoMembers = nameOf({{dnOrganizationalUnitName, "Sales"}, {dnCommonName, "A"}});
    CDistinguishedName swapped = nameOf({{dnCommonName, "A"}, {dnOrganizationalUnitName, "Sales"}});
    EXPECT_EQ(derOf(twoMembers), derOf(swapped));
}

TEST(DistinguishedName, ValidationOfAssertions)
{
    struct Case {
        const char* reason;
        const char* der;
        const char* name;  // after decoding; null when the name is refused
    } cases[] = {
        {"IA5String", "30 0C 31 0A 30 08 06 03 55 04 03 16 01 61", "Common name"},
        {"T61String", "30 0C 31 0A 30 08 06 03 55 04 03 14 01 61", "Common name"},
        {"OCTET STRING", "30 0C 31 0A 30 08 06 03 55 04 03 04 01 61", "Common name"},
        {"unknown type", "30 0C 31 0A 30 08 06 03 55 04 2A 13 01 61", "Unknown"},
        {"BMPString", "30 0D 31 0B 30 09 06 03 55 04 03 1E 02 00 61", nullptr},
        {"UTF8String", "30 0C 31 0A 30 08 06 03 55 04 03 0C 01 61", nullptr},
        {"three members", "30 0F 31 0D 30 0B 06 03 55 04 03 13 01 61 13 01 62", nullptr},
        {"type is not an OID", "30 0C 31 0A 30 08 04 03 55 04 03 13 01 61", nullptr},
        {"value missing", "30 09 31 07 30 05 06 03 55 04 03", nullptr},
        {"SEQUENCE for SET", "30 0C 30 0A 30 08 06 03 55 04 03 13 01 61", nullptr},
        {"empty name", "30 00", ""},
        {"empty relative name", "30 02 31 00", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        EncodingOf encoding(hexBytes(c.der));
        CDistinguishedName name;
        std::string failure = decodingFailure([&] { name = CASN1_RDNSequence(*encoding); });
        if (!c.name) {
            EXPECT_EQ(failure, "RDNSequence contents is not valid");
            continue;
        }
        EXPECT_EQ(failure, "");
        std::string first = name.GetSize() && name[0]->m_values.GetSize() ? text(name[0]->m_values[0]->m_attributeName) : "";
        EXPECT_EQ(first, c.name);
    }
    // A name that is not one of the 24 cannot be encoded.
    CDistinguishedName unknown = nameOf({{dnCommonName, "x"}});
    unknown[0]->m_values[0]->m_attributeName = "Unknown";
    CASN1_RDNSequence sequence(unknown);
    EXPECT_FALSE(CASN1_RDNSequence::isValid(&sequence, 0));
}

TEST(DistinguishedName, EMailNameForm)
{
    CDistinguishedName name("MiXed");
    EXPECT_EQ(text(name), "Locality name: Internet\r\nE-mail address: mixed\r\n");
    EXPECT_TRUE(name.IsVeriSignImage());
    EXPECT_TRUE(name.IsVeriSignRequestMatch());
    EXPECT_EQ(name[1]->m_values[0]->m_stringKind, 22);
    CDistinguishedName request = nameOf({{dnCommonName, "M"}, {kNext, ""}, {dnEMailAddress, "mixed"}});
    EXPECT_TRUE(name.IsVeriSignResponse(request));
    EXPECT_FALSE(CDistinguishedName("other").IsVeriSignResponse(request));
    EXPECT_FALSE(name.IsVeriSignResponse(nameOf({{dnCommonName, "M"}})));
    EXPECT_FALSE(request.IsVeriSignImage());
    EXPECT_FALSE(CDistinguishedName().IsVeriSignRequestMatch());
    name[0]->Add(new CAttributeValue(dnCommonName, "x"));
    EXPECT_FALSE(name.IsVeriSignImage());
}

TEST(DistinguishedName, EqualityAndSubordination)
{
    CDistinguishedName ab = nameOf({{dnCountryName, "DE"}, {dnOrganizationName, "A"}});
    CDistinguishedName ba = nameOf({{dnOrganizationName, "A"}, {dnCountryName, "DE"}});
    EXPECT_TRUE(ab == ba);  // members of one relative name: any order
    CDistinguishedName parent = nameOf({{dnCountryName, "DE"}, {kNext, ""}, {dnOrganizationName, "A"}});
    CDistinguishedName reversed = nameOf({{dnOrganizationName, "A"}, {kNext, ""}, {dnCountryName, "DE"}});
    EXPECT_FALSE(parent == reversed);  // relative names: in order
    CDistinguishedName child = parent;
    child.Add(new CRelativeDN);
    child[2]->Add(new CAttributeValue(dnCommonName, "Ann"));
    const CDistinguishedName empty;
    struct Case {
        const CDistinguishedName *name, *parent;
        bool subordinate, strongly;
    } cases[] = {
        {&parent, &parent, true, false}, {&child, &parent, true, true},   {&parent, &child, false, false},
        {&child, &empty, true, true},    {&empty, &empty, true, false},   {&reversed, &parent, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.name->IsSubordinateTo(*c.parent) != 0, c.subordinate);
        EXPECT_EQ(c.name->IsStronglySubordinateTo(*c.parent) != 0, c.strongly);
    }
    // Case and string kind count.
    CDistinguishedName upper = nameOf({{dnCommonName, "ANN"}});
    EXPECT_FALSE(upper == nameOf({{dnCommonName, "Ann"}}));
    CDistinguishedName ia5 = nameOf({{dnCommonName, "ANN"}});
    ia5[0]->m_values[0]->m_stringKind = 22;
    EXPECT_FALSE(upper == ia5);
    // Same owner: equal names, or the same e-mail address.
    EXPECT_TRUE(__isTheSameOwner(CDistinguishedName("a@b"), nameOf({{dnCommonName, "A"}, {kNext, ""}, {dnEMailAddress, "a@b"}})));
    EXPECT_FALSE(__isTheSameOwner(CDistinguishedName("a@b"), CDistinguishedName("a@c")));
    EXPECT_TRUE(__isTheSameOwner(empty, CDistinguishedName()));
}

TEST(DistinguishedName, SearchesAndLabels)
{
    CDistinguishedName name = nameOf({{dnCommonName, "Root CN"}, {kNext, ""}, {dnEMailAddress, "ann@x"}});
    DNAttrNameEnum types[] = {dnCommonName, dnEMailAddress};
    CString value = "untouched";
    EXPECT_EQ(name.FindOneOf(types, 2, value), 1);  // the most specific relative name is asked first
    EXPECT_STREQ(value, "ann@x");
    EXPECT_TRUE(name.Find(dnCommonName, value));
    EXPECT_STREQ(value, "Root CN");
    value = "untouched";
    EXPECT_FALSE(name.Find(dnTitle, value));
    EXPECT_EQ(name.FindOneOf(types, 0, value), -1);
    EXPECT_STREQ(value, "untouched");

    struct Case {
        CDistinguishedName name;
        const char *label, *label2;
    } cases[] = {
        {nameOf({{dnOrganizationName, "Acme"}, {dnOrganizationalUnitName, "Sales"}}), "Acme, Sales", "Acme, Sales"},
        {nameOf({{dnCommonName, "Ann"}, {dnEMailAddress, "ann"}}), "Ann", "Ann, ann"},
        {nameOf({{dnSurname, "Smith"}}), "Smith", "Smith"},
        {nameOf({{dnCollectivePostalCode, "123"}, {dnCountryName, "DE"}}), "DE", "DE, 123"},
        {CDistinguishedName(), "<Empty>", "<Empty>"},
        {nameOf({{kNext, ""}}), "<Empty>", "<Empty>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text(c.name.GetLabel()), c.label);
        EXPECT_EQ(text(c.name.GetLabel2()), c.label2);
    }
    EXPECT_TRUE(nameOf({{kNext, ""}}).IsEmpty());
    EXPECT_FALSE(name.IsEmpty());
    EXPECT_STREQ(name.FirstAttribute(), "Root CN");
}

TEST(DistinguishedName, CopiesAreDeepAndArraysOwnTheirElements)
{
    CDistinguishedName original = nameOf({{dnCommonName, "A"}, {kNext, ""}, {dnCommonName, "B"}});
    CDistinguishedName copy = original;
    copy[0]->m_values[0]->m_value = "changed";
    copy = original;  // assignment over a name of the same shape replaces every object
    copy[1]->m_label = "other";
    EXPECT_STREQ(original[0]->m_values[0]->m_value, "A");
    EXPECT_STREQ(original[1]->m_label, "Set");
    EXPECT_TRUE(copy == original);
    copy.SetSize(1);  // drops (deletes) the second relative name
    EXPECT_EQ(copy.GetSize(), 1);
    CRelativeDN rdn = *original[0];
    rdn.m_values.SetSize(3);  // empty slots are harmless everywhere
    EXPECT_STREQ(CString(rdn), "Common name: A\r\n");
    CArray<CDistinguishedName, const CDistinguishedName&> names;
    names.SetSize(2);
    names[1] = original;
    EXPECT_TRUE(names[0].IsEmpty());
}

TEST(DistinguishedName, StoredForm)
{
    CDistinguishedName name = nameOf({{dnCommonName, "Ann"}, {kNext, ""}, {dnEMailAddress, "ann@x"}});
    CRelativeDN labelled("Mine");
    labelled.Add(new CAttributeValue(dnTitle, "T"));
    std::vector<unsigned char> stored = storedBytes(labelled);
    // Format 0, label, count, then the value: format 0, name, value, kind.
    EXPECT_EQ(hexOf(stored), "00 04 4D 69 6E 65 01 00 00 05 54 69 74 6C 65 01 54 13");
    CRelativeDN loaded;
    EXPECT_EQ(archiveLoadCause(loaded, stored), 0);
    EXPECT_STREQ(loaded.m_label, "Mine");
    EXPECT_TRUE(loaded == labelled);

    CDistinguishedName back("old contents");
    EXPECT_EQ(archiveLoadCause(back, storedBytes(name)), 0);
    EXPECT_TRUE(back == name);
    CArray<CDistinguishedName, const CDistinguishedName&> names, namesBack;
    names.Add(name);
    names.Add(CDistinguishedName());
    EXPECT_EQ(archiveLoadCause(namesBack, storedBytes(names)), 0);
    ASSERT_EQ(namesBack.GetSize(), 2);
    EXPECT_TRUE(namesBack[0] == name);

    struct Case {
        const char* reason;
        std::vector<unsigned char> bytes;
        int cause;
    } cases[] = {
        {"relative name format 1", {0x01, 0x00, 0x00, 0x00}, CArchiveException::genericException},
        {"attribute format 1", {0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x13}, CArchiveException::genericException},
        {"string kind 12", {0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x0C}, CArchiveException::genericException},
        {"count beyond the data", {0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, CArchiveException::endOfFile},
        {"truncated value", {0x00, 0x00, 0x01, 0x00, 0x00, 0x05, 0x41}, CArchiveException::endOfFile},
    };
    for (const Case& c : cases) {
        CRelativeDN rdn("keep");
        EXPECT_EQ(archiveLoadCause(rdn, c.bytes), c.cause) << c.reason;
    }
    CAttributeValue value(dnCommonName, "keep");
    EXPECT_EQ(archiveLoadCause(value, {0x00, 0x00, 0x00, 0x0C}), CArchiveException::genericException);
    EXPECT_STREQ(value.m_value, "keep");
}

}  // namespace
