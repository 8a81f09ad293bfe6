#pragma once
// The prepared operation of a key: what an RSA operation derives from the
// key's fields alone (limbs, Montgomery constants), made on first use and
// kept in a slot of the key. Library-internal.
//
// A prepared operation never changes once made. Threads that use one key
// at once read and replace the slot only through the atomic shared_ptr
// functions, so they may each make one and the key keeps the last; the
// others go when their operation ends. Copies of a key share the prepared
// operation; an operation whose fields no longer match the key's (fields
// set, loaded or assigned since) is made anew, so none is ever stale.
#include <atomic>
#include <memory>

// Operation(key) prepares; operation.matches(key) says whether the key's
// fields are still those it was made from.
template <class Operation, class Key>
std::shared_ptr<const Operation> preparedOperation(const Key& key, std::shared_ptr<const Operation>& slot)
{
    std::shared_ptr<const Operation> operation = std::atomic_load(&slot);
    if (!operation || !operation->matches(key)) {
        operation = std::make_shared<const Operation>(key);
        std::atomic_store(&slot, operation);
    }
    return operation;
}
