#include "vaultcore/crypto/secure_zero.h"

#include <string.h>

void vcSecureZero(void* p, size_t n)
{
    // explicit_bzero is documented as never removed by the optimiser.
    if (n)
        explicit_bzero(p, n);
}

void vcSecureZero(CByteArray& bytes)
{
    if (bytes.GetSize() > 0)
        vcSecureZero(bytes.GetData(), (size_t)bytes.GetSize());
}
