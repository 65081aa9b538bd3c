# Sourced by the build scripts: makes sure the Debian packages a build needs are installed.
# As root it installs what is missing; otherwise it names the one command that does.

# Sets $missing to the packages of the list that are not installed.
find_missing() {
    missing=""
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing="$missing $package"
        fi
    done
}

ensure_packages() {
    command -v dpkg-query >/dev/null 2>&1 || return 0  # not a Debian system: trust the user
    find_missing "$@"
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" = 0 ]; then
        echo "Installing missing packages:$missing" >&2
        DEBIAN_FRONTEND=noninteractive apt-get update -qq >&2 &&
            DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >&2
    else
        echo "Missing Debian packages:$missing" >&2
        echo "Install them with: sudo apt-get install -y$missing" >&2
        exit 1
    fi
}

# For packages that only some tests need, which skip themselves without them: as root it installs
# what is missing, otherwise it names the command that does; either way the build goes on.
offer_packages() {
    command -v dpkg-query >/dev/null 2>&1 || return 0
    find_missing "$@"
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" != 0 ]; then
        echo "Some tests are skipped without$missing; install with: sudo apt-get install -y$missing" >&2
        return 0
    fi
    echo "Installing optional packages:$missing" >&2
    DEBIAN_FRONTEND=noninteractive apt-get update -qq >&2 &&
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >&2 ||
        echo "Could not install$missing: the tests that need it are skipped" >&2
}

# A build directory without a build of its own yet has minutes of compiling ahead: say so once,
# rather than stay silent that long. Later runs, up to date or nearly, stay silent.
announce_first_build() {
    [ -f "$1/CMakeCache.txt" ] ||
        echo "Building trelkan in ${1#"$root"/} (the first build takes a few minutes)..." >&2
}

# Configures and builds quietly; the compiler's messages are shown only when the build fails.
build_quietly() {
    dir=$1
    shift
    announce_first_build "$dir"
    mkdir -p "$dir"
    if ! { cmake -S "$root" -B "$dir" "$@" && cmake --build "$dir" -j "$(nproc 2>/dev/null || echo 2)"; } \
        >"$dir/build.log" 2>&1; then
        cat "$dir/build.log" >&2
        echo "Build failed in $dir" >&2
        exit 1
    fi
}

# Configures and builds the targets named (a list separated by blanks) quietly, as build_quietly
# does for all.
build_target_quietly() {
    dir=$1
    targets=$2
    shift 2
    announce_first_build "$dir"
    mkdir -p "$dir"
    if ! { cmake -S "$root" -B "$dir" "$@" &&
        # shellcheck disable=SC2086 # the list is split into targets on purpose
        cmake --build "$dir" -j "$(nproc 2>/dev/null || echo 2)" --target $targets; } \
        >"$dir/build.log" 2>&1; then
        cat "$dir/build.log" >&2
        echo "Build failed in $dir" >&2
        exit 1
    fi
}

# The package of clang's runtime libraries (libFuzzer among them), which carries clang's major
# version in its name: from the installed clang, or else from the one Debian would install.
clang_runtime_package() {
    if command -v clang++ >/dev/null 2>&1; then
        major=$(clang++ -dumpversion | cut -d. -f1)
    else
        major=$(apt-cache policy clang 2>/dev/null |
            sed -n 's/^ *Candidate: \([0-9]*:\)\{0,1\}\([0-9]*\).*/\2/p')
    fi
    echo "libclang-rt-${major:-14}-dev"
}
