# Shared by play.sh and test.sh: installs what the build needs on a fresh
# Debian machine, then configures and builds one build folder.
# Usage (sourced):
#   tolvarin_setup <build-dir> [extra cmake args...]   packages and configure
#   tolvarin_build <build-dir> [targets...]            build (default: everything)

# How play.sh, test.sh and tools/update_goldens.sh configure build/: all alike,
# so that one after another builds only what the one before did not (a changed
# flag would compile every object again). Warnings are errors, as in CI.
TOLVARIN_BUILD_ARGS=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVARIN_WERROR=ON)

# libvorbis-dev: the music's Ogg Vorbis decoder and the sample data's encoder;
# xvfb: an X server for the test of a display that goes away; python3: the
# random-draw check (tools/check_random_draws.py).
TOLVARIN_PACKAGES=(g++ cmake ninja-build pkg-config libsdl2-dev libsdl2-ttf-dev libstb-dev
                   libgtest-dev libgmock-dev libbenchmark-dev fonts-ipafont-gothic libvorbis-dev
                   xvfb python3)

tolvarin_install_packages() {
  local missing=()
  local p
  for p in "${TOLVARIN_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

tolvarin_setup() {
  local dir="$1"; shift
  tolvarin_install_packages
  cmake -S . -B "$dir" -G Ninja "$@" > "$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; return 1; }
  # What the configure left out (say, bench_raster without Google Benchmark).
  grep -h "not built" "$dir.configure.log" || true
}

tolvarin_build() {
  local dir="$1"; shift
  local targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
}

# What a build left in <build-dir> for playing: the program and its data set.
tolvarin_report_game() {
  local dir="$1"
  echo "Built $dir/tolvarin; its data set is beside it ($dir/vsk1.dat .. vsk7.dat, $dir/demo.rpl;" \
       "$dir/sample-data.txt lists the sample files the build wrote)."
}
