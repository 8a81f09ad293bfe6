#include "common/options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {
int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string joined(const std::vector<std::string>& words, const char* separator)
{
    std::string text;
    for (const std::string& word : words)
        text += (text.empty() ? "" : separator) + word;
    return text;
}
}  // namespace

long ParseNumber(const std::string& text, long min, long max, const std::string& what)
{
    size_t digits = text.size() > 1 && text[0] == '-' ? 1 : 0;
    bool wellFormed = digits < text.size();
    for (size_t i = digits; i < text.size(); ++i)
        wellFormed = wellFormed && text[i] >= '0' && text[i] <= '9';
    if (!wellFormed)
        throw UsageError(what + ": '" + text + "' is not a whole number");
    errno = 0;
    long value = std::strtol(text.c_str(), nullptr, 10);
    if (errno == ERANGE || value < min || value > max)
        throw UsageError(what + ": " + text + " is out of range (" + std::to_string(min) + " to " +
                         std::to_string(max) + ")");
    return value;
}

bool ParseHexBytes(const std::string& text, std::vector<unsigned char>& out)
{
    if (text.size() % 2)
        return false;
    std::vector<unsigned char> bytes;
    for (size_t i = 0; i < text.size(); i += 2) {
        int high = hexDigit(text[i]), low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes.push_back((unsigned char)(high << 4 | low));
    }
    out.swap(bytes);
    return true;
}

void OptionSet::add(const char* names, Kind kind, void* into, const char* valueName, const char* help)
{
    Option option;
    std::string all(names);
    size_t comma = all.find(',');
    option.shortName = comma == std::string::npos ? "" : all.substr(0, comma);
    option.longName = comma == std::string::npos ? all : all.substr(comma + 1);
    option.kind = kind;
    option.into = into;
    option.min = option.max = 0;
    option.valueName = valueName ? valueName : "";
    option.help = help;
    m_options.push_back(option);
}

void OptionSet::flag(const char* names, bool* into, const char* help)
{
    add(names, Flag, into, nullptr, help);
}

void OptionSet::text(const char* names, std::string* into, const char* valueName, const char* help)
{
    add(names, Text, into, valueName, help);
}

void OptionSet::number(const char* names, long* into, long min, long max, const char* valueName, const char* help)
{
    add(names, Number, into, valueName, help);
    m_options.back().min = min;
    m_options.back().max = max;
}

void OptionSet::choice(const char* names, std::string* into, const std::vector<std::string>& words, const char* help)
{
    add(names, Choice, into, joined(words, "|").c_str(), help);
    m_options.back().words = words;
}

void OptionSet::hex(const char* names, std::vector<unsigned char>* into, const char* help)
{
    add(names, Hex, into, "HEX", help);
}

OptionSet::Option* OptionSet::find(const std::string& name)
{
    for (Option& option : m_options)
        if (name == option.longName || (!option.shortName.empty() && name == option.shortName))
            return &option;
    return nullptr;
}

void OptionSet::store(Option& option, const std::string& value)
{
    const std::string& name = option.longName;
    switch (option.kind) {
    case Flag:
        *static_cast<bool*>(option.into) = true;
        break;
    case Text:
        *static_cast<std::string*>(option.into) = value;
        break;
    case Number:
        *static_cast<long*>(option.into) = ParseNumber(value, option.min, option.max, name);
        break;
    case Choice:
        for (const std::string& word : option.words)
            if (value == word) {
                *static_cast<std::string*>(option.into) = value;
                return;
            }
        throw UsageError(name + ": '" + value + "' is not one of " + joined(option.words, ", "));
    case Hex:
        if (!ParseHexBytes(value, *static_cast<std::vector<unsigned char>*>(option.into)))
            throw UsageError(name + ": '" + value + "' is not a hexadecimal byte string (pairs of 0-9, a-f)");
        break;
    }
}

Args OptionSet::parse(const Args& args, size_t minOperands, size_t maxOperands)
{
    Args operands;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help")
            throw HelpRequest{table()};
        const size_t equals = arg.compare(0, 2, "--") == 0 ? arg.find('=') : std::string::npos;
        const std::string name = arg.substr(0, equals);
        Option* option = find(name);
        if (!option)
            throw UsageError("unknown option '" + name + "'");
        option->given = true;
        if (option->kind == Flag) {
            if (equals != std::string::npos)
                throw UsageError(name + " takes no value");
            store(*option, "");
        } else if (equals != std::string::npos) {
            store(*option, arg.substr(equals + 1));
        } else if (i + 1 < args.size()) {
            store(*option, args[++i]);
        } else {
            throw UsageError(name + " needs a value");
        }
    }
    if (operands.size() < minOperands)
        throw UsageError(operands.empty() ? "missing operand" : "too few operands");
    if (operands.size() > maxOperands)
        throw UsageError("unexpected operand '" + operands[maxOperands] + "'");
    return operands;
}

bool OptionSet::given(const std::string& longName) const
{
    for (const Option& option : m_options)
        if (option.longName == longName)
            return option.given;
    return false;
}

void OptionSet::refuse(const std::string& longName, const std::string& why) const
{
    if (given(longName))
        throw UsageError(longName + " " + why);
}

std::string OptionSet::table() const
{
    std::string text;
    for (const Option& option : m_options) {
        std::string left = "  " + (option.shortName.empty() ? "    " : option.shortName + ", ") + option.longName;
        if (!option.valueName.empty())
            left += " " + option.valueName;
        if (option.kind == Number)
            left += " (" + std::to_string(option.min) + "-" + std::to_string(option.max) + ")";
        text += left + (left.size() < 30 ? std::string(30 - left.size(), ' ') : "\n" + std::string(30, ' ')) +
                option.help + "\n";
    }
    text += "  -h, --help                  this text\n";
    return text;
}
