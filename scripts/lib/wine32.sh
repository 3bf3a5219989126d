# Whether this machine can run 32-bit programs, asked once of the 32-bit Wine loader itself:
# some kernels (many virtual machines, hardened ones) run no 32-bit program at all, and only
# trying tells. Every script acts on this one answer. Sourced; BOOTWARDEN_WINE32 names another
# loader (the scripts' own test gives one that fails as such a kernel does).
WINE32="${BOOTWARDEN_WINE32:-/usr/lib/wine/wine}"
WINE64=/usr/lib/wine/wine64

# Sets no_wine32 to why 32-bit programs cannot run here (empty when they can) and wine32_said
# to what the loader answered.
ask_wine32() {
    wine32_said=$("$WINE32" --version 2>&1 </dev/null) && status=0 || status=$?
    case $status in
        0) no_wine32="" ;;
        126) no_wine32="this machine runs no 32-bit programs" ;;
        *) no_wine32="the 32-bit Wine does not run" ;;
    esac
    wine32_said=$(printf '%s\n' "$wine32_said" | head -n 1)
}
