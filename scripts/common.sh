# Shared by run.sh and test.sh: installs what is missing and builds.

KY_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev qt6-svg-dev qt6-l10n-tools
  qt6-image-formats-plugins fonts-liberation2 fonts-dejavu-core libcups2-dev
  libbenchmark-dev xvfb xauth poppler-utils libtiff-tools
  xdotool x11-utils imagemagick
  clang libclang-rt-14-dev lld
  python3 python3-numpy python3-scipy python3-tifffile python3-pil
)

# The build folder both run.sh and test.sh use, configured the same way by both so that neither
# reconfigures the other's. Line tables are all the debug information a backtrace needs; full debug
# information made every compile a third slower and every link several times larger.
KY_PLAIN_BUILD_OPTIONS=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_BENCH=OFF
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG")

ky_install_missing() {
  local missing=()
  local p
  for p in "${KY_PACKAGES[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
  fi
  $sudo apt-get update
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y \
    --no-install-recommends "${missing[@]}"
}

ky_jobs() {
  nproc 2>/dev/null || echo 2
}

# ky_build <build-dir> [cmake options...] [--target <name>...]
# Configures, then builds the targets named, or every target when none is named.
ky_build() {
  local dir=$1
  shift
  local options=() targets=()
  while [ $# -gt 0 ]; do
    if [ "$1" = "--target" ]; then
      targets+=("$2")
      shift 2
    else
      options+=("$1")
      shift
    fi
  done
  cmake -S "$KY_ROOT" -B "$dir" -G Ninja "${options[@]}"
  cmake --build "$dir" -j "$(ky_jobs)" ${targets[@]+--target "${targets[@]}"}
}
