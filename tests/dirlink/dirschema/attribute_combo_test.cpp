// Filling a combo box with the attribute types.
#include <gtest/gtest.h>

#include "dirlink/dirlink.h"

TEST(AttributeCombo, FillsAliasesOrNamesWithRowData)
{
    CComboBox box;
    box.AddString("stale");
    FillComboWithAttributes(box, ATTR_FILTER_BINARY, "2.5.4.37");
    ASSERT_EQ(10, box.GetCount());
    CString text;
    box.GetLBText(0, text);
    EXPECT_STREQ("User certificate", text);  // the alias
    EXPECT_EQ(36u, box.GetItemData(0));
    box.GetLBText(1, text);
    EXPECT_STREQ("cACertificate", text);  // no alias: the name
    EXPECT_EQ(37u, box.GetItemData(1));
    EXPECT_EQ(1, box.GetCurSel());  // selected by OID
}

TEST(AttributeCombo, Selection)
{
    struct Case {
        const char* select;
        int row;  // -1: nothing selected
    } cases[] = {
        {"COMMONNAME", -1}, {"CN", 3}, {"2.5.4.3", 3}, {"Common name", 3}, {"common name", -1}, {nullptr, -1},
    };
    for (const Case& c : cases) {
        CComboBox box;
        FillComboWithAttributes(box, ATTR_FILTER_ALL, c.select);
        EXPECT_EQ(257, box.GetCount());
        int sel = box.GetCurSel();
        if (c.row < 0) {
            EXPECT_EQ(CB_ERR, sel) << (c.select ? c.select : "(null)");
        } else {
            EXPECT_EQ((uintptr_t)c.row, box.GetItemData(sel)) << c.select;
        }
    }
}

TEST(AttributeCombo, StopsWhenTheBoxIsFull)
{
    CComboBox box(5);
    FillComboWithAttributes(box, ATTR_FILTER_ALL, "jpegPhoto");
    EXPECT_EQ(5, box.GetCount());
    EXPECT_EQ(4u, box.GetItemData(4));
    EXPECT_EQ(CB_ERR, box.GetCurSel());
}
