#pragma once
// Component tables: a structured ASN.1 type (a SEQUENCE with named members,
// a SEQUENCE OF or SET OF, a CHOICE, or one of these under an application
// tag) is a thin class over the generic value plus a static table of
// ASN1_COMPONENT_INFO rows describing its members in order. Decoding stays
// generic; the table validates the decoded tree, finds members by name and
// resolves CHOICE alternatives.
//
// Threads: tables are constant data, complete before any call, and every
// function here only reads them, so they may be used from any number of
// threads at once. The values the functions are given belong to the
// calling thread (asn1_type.h).
#include <memory>
#include <type_traits>

#include "vaultcore/asn1/asn1_type.h"

// How a member is tagged.
enum enumTAGGING_METHOD {
    TM_NONE = 0,      // untagged: the identifier is the type's own
    TM_IMPLICIT = 1,  // the member's identifier replaces the type's (a CASN1_TAGGED)
    TM_EXPLICIT = 2,  // a constructed CASN1_TAGGED holding exactly the typed value
};

// One row of a component table. A table is an array of rows ending with a
// terminator row (ASN1_END_OF_TABLE).
struct VAULTCORE_API ASN1_COMPONENT_INFO {
    typedef int (*Resolver)(const CASN1Type*);
    typedef int (*Validator)(const CASN1Type*, int);

    constexpr ASN1_COMPONENT_INFO(int terminator, const char* name, Resolver resolver, unsigned char tag,
                                  unsigned char tagClass, enumTAGGING_METHOD tagging, Validator validator,
                                  int optional, int repeated, int any)
        : m_terminator(terminator), m_name(name), m_resolver(resolver), m_tag(tag), m_class(tagClass),
          m_tagging(tagging), m_validator(validator), m_optional(optional), m_repeated(repeated), m_any(any)
    {
    }

    // Non-zero only in the row that ends the table.
    int m_terminator;
    // The member's name as written in the ASN.1 module; element rows of a
    // SEQUENCE OF / SET OF carry "\"\"".
    const char* m_name;
    // For an untagged CHOICE member: the CHOICE's resolveAlternative.
    Resolver m_resolver;
    // Identifier octet without the constructed bit (class bits may be
    // included already); 0xFF for an untagged CHOICE member.
    unsigned char m_tag;
    // Tag class 0..3, OR-ed in at bits 8-7.
    unsigned char m_class;
    enumTAGGING_METHOD m_tagging;
    // The member class's static isValid, or null when the identifier alone is checked.
    Validator m_validator;
    int m_optional;   // may be absent (also members with a DEFAULT)
    int m_repeated;   // zero or more consecutive components (element rows)
    int m_any;        // an untagged row that matches any value

    // The identifier a value in this row's place carries.
    constexpr unsigned char identifier() const { return (unsigned char)(m_tag | (m_class << 6)); }
    bool isTerminator() const { return m_terminator != 0; }
    bool mayBeSkipped() const { return m_optional || m_repeated; }

    // Could value stand in this row's place.
    BOOL isMember(const CASN1Type* value) const;
    // Is value a valid instance of this row's member; with identifierChecked
    // set the caller has matched the identifier already.
    BOOL isValid(const CASN1Type* value, int identifierChecked) const;
};

// The row that ends every table.
#define ASN1_END_OF_TABLE ASN1_COMPONENT_INFO(1, "", nullptr, 0, 0, TM_NONE, nullptr, 0, 0, 0)
// The name carried by element rows of a SEQUENCE OF or SET OF.
#define ASN1_ELEMENT_NAME "\"\""

// Does the component list satisfy the table (rows and components walked in
// order, without backtracking).
VAULTCORE_API BOOL ___validateComponents(const ASN1_COMPONENT_INFO* table, const CASN1TypeArray& components);
// The same over the components of a constructed value.
VAULTCORE_API BOOL ___validateComponents(const ASN1_COMPONENT_INFO* table, const CASN1_CONSTRUCTED_TYPE& value);
// Index of the component standing for the member called name (exact,
// case-sensitive), or -1 when it is absent.
VAULTCORE_API int ___findComponentByMemberName(const ASN1_COMPONENT_INFO* table, const CASN1TypeArray& components,
                                               const char* name);
VAULTCORE_API int ___findComponentByMemberName(const ASN1_COMPONENT_INFO* table,
                                               const CASN1_CONSTRUCTED_TYPE& value, const char* name);
// Index of the first alternative the value could stand for, or -1.
VAULTCORE_API int ___resolveAlternative(const ASN1_COMPONENT_INFO* alternatives, const CASN1Type* value);
// Index of the alternative called name when the value could stand for it, else -1.
VAULTCORE_API int ___resolveAlternative(const ASN1_COMPONENT_INFO* alternatives, const CASN1Type* value,
                                        const char* name);
// Is the value a valid instance of one of the alternatives (with
// implicitlyTagged set, the alternatives' identifiers are not compared).
VAULTCORE_API BOOL ___validateAlternative(const ASN1_COMPONENT_INFO* alternatives, const CASN1Type* value,
                                          int implicitlyTagged);

// Validation shared by the member-list classes: FALSE unless the value is a
// constructed value in constructed form whose identifier is tagAndClass (not
// compared when implicitlyTagged is set); then ___validateComponents.
VAULTCORE_API BOOL ___validateSchemaValue(const ASN1_COMPONENT_INFO* table, unsigned char tagAndClass,
                                          const CASN1Type* value, int implicitlyTagged);

// Throws the decoding exception with "<className>::(CDEREncoding& der) - der not valid".
[[noreturn]] VAULTCORE_API void ___throwDerNotValid(const char* className);
// Throws the decoding exception for an accessor of an absent member or a
// component of an unexpected class.
[[noreturn]] VAULTCORE_API void ___throwMemberNotAvailable(const char* className, const char* member);

// ---------------------------------------------------------------------------
// Typed access to components.
//
// The generic decoder builds a component as CASN1_SEQUENCE, CASN1_SET or
// CASN1_TAGGED; the accessors hand it out as the member's schema class. The
// first access converts the component in place into an object of that class
// (identifier, form flags and contents moved over, nothing copied), so the
// reference returned is always a real object of the declared class. The
// encoding of the tree does not change, which is why the const accessors may
// do it too; a pointer to the generic component taken before the first
// access (getComponentAt) no longer refers to the tree afterwards.

template <class T, class = void>
struct vc_is_schema_class : std::false_type {};
template <class T>
struct vc_is_schema_class<T, std::void_t<typename T::SchemaGenericBase>> : std::true_type {};

// Moves the generic component into a new object of the schema class T and
// puts it in its slot. FALSE (nothing changed) when the component is not of
// T's generic base class. When moving the contents fails (referenced octets
// missing from their encoding), the exception passes on and the generic
// component stays in its slot as it was.
template <class T>
T* ___convertComponent(CASN1TypeArray& components, int index)
{
    CASN1Type* generic = components.GetAt(index);
    if (!dynamic_cast<typename T::SchemaGenericBase*>(generic))
        return nullptr;
    std::unique_ptr<T> typed(new T);
    typed->CASN1Type::operator=(*generic);  // identifier, form and behaviour flags
    static_cast<CASN1_PRIMITIVE_TYPE*>(typed.get())->takeContentsFrom(*generic);
    components.SetAt(index, typed.get());
    delete generic;
    return typed.release();
}

// The component at index as class T (converting a generic component of a
// schema class in place). Throws the decoding exception when the index is
// -1 (the member is absent) or the component is of another class.
template <class T>
T& ___componentAs(CASN1TypeArray& components, int index, const char* className, const char* member)
{
    if (index < 0 || index >= components.GetSize())
        ___throwMemberNotAvailable(className, member);
    if (T* typed = dynamic_cast<T*>(components.GetAt(index)))
        return *typed;
    if constexpr (vc_is_schema_class<T>::value) {
        if (T* converted = ___convertComponent<T>(components, index))
            return *converted;
    }
    ___throwMemberNotAvailable(className, member);
}

// ---------------------------------------------------------------------------
// The form of a schema-driven class.
//
// ASN1_SCHEMA_CLASS(X, Base) inside the class body declares what every
// member-list class has: constructors (default, from an encoding, copy),
// assignment, clone, cloneAndDie, the static isValid, its own identifier
// m_tagAndClass and its table m_compInfoList. Base is CASN1_SEQUENCE,
// CASN1_SET or CASN1_TAGGED. IMPLEMENT_ASN1_SCHEMA_CLASS(X, Base, tagAndClass)
// defines them in the class's source file.
#define ASN1_SCHEMA_CLASS(X, Base)                                                   \
public:                                                                              \
    typedef Base SchemaGenericBase;                                                  \
    X();                                                                             \
    explicit X(CDEREncoding& der);                                                   \
    X(const X& other);                                                               \
    X& operator=(const X& other);                                                    \
    CASN1Type* clone() const override;                                               \
    CASN1Type* cloneAndDie() override;                                               \
    static BOOL isValid(const CASN1Type* value, int implicitlyTagged);               \
    static const unsigned char m_tagAndClass;                                        \
    static const ASN1_COMPONENT_INFO m_compInfoList[];                               \
                                                                                     \
protected:                                                                           \
    int memberIndex(const char* name) const                                          \
    {                                                                                \
        return ___findComponentByMemberName(m_compInfoList, m_components, name);     \
    }                                                                                \
    template <class T>                                                               \
    T& member(const char* name) const                                                \
    {                                                                                \
        X* self = const_cast<X*>(this);                                              \
        return ___componentAs<T>(self->m_components, memberIndex(name), #X, name);   \
    }                                                                                \
    template <class T>                                                               \
    T& element(int index) const                                                      \
    {                                                                                \
        X* self = const_cast<X*>(this);                                              \
        return ___componentAs<T>(self->m_components, index, #X, ASN1_ELEMENT_NAME); \
    }                                                                                \
                                                                                     \
public:

#define IMPLEMENT_ASN1_SCHEMA_CLASS(X, Base, tagAndClass)                            \
    IMPLEMENT_ASN1_SCHEMA_MEMBERS(X, Base, tagAndClass, ___throwDerNotValid(#X))     \
    BOOL X::isValid(const CASN1Type* value, int implicitlyTagged)                    \
    {                                                                                \
        return ___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged); \
    }

// Everything IMPLEMENT_ASN1_SCHEMA_CLASS defines except isValid, for a class
// whose validity needs rules its table cannot state: the class defines
// isValid itself. refuse is the statement (a throw) the constructor from an
// encoding runs, after clearing, when the decoded value is not valid.
#define IMPLEMENT_ASN1_SCHEMA_MEMBERS(X, Base, tagAndClass, refuse)                  \
    const unsigned char X::m_tagAndClass = tagAndClass;                              \
    X::X()                                                                           \
    {                                                                                \
        m_identifier = m_tagAndClass;                                                \
        m_bConstructed = TRUE;                                                       \
    }                                                                                \
    X::X(CDEREncoding& der) : X()                                                    \
    {                                                                                \
        decodeFrom(der);                                                             \
        if (!isValid(this, 0)) {                                                     \
            clear();                                                                 \
            refuse;                                                                  \
        }                                                                            \
    }                                                                                \
    X::X(const X& other) : Base(other) {}                                            \
    X& X::operator=(const X& other)                                                  \
    {                                                                                \
        Base::operator=(other);                                                      \
        return *this;                                                                \
    }                                                                                \
    CASN1Type* X::clone() const { return new X(*this); }                             \
    CASN1Type* X::cloneAndDie()                                                      \
    {                                                                                \
        X* moved = new X;                                                            \
        moved->CASN1Type::operator=(*this);                                          \
        moved->takeContentsFrom(*this);                                              \
        return moved;                                                                \
    }

// Accessors of one member, inside the class body: get_<member>() const and
// non-const returning the member's class; is_<member>() for optional ones.
#define ASN1_MEMBER(Type, name)                                        \
    Type& get_##name() { return member<Type>(#name); }                 \
    const Type& get_##name() const { return member<Type>(#name); }

#define ASN1_OPTIONAL_MEMBER(Type, name)                               \
    ASN1_MEMBER(Type, name)                                            \
    BOOL is_##name() const { return memberIndex(#name) != -1; }

// getComponent(i) of a SEQUENCE OF / SET OF class.
#define ASN1_ELEMENTS(Type)                                            \
    Type& getComponent(int index) { return element<Type>(index); }     \
    const Type& getComponent(int index) const { return element<Type>(index); }

// ---------------------------------------------------------------------------
// CHOICE classes.
//
// A CHOICE has no contents of its own: it is a view on whatever value
// stands in the member's place and reads only its identifier. Its accessor
// returns the view by value; value() is the component itself.
class VAULTCORE_API CASN1ChoiceView {
public:
    explicit CASN1ChoiceView(const CASN1Type* value) : m_value(const_cast<CASN1Type*>(value)) {}
    // The value standing in the CHOICE's place.
    CASN1Type& value() { return *m_value; }
    const CASN1Type& value() const { return *m_value; }
    unsigned char getIdentifier() const { return m_value->getIdentifier(); }

protected:
    CASN1Type* m_value;
};

// Inside a CHOICE class body: the view constructor, static m_alternativesList,
// resolveAlternative, isValid, and resolve() (index of the alternative of
// this value, -1 for none) and alternativeName() (its name, or "" for none).
#define ASN1_CHOICE_CLASS(X)                                                            \
public:                                                                                 \
    explicit X(const CASN1Type& value) : CASN1ChoiceView(&value) {}                     \
    static const ASN1_COMPONENT_INFO m_alternativesList[];                              \
    static int resolveAlternative(const CASN1Type* value)                               \
    {                                                                                   \
        return ___resolveAlternative(m_alternativesList, value);                        \
    }                                                                                   \
    static BOOL isValid(const CASN1Type* value, int implicitlyTagged)                   \
    {                                                                                   \
        return ___validateAlternative(m_alternativesList, value, implicitlyTagged);     \
    }                                                                                   \
    int resolve() const { return resolveAlternative(m_value); }                         \
    const char* alternativeName() const                                                 \
    {                                                                                   \
        int index = resolve();                                                          \
        return index < 0 ? "" : m_alternativesList[index].m_name;                       \
    }                                                                                   \
                                                                                        \
protected:                                                                              \
    BOOL isAlternative(const char* name) const                                          \
    {                                                                                   \
        return ___resolveAlternative(m_alternativesList, m_value, name) != -1;          \
    }                                                                                   \
                                                                                        \
public:

#define ASN1_ALTERNATIVE(name) \
    BOOL is_##name() const { return isAlternative(#name); }

// Accessor of an untagged CHOICE member: the CHOICE view over the component.
#define ASN1_CHOICE_MEMBER(Choice, name)                                                \
    Choice get_##name() { return Choice(member<CASN1Type>(#name)); }                    \
    const Choice get_##name() const { return Choice(member<CASN1Type>(#name)); }

// getComponent(i) of a SEQUENCE OF / SET OF whose elements are a CHOICE.
#define ASN1_CHOICE_ELEMENTS(Choice)                                                    \
    Choice getComponent(int index) { return Choice(element<CASN1Type>(index)); }        \
    const Choice getComponent(int index) const { return Choice(element<CASN1Type>(index)); }
