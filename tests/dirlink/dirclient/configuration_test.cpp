// The directory manager's settings: their stored bytes, loading hostile or
// cut-off configurations, and the option setter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dirlink/dirlink.h"

namespace {
using Bytes = std::vector<unsigned char>;

Bytes stored(const CLdapDirSettings& settings)
{
    CMemFile file;
    CString message;
    EXPECT_EQ(0, settings.SaveConfiguration(&file, message));
    EXPECT_TRUE(message.IsEmpty());
    Bytes out(file.GetLength());
    file.SeekToBegin();
    file.Read(out.data(), (UINT)out.size());
    return out;
}

WORD load(CLdapDirSettings& settings, const Bytes& bytes, CString& message, unsigned long* position = nullptr)
{
    CMemFile file;
    file.Write(bytes.data(), (UINT)bytes.size());
    file.SeekToBegin();
    WORD code = settings.LoadConfiguration(&file, FALSE, message);
    if (position)
        *position = file.GetPosition();
    return code;
}

Bytes text(const std::string& s)
{
    Bytes out{(unsigned char)s.size()};
    out.insert(out.end(), s.begin(), s.end());
    return out;
}

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

CLdapDirSettings sample(BOOL remember)
{
    CLdapDirSettings settings;
    settings.m_server = "ldap.example.com";
    settings.m_port = 636;
    settings.m_nameForm = 1;
    settings.m_userName = "cn=P.Varek, c=BY";
    settings.m_password = "s3cret";
    settings.m_rememberPassword = remember;
    return settings;
}
}  // namespace

TEST(LdapDirSettings, DefaultsNameOnlyTheLocalMachine)
{
    CLdapDirSettings settings = sample(TRUE);
    settings.SetDefaults();
    EXPECT_EQ(CString("localhost"), settings.m_server);
    EXPECT_EQ(389u, settings.m_port);
    EXPECT_EQ(0, settings.m_nameForm);
    EXPECT_TRUE(settings.m_userName.IsEmpty());
    EXPECT_TRUE(settings.m_password.IsEmpty());
    EXPECT_FALSE(settings.m_rememberPassword);
}

TEST(LdapDirSettings, StoredBytes)
{
    const Bytes tail = {0x7C, 0x02, 0x00, 0x00};  // port 636
    const Bytes head = concat({{0x00}, text("ldap.example.com"), {0x01}, text("cn=P.Varek, c=BY")});
    // The password is written only when it is to be remembered, in clear.
    EXPECT_EQ(concat({head, text("s3cret"), tail}), stored(sample(TRUE)));
    EXPECT_EQ(concat({head, text(""), tail}), stored(sample(FALSE)));
    EXPECT_EQ(concat({{0x00}, text("localhost"), {0x00}, text(""), text(""), {0x85, 0x01, 0x00, 0x00}}),
              stored(CLdapDirSettings()));
}

TEST(LdapDirSettings, LoadSetsRememberPasswordFromThePassword)
{
    for (BOOL remember : {TRUE, FALSE}) {
        SCOPED_TRACE(remember);
        CLdapDirSettings loaded;
        CString message = "old";
        ASSERT_EQ(0, load(loaded, stored(sample(remember)), message));
        EXPECT_TRUE(message.IsEmpty());
        EXPECT_EQ(CString("ldap.example.com"), loaded.m_server);
        EXPECT_EQ(636u, loaded.m_port);
        EXPECT_EQ(1, loaded.m_nameForm);
        EXPECT_EQ(CString("cn=P.Varek, c=BY"), loaded.m_userName);
        EXPECT_EQ(remember ? CString("s3cret") : CString(), loaded.m_password);
        EXPECT_EQ(remember, loaded.m_rememberPassword);
    }
}

TEST(LdapDirSettings, LongTextsAndLargePortsSurvive)
{
    CLdapDirSettings settings = sample(TRUE);
    settings.m_server = CString('h', 300);      // longer than a one-byte length
    settings.m_password = CString('p', 70000);  // longer than a word length
    settings.m_port = 0xFFFFFFFF;
    CLdapDirSettings loaded;
    CString message;
    ASSERT_EQ(0, load(loaded, stored(settings), message));
    EXPECT_EQ(settings.m_server, loaded.m_server);
    EXPECT_EQ(settings.m_password, loaded.m_password);
    EXPECT_EQ(0xFFFFFFFFu, loaded.m_port);
}

TEST(LdapDirSettings, LoadLeavesTheFileRightAfterTheConfiguration)
{
    // Hosts keep more data after the configuration in the same stream.
    Bytes bytes = stored(sample(TRUE));
    const unsigned long length = bytes.size();
    bytes.insert(bytes.end(), 5000, 0xAB);
    CLdapDirSettings loaded;
    CString message;
    unsigned long position = 0;
    ASSERT_EQ(0, load(loaded, bytes, message, &position));
    EXPECT_EQ(length, position);
}

TEST(LdapDirSettings, FailedLoads)
{
    const Bytes good = stored(sample(TRUE));
    struct Case {
        const char* reason;
        Bytes bytes;
    };
    std::vector<Case> cases = {
        {"version 1", concat({{0x01}, Bytes(good.begin() + 1, good.end())})},
        {"empty stream", {}},
        {"text length beyond the data", {0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x10, 0x00, 'a'}},
        {"text length above 2 GiB", {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (size_t cut = 1; cut < good.size(); ++cut)
        cases.push_back({"cut short", Bytes(good.begin(), good.begin() + (long)cut)});
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.reason) + ", " + std::to_string(c.bytes.size()) + " bytes");
        CLdapDirSettings loaded = sample(FALSE);
        loaded.m_port = 1;
        CString message;
        EXPECT_EQ(1, load(loaded, c.bytes, message));
        EXPECT_EQ(CString("Failed to load configurations."), message);
        EXPECT_TRUE(loaded.m_server.IsEmpty());
        EXPECT_EQ(389u, loaded.m_port);
    }
}

TEST(LdapDirSettings, FieldsReadBeforeAFailureKeepTheirNewValues)
{
    Bytes bytes = concat({{0x00}, text("new.example.com"), {0x01}, text("cn=New"), {0x03, 'p'}});
    CLdapDirSettings loaded;
    CString message;
    ASSERT_EQ(1, load(loaded, bytes, message));
    EXPECT_EQ(1, loaded.m_nameForm);
    EXPECT_EQ(CString("cn=New"), loaded.m_userName);
    EXPECT_TRUE(loaded.m_server.IsEmpty());
}

TEST(LdapDirSettings, RefusedWhileConnectedOrWithoutAFile)
{
    CLdapDirSettings settings = sample(TRUE);
    CMemFile file;
    CString message;
    EXPECT_EQ(1, settings.LoadConfiguration(&file, TRUE, message));
    EXPECT_EQ(CString("Cannot load configurations when connected."), message);
    EXPECT_EQ(CString("ldap.example.com"), settings.m_server);

    EXPECT_EQ(1, settings.LoadConfiguration(nullptr, FALSE, message));
    EXPECT_EQ(CString("Failed to load configurations."), message);
    EXPECT_EQ(1, settings.SaveConfiguration(nullptr, message));
    EXPECT_EQ(CString("Failed to save configuration."), message);
}

TEST(LdapDirSettings, SaveIntoAFullFileFails)
{
    BYTE buffer[8];
    CMemFile full(buffer, sizeof buffer);  // cannot grow
    CString message;
    EXPECT_EQ(1, sample(TRUE).SaveConfiguration(&full, message));
    EXPECT_EQ(CString("Failed to save configuration."), message);
}

TEST(LdapDirSettings, Options)
{
    CLdapDirSettings settings;
    CString message = "old";
    const DWORD port = 3890, remember = 1;
    const BYTE nameForm = 1;
    EXPECT_EQ(0, settings.SetOption(LDAP_DIR_OPTION_PORT, &port, FALSE, message));
    EXPECT_EQ(0, settings.SetOption(LDAP_DIR_OPTION_NAME_FORM, &nameForm, FALSE, message));
    EXPECT_EQ(0, settings.SetOption(LDAP_DIR_OPTION_USER_NAME, "cn=Admin", FALSE, message));
    EXPECT_EQ(0, settings.SetOption(LDAP_DIR_OPTION_PASSWORD, "pw", FALSE, message));
    EXPECT_EQ(0, settings.SetOption(LDAP_DIR_OPTION_REMEMBER_PASSWORD, &remember, FALSE, message));
    EXPECT_EQ(0, settings.SetOption(LDAP_DIR_OPTION_SERVER, "ldap.example.com", FALSE, message));
    EXPECT_TRUE(message.IsEmpty());
    EXPECT_EQ(3890u, settings.m_port);
    EXPECT_EQ(1, settings.m_nameForm);
    EXPECT_EQ(CString("cn=Admin"), settings.m_userName);
    EXPECT_EQ(CString("pw"), settings.m_password);
    EXPECT_TRUE(settings.m_rememberPassword);
    EXPECT_EQ(CString("ldap.example.com"), settings.m_server);

    EXPECT_EQ(1, settings.SetOption(7, &port, FALSE, message));
    EXPECT_EQ(CString("Unknown option: 7(0x7)."), message);
    EXPECT_EQ(1, settings.SetOption(-1, &port, FALSE, message));
    EXPECT_EQ(CString("Unknown option: -1(0xffffffff)."), message);
    EXPECT_EQ(1, settings.SetOption(LDAP_DIR_OPTION_PORT, nullptr, FALSE, message));
    EXPECT_EQ(CString("No value given for option 0."), message);
    EXPECT_EQ(1, settings.SetOption(LDAP_DIR_OPTION_PORT, &port, TRUE, message));
    EXPECT_EQ(CString("Cannot set options when connected."), message);
}

TEST(LdapDirSettings, Description)
{
    CLdapDirSettings settings = sample(FALSE);
    EXPECT_EQ(CString("X.500 Directory LDAP-server: \"ldap.example.com\".\r\nUser name: \"cn=P.Varek, c=BY\".\r\n"
                      "Port number: \"636\"."),
              settings.GetDescription());
    settings.m_server.Empty();
    EXPECT_NE(-1, settings.GetDescription().Find("LDAP-server: \"<none>\"."));
}
