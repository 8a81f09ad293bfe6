#include "vaultcore/pki/pkcs7_structure.h"

#include <memory>

BOOL ___pkcs7VersionIs(const CASN1Type* structure, unsigned long expected, const char* unreadable)
{
    const auto* constructed = dynamic_cast<const CASN1_CONSTRUCTED_TYPE*>(structure);
    if (!constructed || constructed->getComponentCount() < 1)
        return FALSE;
    const auto* version = dynamic_cast<const CASN1_INTEGER*>(constructed->getComponentAt(0));
    unsigned long value = 0;
    try {
        if (!version || !version->GetInteger(value))
            ___throwDERDecodingException("%s", unreadable);
    } catch (CDERDecodingException* e) {
        e->Delete();
        return FALSE;
    }
    return value == expected;
}

BOOL ___pkcs7ComponentCarries(const CASN1TypeArray& components, int index, unsigned char identifier)
{
    return index >= 0 && index < components.GetSize() && components.GetAt(index)->getIdentifier() == identifier;
}

void ___pkcs7FromImplicit(const CASN1TypeArray& components, int index, CASN1Type& target, BOOL take,
                          const char* className, const char* member)
{
    CASN1_TAGGED* tagged =
        index >= 0 && index < components.GetSize() ? dynamic_cast<CASN1_TAGGED*>(components.GetAt(index)) : nullptr;
    if (!tagged)
        ___throwMemberNotAvailable(className, member);
    target.clear();
    if (take)
        tagged->OnOffClearAfterGet(TRUE);
    const BOOL filled = target.fromImplicit(*tagged);
    if (take) {
        // The flag passed on to what moved; neither side keeps it.
        tagged->OnOffClearAfterGet(FALSE);
        target.OnOffClearAfterGet(FALSE);
    }
    if (!filled)
        ___throwMemberNotAvailable(className, member);
}

CASN1_TAGGED* ___pkcs7ImplicitSet(CASN1_SET& set, unsigned char identifier)
{
    std::unique_ptr<CASN1_TAGGED> tagged(new CASN1_TAGGED(identifier, FALSE));
    set.buildImplicitTAGGED(*tagged);
    return tagged.release();
}

void ___pkcs7PutComponent(CASN1TypeArray& components, int index, BOOL replace, CASN1_TAGGED* tagged)
{
    if (replace) {
        delete components.GetAt(index);
        components.SetAt(index, tagged);
    } else {
        components.InsertAt(index, tagged);
    }
}
