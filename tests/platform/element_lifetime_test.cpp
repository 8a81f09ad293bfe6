// Arrays with element hooks: every element is made once and ended once,
// exactly when it enters or leaves the array; an array of pointers whose
// hook deletes them owns its pointees (run under ASan: a pointee freed
// twice, used after its end or never freed shows there). And indexes outside
// a string or an array are refused with CInvalidArgException.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/afx.h"
#include "support/der_helpers.h"

namespace {

// An element with an id; its hooks (specialisations of the templates) record
// how many were made and which ids were ended, in order.
struct Tracked {
    int id;
};
int g_made = 0;
std::vector<int> g_ended;

}  // namespace

template <>
void ConstructElements<Tracked>(Tracked* elements, int count)
{
    for (int i = 0; i < count; ++i)
        elements[i].id = 0;
    g_made += count;
}

template <>
void DestructElements<Tracked>(Tracked* elements, int count)
{
    for (int i = 0; i < count; ++i)
        g_ended.push_back(elements[i].id);
}

template <>
void SerializeElements<Tracked>(CArchive&, Tracked*, int)
{
}

namespace {

using TrackedArray = CArray<Tracked, const Tracked&>;

TrackedArray trackedOf(std::initializer_list<int> ids)
{
    TrackedArray a;
    for (int id : ids)
        a.Add(Tracked{id});
    return a;
}

std::vector<int> idsOf(const TrackedArray& a)
{
    std::vector<int> ids;
    for (int i = 0; i < a.GetSize(); ++i)
        ids.push_back(a[i].id);
    return ids;
}

TEST(ElementHooks, EachOperationMakesAndEndsExactlyItsElements)
{
    TrackedArray a;
    const TrackedArray other = trackedOf({7, 8});
    struct Case {
        const char* operation;
        std::function<void()> run;
        std::vector<int> after, ended;
        int made;
    } cases[] = {
        {"RemoveAt inside", [&] { a.RemoveAt(1, 2); }, {1, 4, 5}, {2, 3}, 0},
        {"RemoveAt to the end", [&] { a.RemoveAt(3, 2); }, {1, 2, 3}, {4, 5}, 0},
        {"InsertAt inside", [&] { a.InsertAt(1, Tracked{9}, 2); }, {1, 9, 9, 2, 3, 4, 5}, {}, 2},
        {"InsertAt past the end", [&] { a.InsertAt(6, Tracked{9}); }, {1, 2, 3, 4, 5, 0, 9}, {}, 2},
        {"InsertAt an array", [&] { a.InsertAt(2, &other); }, {1, 2, 7, 8, 3, 4, 5}, {}, 2},
        {"SetSize smaller", [&] { a.SetSize(2); }, {1, 2}, {3, 4, 5}, 0},
        {"SetSize larger", [&] { a.SetSize(7); }, {1, 2, 3, 4, 5, 0, 0}, {}, 2},
        {"Copy", [&] { a.Copy(other); }, {7, 8}, {1, 2, 3, 4, 5}, 2},
        {"SetAtGrow beyond", [&] { a.SetAtGrow(6, Tracked{9}); }, {1, 2, 3, 4, 5, 0, 9}, {}, 2},
        {"Append", [&] { a.Append(other); }, {1, 2, 3, 4, 5, 7, 8}, {}, 2},
        {"RemoveAll", [&] { a.RemoveAll(); }, {}, {1, 2, 3, 4, 5}, 0},
    };
    for (const Case& c : cases) {
        a = trackedOf({1, 2, 3, 4, 5});
        g_made = 0;
        g_ended.clear();
        c.run();
        EXPECT_EQ(idsOf(a), c.after) << c.operation;
        EXPECT_EQ(g_ended, c.ended) << c.operation;
        EXPECT_EQ(g_made, c.made) << c.operation;
    }
}

// Pointees of an owning array: counted, deleted by the array's hook and
// copied by its copy hook (plain overloads of the hooks).
struct Owned {
    explicit Owned(int v) : value(v) { ++live; }
    ~Owned() { --live; }
    int value;
    static int live;
};
int Owned::live = 0;

void DestructElements(Owned** elements, int count)
{
    for (int i = 0; i < count; ++i)
        delete elements[i];
}

void CopyElements(Owned** dest, Owned* const* src, int count)
{
    for (int i = 0; i < count; ++i)
        dest[i] = src[i] ? new Owned(src[i]->value) : nullptr;
}

using OwningArray = CArray<Owned*, Owned*>;

std::vector<int> valuesOf(const OwningArray& a)
{
    std::vector<int> values;
    for (int i = 0; i < a.GetSize(); ++i)
        values.push_back(a[i] ? a[i]->value : -1);
    return values;
}

TEST(ElementHooks, AnOwningPointerArrayFreesEachPointeeOnce)
{
    {
        OwningArray a;
        for (int v = 0; v < 5; ++v)
            a.Add(new Owned(v));
        a.RemoveAt(1);
        EXPECT_EQ(valuesOf(a), (std::vector<int>{0, 2, 3, 4}));
        EXPECT_EQ(Owned::live, 4);

        a.InsertAt(1, new Owned(9));
        a.InsertAt(6, new Owned(6));
        EXPECT_EQ(valuesOf(a), (std::vector<int>{0, 9, 2, 3, 4, -1, 6}));
        a.SetSize(3);
        EXPECT_EQ(Owned::live, 3);

        OwningArray copy(a);
        copy.Append(copy);
        copy.InsertAt(1, &copy);
        EXPECT_EQ(valuesOf(copy), (std::vector<int>{0, 0, 9, 2, 0, 9, 2, 9, 2, 0, 9, 2}));
        EXPECT_EQ(Owned::live, 3 + 12);
        copy = a;
        copy.SetAtGrow(4, new Owned(4));
        EXPECT_EQ(valuesOf(copy), (std::vector<int>{0, 9, 2, -1, 4}));
        EXPECT_EQ(Owned::live, 3 + 4);
        copy.RemoveAt(0, 5);
        EXPECT_EQ(Owned::live, 3);
    }
    EXPECT_EQ(Owned::live, 0);
}

TEST(IndexErrors, OutsideTheElementsIsRefusedAndChangesNothing)
{
    CStringArray strings;
    strings.Add("a");
    strings.Add("b");
    CByteArray bytes;
    bytes.SetSize(2);
    CString text("ab");
    struct Case {
        const char* call;
        std::function<void()> run;
    } cases[] = {
        {"GetAt(-1)", [&] { strings.GetAt(-1); }},
        {"GetAt(size)", [&] { strings.GetAt(2); }},
        {"operator[] const", [&] { (void)((const CStringArray&)strings)[2]; }},
        {"SetAt", [&] { bytes.SetAt(-1, 1); }},
        {"ElementAt", [&] { strings.ElementAt(5) = "x"; }},
        {"SetAtGrow(-1)", [&] { bytes.SetAtGrow(-1, 0xEE); }},
        {"InsertAt(-1)", [&] { strings.InsertAt(-1, "x"); }},
        {"RemoveAt past the end", [&] { strings.RemoveAt(1, 2); }},
        {"SetSize(-1)", [&] { bytes.SetSize(-1); }},
        {"CString::GetAt", [&] { text.GetAt(2); }},
        {"CString::SetAt", [&] { text.SetAt(7, 'x'); }},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(throwsAndDeletes<CInvalidArgException>(c.run)) << c.call;
    EXPECT_EQ(strings.GetSize(), 2);
    EXPECT_EQ(strings[1], "b");
    EXPECT_EQ(bytes.GetSize(), 2);
    EXPECT_EQ(text, "ab");
}

}  // namespace
