# Sourced by the scripts: makes sure the Debian packages the build needs are there.
# As root it installs what is missing; otherwise it prints the one line to run.

# What building the programs needs (scripts/run): the compiler, Qt and libftdi1
# for the port library's USB adapters; Qt Svg saves the characterisation plots
# as drawings.
QV4130_RUN_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libftdi1-dev
                     qt6-svg-dev fonts-liberation2)

# What the dev build and its tests add (scripts/test and the other scripts that
# build the suite): GoogleTest, Google Benchmark (the dev build compiles the
# benchmarks), PyVISA with its pure-Python backend as the independent SCPI
# client, PyMeasure for stock bench-DMM drivers to run against the simulated
# meter, sigrok-cli to decode the programs' traces as an engineer would, Xvfb,
# openbox and xprop (x11-utils) for a real X desktop with a window manager, and
# iproute2 to bring up the loopback of the examples' own network namespaces;
# xdotool (real key and pointer events through XTEST), the accessibility bus
# (at-spi2-core, python3-pyatspi, dbus-daemon's dbus-run-session) to find the
# buttons an operator sees, for the tests that drive the whole program.
QV4130_TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev
                      python3 python3-pyvisa python3-pyvisa-py python3-pymeasure sigrok-cli
                      xvfb openbox x11-utils iproute2
                      xdotool at-spi2-core python3-pyatspi dbus-daemon)

# Scripts may add their own lists to this one before calling qv4130_ensure_packages.
QV4130_PACKAGES=("${QV4130_RUN_PACKAGES[@]}" "${QV4130_TEST_PACKAGES[@]}")

# scripts/bench: Google Benchmark, and Python for the script that makes its table.
QV4130_BENCH_PACKAGES=(libbenchmark-dev python3)

# The libFuzzer targets need clang and its runtime.
QV4130_FUZZ_PACKAGES=(clang libclang-rt-14-dev)

# What the Windows suite adds: the mingw-w64 cross compiler, 64-bit Wine to run
# the test programs, and GoogleTest's sources to build it for Windows.
QV4130_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64 wine64 wine googletest)

# The Windows installer: wixl makes the MSI and lists the program folder's files.
QV4130_INSTALLER_PACKAGES=(wixl)

# The printer-port tests on a real kernel (tests/kernel): QEMU's emulated PC, a
# static busybox as the guest's shell and tools, strace to count the program's
# system calls in there. The kernel itself the test fetches with apt-get download.
QV4130_KERNEL_PACKAGES=(qemu-system-x86 busybox-static strace)

# The Debian package: dpkg-shlibdeps (dpkg-dev) computes its dependencies; the
# rest check it. readelf comes with binutils, a part of g++.
QV4130_PACKAGE_PACKAGES=(dpkg-dev lintian desktop-file-utils appstream)

# scripts/screenshots takes the documentation's pictures with ImageMagick's import.
QV4130_SCREENSHOT_PACKAGES=(imagemagick)

# scripts/render-icons draws the PNG icons from the SVG.
QV4130_ICON_PACKAGES=(librsvg2-bin)

qv4130_missing_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    echo "${missing[@]}"
}

qv4130_ensure_packages() {
    local missing
    missing=$(qv4130_missing_packages "$@")
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages. Install them with:" >&2
        echo "  sudo apt-get install -y $missing" >&2
        exit 1
    fi
    echo "Installing: $missing"
    export DEBIAN_FRONTEND=noninteractive
    # A machine stopped while dpkg was installing (a session's end kills it
    # half-way) leaves its journal behind, and apt-get then refuses every
    # install until that run is finished; finishing it is what apt-get asks for
    # and changes nothing when there is none. Another apt-get still running is
    # waited for rather than failed on.
    dpkg --configure -a
    local wait_for_lock=(-o DPkg::Lock::Timeout=600)
    apt-get "${wait_for_lock[@]}" update -qq
    # shellcheck disable=SC2086
    apt-get "${wait_for_lock[@]}" install -y -qq --no-install-recommends $missing
}
