#include "dirlink/dirclient/referable.h"

long IReferable::AddRef()
{
    return ++m_referenceCount;
}

long IReferable::Release()
{
    const long count = --m_referenceCount;
    if (count > 0)
        return count;
    Clear();
    delete this;
    return count;
}
