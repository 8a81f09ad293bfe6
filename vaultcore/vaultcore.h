#pragma once
// vaultcore: the whole public interface.
#include "platform/afx.h"
#include "vaultcore/release_marker.h"

#include "vaultcore/asn1/asn1_type.h"
#include "vaultcore/asn1/buffered_filter.h"
#include "vaultcore/asn1/der_encoding.h"
#include "vaultcore/asn1/dump.h"
#include "vaultcore/asn1/universal_types.h"
#include "vaultcore/asn1/component_info.h"
#include "vaultcore/asn1/object_identifiers.h"

#include "vaultcore/crypto/crypto_exceptions.h"
#include "vaultcore/crypto/progress.h"
#include "vaultcore/crypto/digest_maker.h"
#include "vaultcore/crypto/md2_digest_maker.h"
#include "vaultcore/crypto/md5_digest_maker.h"
#include "vaultcore/crypto/sha1_digest_maker.h"
#include "vaultcore/crypto/digest_filter.h"
#include "vaultcore/crypto/randoms_generator.h"
#include "vaultcore/crypto/huge_digit.h"

#include "vaultcore/ldapmsg/ldap_message.h"
#include "vaultcore/ldapmsg/ldap_message_check.h"
#include "vaultcore/ldapmsg/ldap_protected_password.h"
