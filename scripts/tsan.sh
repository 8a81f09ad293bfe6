#!/usr/bin/env bash
# Builds the threading tests with ThreadSanitizer into build-tsan and runs
# them: cancellation through ThreadKillFlag / ThreadToKill, key generation
# (several at once, cancelled, with progress), progress messages, and the
# thread objects and window message queues, and one RSA key used by two
# threads at once. Uses the default compiler (gcc);
# CC and CXX choose another (clang links its runtime statically, so the tests
# that replace operator new skip themselves there).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-tsan}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVC_TSAN=ON -DVC_TESTS=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target test_platform_threads test_vaultcore_crypto test_vaultcore_crypto_rsa
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 600 \
  -R '^(Window|WindowTimer|Thread|CryptoExceptions|Progress|KeyGenerationThreads)\.|Cancellation|StopsOnly(On)?TheNamedThread|RSAKeyPair\.Progress|RSAPreparedOperation\.OneKeyUsedByTwoThreads'
