#!/bin/sh
# Runs a test program as user "nobody" when started as root, else as is.
if [ "$(id -u)" = 0 ]; then
    exec setpriv --reuid=65534 --regid=65534 --clear-groups "$@"
fi
exec "$@"
