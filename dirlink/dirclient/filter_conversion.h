#pragma once
// Filter trees to the protocol's Filter CHOICE (internal).
#include <memory>

#include "dirlink/dirclient/search_filter.h"
#include "vaultcore/vaultcore.h"

namespace dirclient {

// The protocol filter of the tree, or null when it converts to nothing
// (an empty filter, a node without data, a NOT of nothing). Attribute
// types go through AdjustAttribute(nameForm), their options are kept;
// matching rules are sent as written.
std::unique_ptr<CASN1Type> convertFilter(const CSearchFilter& filter, int nameForm);

}  // namespace dirclient
