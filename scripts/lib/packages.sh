# Sourced by the scripts: the Debian packages the project needs, and installing what is missing.

# What configuring and building everything takes.
build_packages=(cmake ninja-build g++ pkg-config libpng-dev zlib1g-dev libx11-dev libxext-dev
  libxfixes-dev libcairo2-dev libfontconfig-dev libfreetype-dev fonts-dejavu-core libsndfile1-dev
  libgtest-dev libbenchmark-dev libpixman-1-dev libxtst-dev lv2-dev)
# What the demo adds: a virtual display for the picture of the editor where there is none.
demo_packages=(xvfb)
# What the tests add: a display for the X11 tests, fuzzing and leak checks, a plug-in that
# verlo-host hosts besides Verlo, the locale data for reading numbers under a comma locale, and
# the LV2 hosts the LV2 build is tried in (lilv and suil, their tools, lv2file, Ardour).
test_packages=(xvfb xauth xdotool clang valgrind dpf-plugins-vst locales liblilv-dev libsuil-dev
  lilv-utils sordi lv2file ardour)

# ensure_locale LANGUAGE CHARSET: generates LANGUAGE.CHARSET (de_DE UTF-8, say) unless the system
# has it, as root or through sudo.
ensure_locale() {
  local listed sudo=""
  listed="$1.$(printf '%s' "$2" | tr -d '-' | tr '[:upper:]' '[:lower:]')"  # as locale -a lists it
  locale -a 2>/dev/null | grep -qxF "$listed" && return 0
  echo "== generating locale $1.$2"
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo localedef -i "$1" -f "$2" "$1.$2"
}

# install_missing PACKAGE...: apt-get installs those not installed yet (as root, or through sudo).
install_missing() {
  local missing=() p sudo=""
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "== installing: ${missing[*]}"
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
