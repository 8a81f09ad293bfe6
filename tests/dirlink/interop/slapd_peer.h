#pragma once
// The fixture of the real-peer tests: one throwaway slapd per test suite,
// loaded with entries written by our LDIF writer, and a plain socket per
// test that sends our builders' bytes and parses the answers.
#include <gtest/gtest.h>

#include <set>

#include "dirlink/dirclient/dirclient_test_support.h"
#include "support/ldap_test_socket.h"
#include "support/slapd_server.h"


inline const char kPeople[] = "ou=people,dc=example,dc=com";
inline const char kFilters[] = "ou=filters,dc=example,dc=com";

inline CEntryData* person(const std::string& cn, const std::string& sn, std::initializer_list<CAttribute*> more)
{
    auto* entry = new CEntryData;
    entry->m_dn = CString(("cn=" + cn + "," + kFilters).c_str());
    entry->m_attributes.Add(attributeOf("objectClass", {"inetOrgPerson"}));
    entry->m_attributes.Add(attributeOf("cn", {cn}));
    entry->m_attributes.Add(attributeOf("sn", {sn}));
    for (CAttribute* attribute : more)
        entry->m_attributes.Add(attribute);
    return entry;
}

// The entries the filter searches run on, written by our LDIF writer and
// loaded with slapadd: a UTF-8 value (base64), one folded at 76 columns,
// one with a leading space (base64).
inline std::string initialLdif()
{
    CString out(SlapdServer::baseEntries().c_str());
    CEntryData filters;
    filters.m_dn = kFilters;
    filters.m_attributes.Add(attributeOf("objectClass", {"organizationalUnit"}));
    filters.m_attributes.Add(attributeOf("ou", {"filters"}));
    WriteLdifEntry(filters, out);
    CEntryData* people[] = {
        person("Alice Smith", "Smith",
               {attributeOf("mail", {"alice@example.com"}), attributeOf("description", {"caf\xc3\xa9 au lait"})}),
        person("Bob Jones", "Jones",
               {attributeOf("mail", {"bob@example.com"}), attributeOf("description", {std::string(150, 'b')})}),
        person("Carol White", "White", {attributeOf("description", {" leading space"})}),
    };
    for (CEntryData* entry : people) {
        WriteLdifEntry(*entry, out);
        delete entry;
    }
    return str(out);
}

class SlapdPeer : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_server = new SlapdServer;
        if (!s_server->start(initialLdif(), &s_startError)) {
            delete s_server;
            s_server = nullptr;
        }
    }
    static void TearDownTestSuite()
    {
        delete s_server;  // stops slapd by its process id
        s_server = nullptr;
    }
    void SetUp() override
    {
        ASSERT_NE(nullptr, s_server) << s_startError;
        ASSERT_TRUE(m_socket.connect(s_server->port()));
    }

    // Sends one request; the first answer decoded (null when none came).
    std::unique_ptr<CASN1Type> exchange(const CByteArray& request)
    {
        if (!m_socket.send(request))
            return nullptr;
        return answer();
    }

    std::unique_ptr<CASN1Type> answer()
    {
        Bytes bytes = m_socket.receive();
        if (bytes.empty())
            return nullptr;
        std::unique_ptr<CASN1Type> message = decodeGeneric(bytes);
        EXPECT_TRUE(message && CASN1_LDAPMessage::isValid(message.get(), 0)) << hexOf(bytes);
        return message;
    }

    // The result part of the answer to a request; resultCode ~0 when none came.
    CResultInfo result(const CByteArray& request)
    {
        CResultInfo info;
        info.m_resultCode = ~0U;
        std::unique_ptr<CASN1Type> message = exchange(request);
        if (message) {
            auto& envelope = dynamic_cast<CASN1_CONSTRUCTED_TYPE&>(*message);
            EXPECT_EQ(1, ldapParseResult(*envelope.getComponentAt(envelope.getComponentCount() - 1), info));
        }
        return info;
    }

    DWORD code(const CByteArray& request) { return result(request).m_resultCode; }

    void bindAsRoot(unsigned long version)
    {
        CByteArray request;
        ldapCreateBindRequest(m_id++, version, SlapdServer::kRootDn, SlapdServer::kRootPassword, request);
        ASSERT_EQ(0U, code(request));
    }

    // The entries and the closing result of a search.
    struct SearchAnswer {
        std::vector<CEntryData> entries;
        CResultInfo done;
        bool complete = false;
        std::set<std::string> names() const
        {
            std::set<std::string> cns;
            for (const CEntryData& entry : entries)
                cns.insert(str(entry.m_dn).substr(3, str(entry.m_dn).find(',') - 3));
            return cns;
        }
    };

    SearchAnswer search(const CByteArray& request)
    {
        SearchAnswer answer;
        if (!m_socket.send(request))
            return answer;
        for (;;) {
            std::unique_ptr<CASN1Type> message = this->answer();
            if (!message)
                return answer;
            CSearchResult* parsed = CSearchResult::Create();
            EXPECT_EQ(1, ldapParseSearchResponse(*message, *parsed));
            bool done = parsed->m_kind == CSearchResult::kindDone;
            if (CEntryData* entry = parsed->GetEntry())
                answer.entries.push_back(*entry);
            if (CResultInfo* info = parsed->GetResultInfo())
                answer.done = *info;
            parsed->Release();
            if (done) {
                answer.complete = true;
                return answer;
            }
        }
    }

    SearchAnswer searchFilter(const char* text, int nameForm, const char* base = kFilters, unsigned long page = 0)
    {
        CSearchFilter filter;
        EXPECT_TRUE(ParseSearchFilter(text, filter)) << text;
        CStringArray all;
        CByteArray request;
        ldapCreateSearchRequest(m_id++, base, 1, 0, 0, 0, page, 0, filter, all, request, nameForm);
        return search(request);
    }

    static inline SlapdServer* s_server = nullptr;
    static inline std::string s_startError;
    LdapTestSocket m_socket;
    unsigned long m_id = 1;
};


