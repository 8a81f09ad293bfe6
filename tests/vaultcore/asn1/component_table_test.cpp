// Table algorithms: sequence validation, member lookup, alternatives and the
// row operations, over small tables made for the purpose.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/der_helpers.h"
#include "vaultcore/vaultcore.h"

namespace {

std::vector<unsigned char> fromHex(const std::string& text)
{
    std::vector<unsigned char> bytes;
    std::string digits;
    for (char c : text)
        if (isxdigit((unsigned char)c))
            digits += c;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes.push_back((unsigned char)std::stoul(digits.substr(i, 2), nullptr, 16));
    return bytes;
}

// The generic decoder's value for the hex text; must be constructed.
std::unique_ptr<CASN1_CONSTRUCTED_TYPE> decodeConstructed(const std::string& hex)
{
    std::vector<unsigned char> bytes = fromHex(hex);
    CDEREncoding* encoding = new CDEREncoding(TRUE, bytes.data(), (unsigned long)bytes.size(), FALSE, TRUE);
    encoding->AddRef();
    CASN1Type* value = ___buildFromEncoding(*encoding);
    encoding->Release();
    auto* constructed = dynamic_cast<CASN1_CONSTRUCTED_TYPE*>(value);
    if (!constructed)
        delete value;
    return std::unique_ptr<CASN1_CONSTRUCTED_TYPE>(constructed);
}

// A validator that remembers how it was called.
int g_calls = 0;
int g_lastImplicitlyTagged = -1;
unsigned char g_lastIdentifier = 0;
int recordingValidator(const CASN1Type* value, int implicitlyTagged)
{
    ++g_calls;
    g_lastImplicitlyTagged = implicitlyTagged;
    g_lastIdentifier = value->getIdentifier();
    return TRUE;
}
void resetRecorder()
{
    g_calls = 0;
    g_lastImplicitlyTagged = -1;
    g_lastIdentifier = 0;
}

// A CHOICE of INTEGER and OCTET STRING.
const ASN1_COMPONENT_INFO kNumberOrText[] = {
    ASN1_COMPONENT_INFO(0, "number", nullptr, 0x02, 0, TM_NONE, nullptr, 0, 0, 0),
    ASN1_COMPONENT_INFO(0, "text",   nullptr, 0x04, 0, TM_NONE, nullptr, 0, 0, 0),
    ASN1_END_OF_TABLE,
};
int resolveNumberOrText(const CASN1Type* value) { return ___resolveAlternative(kNumberOrText, value); }

const ASN1_COMPONENT_INFO kEmpty[] = {
    ASN1_END_OF_TABLE,
};
// a INTEGER, b OCTET STRING OPTIONAL, c BOOLEAN
const ASN1_COMPONENT_INFO kABC[] = {
    ASN1_COMPONENT_INFO(0, "a", nullptr, 0x02, 0, TM_NONE, nullptr, 0, 0, 0),
    ASN1_COMPONENT_INFO(0, "b", nullptr, 0x04, 0, TM_NONE, nullptr, 1, 0, 0),
    ASN1_COMPONENT_INFO(0, "c", nullptr, 0x01, 0, TM_NONE, nullptr, 0, 0, 0),
    ASN1_END_OF_TABLE,
};
// SEQUENCE OF OCTET STRING followed by a mandatory INTEGER
const ASN1_COMPONENT_INFO kRepeatedThenMandatory[] = {
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, nullptr, 0x04, 0, TM_NONE, nullptr, 0, 1, 0),
    ASN1_COMPONENT_INFO(0, "tail",            nullptr, 0x02, 0, TM_NONE, nullptr, 0, 0, 0),
    ASN1_END_OF_TABLE,
};
// wrapped [0] EXPLICIT something
const ASN1_COMPONENT_INFO kExplicit[] = {
    ASN1_COMPONENT_INFO(0, "wrapped", nullptr, 0x80, 2, TM_EXPLICIT, recordingValidator, 0, 0, 0),
    ASN1_END_OF_TABLE,
};
// first INTEGER, choice NumberOrText (untagged CHOICE member)
const ASN1_COMPONENT_INFO kChoiceMember[] = {
    ASN1_COMPONENT_INFO(0, "first",  nullptr,             0x02, 0, TM_NONE, nullptr,            0, 0, 0),
    ASN1_COMPONENT_INFO(0, "choice", resolveNumberOrText, 0xFF, 0, TM_NONE, recordingValidator, 0, 0, 0),
    ASN1_END_OF_TABLE,
};
// anything ANY
const ASN1_COMPONENT_INFO kAny[] = {
    ASN1_COMPONENT_INFO(0, "anything", nullptr, 0, 0, TM_NONE, nullptr, 0, 0, 1),
    ASN1_END_OF_TABLE,
};
// The identifier is formed from tag and class: 0x03 | (1 << 6) = [APPLICATION 3].
const ASN1_COMPONENT_INFO kClassBits[] = {
    ASN1_COMPONENT_INFO(0, "app", nullptr, 0x03, 1, TM_IMPLICIT, nullptr, 0, 0, 0),
    ASN1_END_OF_TABLE,
};

struct ValidationCase {
    const char* reason;
    const ASN1_COMPONENT_INFO* table;
    const char* hex;
    bool valid;
};

const ValidationCase kValidationCases[] = {
    {"empty table, no components", kEmpty, "30 00", true},
    {"empty table, one component", kEmpty, "30 03 02 01 00", false},
    {"a and c, optional b absent", kABC, "30 06 02 01 00 01 01 00", true},
    {"a, b and c", kABC, "30 08 02 01 00 04 00 01 01 FF", true},
    {"mandatory c missing", kABC, "30 03 02 01 00", false},
    {"mandatory a missing", kABC, "30 03 01 01 00", false},
    {"extra component after the last row", kABC, "30 09 02 01 00 01 01 00 01 01 00", false},
    {"no backtracking: c before a", kABC, "30 06 01 01 00 02 01 00", false},
    {"repeated row with no elements, then the tail", kRepeatedThenMandatory, "30 03 02 01 07", true},
    {"repeated row with two elements, then the tail", kRepeatedThenMandatory, "30 07 04 00 04 00 02 01 07", true},
    {"tail still required after zero elements", kRepeatedThenMandatory, "30 00", false},
    {"tail still required after elements", kRepeatedThenMandatory, "30 04 04 00 04 00", false},
    {"explicit tag holding one value", kExplicit, "30 05 A0 03 02 01 01", true},
    {"explicit tag holding two values", kExplicit, "30 08 A0 06 02 01 01 02 01 02", false},
    {"explicit tag holding nothing", kExplicit, "30 02 A0 00", false},
    {"explicit tag in primitive form", kExplicit, "30 03 80 01 01", false},
    {"choice member matched by its second alternative", kChoiceMember, "30 06 02 01 00 04 01 41", true},
    {"choice member matched by its first alternative", kChoiceMember, "30 06 02 01 00 02 01 05", true},
    {"choice member with no matching alternative", kChoiceMember, "30 06 02 01 00 01 01 00", false},
    {"any row takes any value", kAny, "30 02 05 00", true},
    {"any row takes one value only", kAny, "30 04 05 00 05 00", false},
    {"class bits are or-ed into the identifier", kClassBits, "30 02 43 00", true},
    {"same tag number, another class", kClassBits, "30 02 83 00", false},
};

TEST(ComponentTable, ValidatesComponentListsRowByRow)
{
    for (const ValidationCase& c : kValidationCases) {
        auto value = decodeConstructed(c.hex);
        ASSERT_TRUE(value) << c.reason;
        EXPECT_EQ(c.valid, ___validateComponents(c.table, *value) != FALSE) << c.reason;
    }
}

TEST(ComponentTable, ArrayAndValueFormsAgree)
{
    // A schema class reaches its own array; the array form must match the value form.
    struct Probe : CASN1_SEQUENCE {
        BOOL viaArray(const ASN1_COMPONENT_INFO* table) const { return ___validateComponents(table, m_components); }
        int findViaArray(const ASN1_COMPONENT_INFO* table, const char* name) const
        {
            return ___findComponentByMemberName(table, m_components, name);
        }
    };
    for (const ValidationCase& c : kValidationCases) {
        auto value = decodeConstructed(c.hex);
        Probe probe;
        probe.moveFrom(value.release());
        EXPECT_EQ(c.valid, probe.viaArray(c.table) != FALSE) << c.reason;
    }
    Probe probe;
    probe.moveFrom(decodeConstructed("30 06 02 01 00 01 01 00").release());
    EXPECT_EQ(1, probe.findViaArray(kABC, "c"));
}

struct LookupCase {
    const char* reason;
    const ASN1_COMPONENT_INFO* table;
    const char* hex;
    const char* name;
    int index;
};

const LookupCase kLookupCases[] = {
    {"first member", kABC, "30 06 02 01 00 01 01 00", "a", 0},
    {"absent optional member", kABC, "30 06 02 01 00 01 01 00", "b", -1},
    {"member after an absent one", kABC, "30 06 02 01 00 01 01 00", "c", 1},
    {"every member present", kABC, "30 08 02 01 00 04 00 01 01 FF", "c", 2},
    {"names are case-sensitive", kABC, "30 06 02 01 00 01 01 00", "C", -1},
    {"unknown name", kABC, "30 06 02 01 00 01 01 00", "z", -1},
    {"empty table", kEmpty, "30 03 02 01 00", "a", -1},
    {"no components", kABC, "30 00", "a", -1},
    {"choice member", kChoiceMember, "30 06 02 01 00 04 01 41", "choice", 1},
};

TEST(ComponentTable, FindsMembersByName)
{
    for (const LookupCase& c : kLookupCases) {
        auto value = decodeConstructed(c.hex);
        ASSERT_TRUE(value) << c.reason;
        EXPECT_EQ(c.index, ___findComponentByMemberName(c.table, *value, c.name)) << c.reason;
    }
}

TEST(ComponentTable, ValidatorReceivesTheTaggingFlag)
{
    // An untagged CHOICE member is validated with implicitlyTagged 0: its
    // alternatives carry their own identifiers.
    auto value = decodeConstructed("30 06 02 01 00 04 01 41");
    resetRecorder();
    EXPECT_TRUE(___validateComponents(kChoiceMember, *value));
    EXPECT_EQ(1, g_calls);
    EXPECT_EQ(0, g_lastImplicitlyTagged);

    // An explicit member's validator sees the inner value with 0.
    value = decodeConstructed("30 05 A0 03 02 01 01");
    resetRecorder();
    EXPECT_TRUE(___validateComponents(kExplicit, *value));
    EXPECT_EQ(0, g_lastImplicitlyTagged);
    EXPECT_EQ(0x02, g_lastIdentifier);

    // Untagged and implicit rows pass identifierChecked / 1 on.
    const ASN1_COMPONENT_INFO plain(0, "p", nullptr, 0x02, 0, TM_NONE, recordingValidator, 0, 0, 0);
    const ASN1_COMPONENT_INFO implicit(0, "i", nullptr, 0x81, 2, TM_IMPLICIT, recordingValidator, 0, 0, 0);
    CASN1_INTEGER number(5);
    resetRecorder();
    EXPECT_TRUE(plain.isValid(&number, 1));
    EXPECT_EQ(1, g_lastImplicitlyTagged);
    EXPECT_TRUE(plain.isValid(&number, 0));
    EXPECT_EQ(0, g_lastImplicitlyTagged);
    CASN1_TAGGED tagged(0x81, 0);
    EXPECT_TRUE(implicit.isValid(&tagged, 0));
    EXPECT_EQ(1, g_lastImplicitlyTagged);
    resetRecorder();
    CASN1_TAGGED wrongTag(0x82, 0);
    EXPECT_FALSE(implicit.isValid(&wrongTag, 0));
    EXPECT_EQ(0, g_calls) << "the identifier is compared before the validator runs";
    EXPECT_TRUE(implicit.isValid(&wrongTag, 1)) << "identifierChecked skips the comparison";
}

TEST(ComponentTable, RowMatching)
{
    const ASN1_COMPONENT_INFO anyRow(0, "x", nullptr, 0, 0, TM_NONE, nullptr, 0, 0, 1);
    const ASN1_COMPONENT_INFO taggedAnyRow(0, "x", nullptr, 0x80, 2, TM_IMPLICIT, nullptr, 0, 0, 1);
    const ASN1_COMPONENT_INFO choiceRow(0, "x", resolveNumberOrText, 0xFF, 0, TM_NONE, nullptr, 0, 0, 0);
    CASN1_NULL null;
    CASN1_INTEGER number(1);
    CASN1_TAGGED context0(0x80, 0);
    EXPECT_TRUE(anyRow.isMember(&null));
    EXPECT_TRUE(anyRow.isValid(&null, 0));
    EXPECT_FALSE(taggedAnyRow.isMember(&null)) << "any only applies to untagged rows";
    EXPECT_TRUE(taggedAnyRow.isMember(&context0));
    EXPECT_TRUE(choiceRow.isMember(&number));
    EXPECT_FALSE(choiceRow.isMember(&null));
    EXPECT_FALSE(ASN1_END_OF_TABLE.isMember(&null));
    EXPECT_FALSE(anyRow.isMember(nullptr));
}

TEST(ComponentTable, ResolvesAlternatives)
{
    CASN1_INTEGER number(1);
    CASN1_OCTET_STRING text((const unsigned char*)"a", 1);
    CASN1_NULL null;
    EXPECT_EQ(0, ___resolveAlternative(kNumberOrText, &number));
    EXPECT_EQ(1, ___resolveAlternative(kNumberOrText, &text));
    EXPECT_EQ(-1, ___resolveAlternative(kNumberOrText, &null));
    EXPECT_EQ(-1, ___resolveAlternative(kNumberOrText, nullptr));

    EXPECT_EQ(1, ___resolveAlternative(kNumberOrText, &text, "text"));
    EXPECT_EQ(-1, ___resolveAlternative(kNumberOrText, &text, "number")) << "named row does not match";
    EXPECT_EQ(-1, ___resolveAlternative(kNumberOrText, &text, "none"));

    EXPECT_TRUE(___validateAlternative(kNumberOrText, &number, 0));
    EXPECT_FALSE(___validateAlternative(kNumberOrText, &null, 0));
    // Under an implicit tag the identifier is not the alternative's own.
    EXPECT_TRUE(___validateAlternative(kNumberOrText, &null, 1));
    EXPECT_FALSE(___validateAlternative(kEmpty, &null, 1));
}

}  // namespace

// An empty [APPLICATION 1] SEQUENCE, and a SEQUENCE holding one (outside
// the unnamed namespace: not every member the macros define is used).
namespace schema_test {
class TestApplication : public CASN1_TAGGED {
    ASN1_SCHEMA_CLASS(TestApplication, CASN1_TAGGED)
};
IMPLEMENT_ASN1_SCHEMA_CLASS(TestApplication, CASN1_TAGGED, 0x41)
const ASN1_COMPONENT_INFO TestApplication::m_compInfoList[] = {ASN1_END_OF_TABLE};
class TestHolder : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(TestHolder, CASN1_SEQUENCE)
    ASN1_MEMBER(TestApplication, app)
};
IMPLEMENT_ASN1_SCHEMA_CLASS(TestHolder, CASN1_SEQUENCE, 0x10)
const ASN1_COMPONENT_INFO TestHolder::m_compInfoList[] = {
    ASN1_COMPONENT_INFO(0, "app", nullptr, 0x41, 0, TM_NONE, nullptr, 0, 0, 0),
    ASN1_END_OF_TABLE,
};
}  // namespace schema_test

namespace {

// A primitive value whose contents reference claims more octets than its
// encoding holds, so taking its contents fails.
CASN1_TAGGED* unreadable(unsigned char identifier, CDEREncoding* tooShort)
{
    CASN1_TAGGED* tagged = new CASN1_TAGGED(identifier, FALSE);
    tagged->setReference(tooShort, 0, 5);
    tagged->setConstructed(FALSE);
    return tagged;
}

TEST(SchemaAccessors, FailedConversionKeepsTheGenericMemberAndLeaksNothing)
{
    EncodingOf tooShort(hexBytes("01 02"));
    CASN1_TAGGED* generic = unreadable(0x41, tooShort.encoding);
    schema_test::TestHolder holder;
    holder.AddObject(generic);
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(decodingFailure([&] { holder.get_app(); }), "Unexpected end of file");
        EXPECT_EQ(holder.getComponentAt(0), generic) << "the member stays in place";
        EXPECT_EQ(generic->getReferenceLength(), 5u);
    }
}

TEST(SchemaAccessors, MoveAndExplicitTaggingConsumeASourceThatCannotBeRead)
{
    EncodingOf tooShort(hexBytes("01"));
    CASN1_INTEGER target;
    EXPECT_FALSE(target.moveFrom(unreadable(0x02, tooShort.encoding)));
    CASN1_TAGGED wrapper(0xA0, FALSE);
    wrapper.AddObject(unreadable(0x02, tooShort.encoding));
    EXPECT_FALSE(target.fromExplicit(wrapper));  // from a clone
    wrapper.OnOffClearAfterGet(TRUE);
    EXPECT_FALSE(target.fromExplicit(wrapper));  // from the component itself
}

}  // namespace
