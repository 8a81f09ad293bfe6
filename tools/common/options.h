#pragma once
// The options of one command, declared with the variables they fill, then
// parsed from the arguments. Options may stand before or after the operands
// and take their value as the next argument or after "=" ("--bits 1024",
// "--bits=1024", "-o FILE"); "--" ends the options; "-" alone is an operand.
// Values are checked as they are parsed: numbers strictly (digits only, in
// range), choices against their list, hexadecimal byte strings digit by digit.
#include <string>
#include <vector>

#include "common/command.h"

class OptionSet {
public:
    // names: the long name, optionally with a short one first ("-o,--out").
    void flag(const char* names, bool* into, const char* help);
    void text(const char* names, std::string* into, const char* valueName, const char* help);
    void number(const char* names, long* into, long min, long max, const char* valueName, const char* help);
    void choice(const char* names, std::string* into, const std::vector<std::string>& words, const char* help);
    void hex(const char* names, std::vector<unsigned char>* into, const char* help);

    // The operands, between minOperands and maxOperands of them. Throws
    // HelpRequest for -h/--help and UsageError for anything malformed.
    Args parse(const Args& args, size_t minOperands, size_t maxOperands);

    // Whether the option (by its long name) was on the command line.
    bool given(const std::string& longName) const;
    // Throws UsageError when the option was given: for options that the
    // chosen mode or algorithm does not use ("--bits does not apply to des").
    void refuse(const std::string& longName, const std::string& why) const;

    // One line per option, for --help.
    std::string table() const;

private:
    enum Kind { Flag, Text, Number, Choice, Hex };
    struct Option {
        std::string shortName, longName;
        Kind kind;
        void* into;
        long min, max;
        std::vector<std::string> words;
        std::string valueName, help;
        bool given = false;
    };
    void add(const char* names, Kind kind, void* into, const char* valueName, const char* help);
    Option* find(const std::string& name);
    static void store(Option& option, const std::string& value);

    std::vector<Option> m_options;
};

// Strict whole-number parsing: optional minus sign, decimal digits, no
// blanks or trailing characters, within [min, max]. UsageError naming
// `what` otherwise.
long ParseNumber(const std::string& text, long min, long max, const std::string& what);

// Hexadecimal byte string (an even number of digits, either case); false
// when it is not one.
bool ParseHexBytes(const std::string& text, std::vector<unsigned char>& out);
