// dlink search: a directory search written to standard output as LDIF while
// the results arrive, the way `ldapsearch -LLL` writes it.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdio_ext.h>
#include <string>

#include "directory_session.h"

namespace {

const char kHelp[] =
    "Searches the directory and writes each entry as LDIF as it arrives (the same text as\n"
    "`ldapsearch -LLL`; search references as \"# ref\" comments). FILTER defaults to\n"
    "\"(objectClass=*)\"; ATTR... names the attributes to return (none: all user attributes).\n"
    "The exit status is the search's LDAP result code (0 success, 4 size limit exceeded,\n"
    "32 no such object ...), 3 after Ctrl-C, or the failure's code. A running count of the\n"
    "entries is shown on standard error when that is a terminal.";

// Appends one search result as ldapsearch -LLL writes it.
void appendResult(const CSearchResult& result, CString& text)
{
    if (const CEntryData* entry = result.GetEntry()) {
        WriteLdifEntry(*entry, text);
    } else if (const CStringArray* urls = result.GetReferences()) {
        for (int i = 0; i < urls->GetSize(); ++i)
            text += "# ref" + (*urls)[i] + "\n";
        text += "\n";
    }
}

// The closing result of a search that did not succeed, on standard error.
void reportDone(const CResultInfo& done)
{
    std::string text = "server answered " + std::string((const char*)done.m_resultText);
    if (!done.m_errorMessage.IsEmpty())
        text += ": " + std::string((const char*)done.m_errorMessage);
    if (!done.m_matchedDN.IsEmpty())
        text += "\nmatched DN: " + std::string((const char*)done.m_matchedDN);
    for (int i = 0; i < done.m_referral.GetSize(); ++i)
        text += "\nreferral: " + std::string((const char*)done.m_referral[i]);
    fail(text);
}

int search(const Args& args)
{
    ConnectionOptions connection;
    std::string base, scope = "sub";
    long sizeLimit = 0, timeLimit = 0;
    OptionSet options;
    connection.declare(options);
    options.text("-b,--base", &base, "DN", "where the search starts (default: the empty DN)");
    options.choice("-s,--scope", &scope, {"base", "one", "sub"}, "the entry only, its children, or the whole subtree");
    options.number("-z,--size-limit", &sizeLimit, 0, 0x7FFFFFFF, "N", "at most N entries (0: no limit)");
    options.number("-l,--time-limit", &timeLimit, 0, 0x7FFFFFFF, "SECONDS", "at most so many seconds (0: no limit)");
    Args operands = options.parse(args, 0, 100000);

    CSearchFilter filter;
    CFilterParseError error;
    const std::string filterText = operands.empty() ? "(objectClass=*)" : operands[0];
    if (!ParseSearchFilter(CString(filterText.c_str()), filter, &error))
        throw Failure("bad filter at position " + std::to_string(error.m_position) + ": " +
                      (const char*)error.m_message);
    CStringArray attributes;
    for (size_t i = 1; i < operands.size(); ++i)
        attributes.Add(CString(operands[i].c_str()));
    const unsigned long scopeNumber = scope == "base" ? 0 : scope == "one" ? 1 : 2;

    DirectorySession session(connection);
    CResultInfo done;
    CString text;
    session.showCount("entries");
    int writeError = 0;
    session.onSearchResult = [&](const CSearchResult& result) {
        if (const CResultInfo* info = result.GetResultInfo()) {
            done = *info;
            return;
        }
        text.Empty();
        appendResult(result, text);
        if (!writeError && std::fwrite((const char*)text, 1, (size_t)text.GetLength(), stdout) != (size_t)text.GetLength()) {
            writeError = errno ? errno : EIO;
            session.manager().Cancel();  // nobody reads the rest
        }
        if (result.GetEntry())
            session.countOne();
    };
    const unsigned short code = session.attempt([&](IX500DirManager& manager) {
        return manager.Search(base.c_str(), scopeNumber, 0, (unsigned long)sizeLimit, (unsigned long)timeLimit, 0,
                              filter, attributes, 0);
    });
    if (writeError) {
        // Said once here: what is still buffered would only fail again at exit.
        __fpurge(stdout);
        clearerr(stdout);
        throw Failure(std::string("write error on standard output: ") + std::strerror(writeError));
    }
    session.check(code);
    if (done.m_resultCode == 0)
        return 0;
    std::fflush(stdout);
    reportDone(done);
    return ExitStatusOf(done.m_resultCode);
}

const Command command("search",
                      "[--config FILE] [-H URL] [-D DN] [-w PW | -W | -y FILE] [-b BASE] [-s base|one|sub] [-z N] [-l S] "
                      "[-P 2|3] [FILTER [ATTR...]]",
                      "search a directory server, LDIF to standard output", kHelp, search);

}  // namespace
