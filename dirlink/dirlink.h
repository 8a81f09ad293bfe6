#pragma once
// dirlink: the whole public interface.
#include "platform/afx.h"
#include "dirlink/release_marker.h"
#include "dirlink/dirclient/processor_ex.h"
#include "dirlink/dirclient/ldap_client.h"
#include "dirlink/dirclient/ldap_exchange.h"
#include "dirlink/dirschema/attribute_types.h"
#include "dirlink/dirschema/syntaxes.h"
#include "dirlink/dirschema/attribute_description.h"
#include "dirlink/dirschema/object_classes.h"
#include "dirlink/dirschema/attribute_combo.h"
#include "dirlink/dirschema/dn_text.h"
