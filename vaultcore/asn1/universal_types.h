#pragma once
// The universal ASN.1 types of the engine.
#include "vaultcore/asn1/bit_string.h"
#include "vaultcore/asn1/boolean.h"
#include "vaultcore/asn1/character_strings.h"
#include "vaultcore/asn1/integer.h"
#include "vaultcore/asn1/null.h"
#include "vaultcore/asn1/object_identifier.h"
#include "vaultcore/asn1/octet_string.h"
#include "vaultcore/asn1/sequence.h"
#include "vaultcore/asn1/utc_time.h"
