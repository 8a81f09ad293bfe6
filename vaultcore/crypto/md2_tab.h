#pragma once
// The MD2 substitution table (RFC 1319). Library-internal.
extern const unsigned char kMD2Substitution[256];
