# Sourced by the scripts, which must not depend on the caller's locale: Wine takes its file-name encoding
# from it, and in the POSIX locale of a fresh machine it cannot create files with Cyrillic or Chinese
# names. C.UTF-8 is present on every Debian 12 machine.
export LC_ALL=C.UTF-8
export LANG=C.UTF-8
unset LANGUAGE
