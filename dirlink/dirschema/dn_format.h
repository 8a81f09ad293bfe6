#pragma once
// Writing a parsed DN back as text, in the plain form (types as written, with
// "oid.N" turned into a known name) or the canonical form ("oid.N" types,
// AVAs of each RDN sorted).
#include <string>

#include "dirlink/dirschema/dn_parser.h"

// A value as it must be written to read back the same: hex values as they
// are, others with backslashes before backslashes and quotes, and in quotes
// when they hold a character that would otherwise end or change them.
std::string FormatDnValue(const std::string& value);

// One AVA in plain form: "type=value", or the value alone without a type.
std::string FormatAvaPlain(const DnAva& ava);

std::string FormatRdn(const DnRdn& rdn, bool canonical);
std::string FormatDn(const DnTree& tree, bool canonical);
