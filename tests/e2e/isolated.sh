#!/bin/sh
# Runs a command with a /run/lock and a loopback network of its own, where this machine allows
# it (root with namespaces): tests that take the computer's update locks, or serve the local help
# server on its fixed port, then run side by side without meeting. Elsewhere the command runs as
# it is (and CTest keeps such tests apart).
# Usage: isolated.sh COMMAND [ARGUMENTS...]
if [ "$(id -u)" = 0 ] && unshare -mn true 2>/dev/null; then
    exec unshare -mn sh -c 'mount -t tmpfs -o mode=1777 ovk-test-lock /run/lock &&
        ip link set lo up && exec "$@"' isolated "$@"
fi
exec "$@"
