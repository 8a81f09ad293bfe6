// The headless combo box answering its CB_ messages.
#include <gtest/gtest.h>

#include "platform/afx.h"

TEST(ComboBox, MessagesAndWrappers)
{
    CComboBox box;
    EXPECT_EQ(0, box.AddString("alpha"));
    EXPECT_EQ(1, box.SendMessage(CB_ADDSTRING, 0, reinterpret_cast<intptr_t>("beta")));
    EXPECT_EQ(0, box.InsertString(0, "zero"));
    EXPECT_EQ(3, box.SendMessage(CB_GETCOUNT));
    EXPECT_EQ(CB_ERR, box.InsertString(7, "far"));

    EXPECT_EQ(CB_OKAY, box.SetItemData(2, 42));
    EXPECT_EQ(42, box.SendMessage(CB_GETITEMDATA, 2));
    EXPECT_EQ(CB_ERR, box.SetItemData(3, 1));

    EXPECT_EQ(1, box.SetCurSel(1));
    EXPECT_EQ(1, box.SendMessage(CB_GETCURSEL));
    box.InsertString(0, "first");  // the selection follows its item
    EXPECT_EQ(2, box.GetCurSel());
    EXPECT_EQ(CB_ERR, box.SetCurSel(9));  // a bad index clears the selection
    EXPECT_EQ(CB_ERR, box.GetCurSel());

    char buffer[16];
    EXPECT_EQ(4, box.SendMessage(CB_GETLBTEXTLEN, 3));
    EXPECT_EQ(4, box.SendMessage(CB_GETLBTEXT, 3, reinterpret_cast<intptr_t>(buffer)));
    EXPECT_STREQ("beta", buffer);
    EXPECT_EQ(CB_ERR, box.SendMessage(CB_GETLBTEXT, 4, reinterpret_cast<intptr_t>(buffer)));

    EXPECT_EQ(3, box.FindStringExact(-1, "BETA"));
    EXPECT_EQ(CB_ERR, box.FindStringExact(-1, "bet"));

    box.SetCurSel(3);
    EXPECT_EQ(3, box.DeleteString(3));
    EXPECT_EQ(CB_ERR, box.GetCurSel());
    EXPECT_EQ(CB_ERR, box.SendMessage(0x9999));
    box.ResetContent();
    EXPECT_EQ(0, box.GetCount());
}

TEST(ComboBox, Capacity)
{
    CComboBox box(1);
    EXPECT_EQ(0, box.AddString("one"));
    EXPECT_EQ(CB_ERRSPACE, box.AddString("two"));
    EXPECT_EQ(1, box.GetCount());
}
