#pragma once
// The shape every ASN.1 class of the certificate family takes when it
// carries a record of the object model (a name, a certificate ...):
//   X(const Record&)        an empty value, then GetDataFrom;
//   GetDataFrom(record)     clears the value and fills it from the record;
//   SetDataTo(record) const empties the record and fills it from the value,
//                           throwing CDERDecodingException when the value
//                           does not hold what the record needs (the record
//                           may then be partly filled).
// Used inside the class body, after ASN1_SCHEMA_CLASS.
#include "vaultcore/asn1/component_info.h"

#define ASN1_RECORD_CONVERSION(X, Record)               \
public:                                                 \
    explicit X(const Record& record) : X()              \
    {                                                   \
        GetDataFrom(record);                            \
    }                                                   \
    void GetDataFrom(const Record& record);             \
    void SetDataTo(Record& record) const;
