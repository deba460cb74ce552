#!/usr/bin/env bash
# Installs Korrin Patcher for the current user, no root needed beyond the build packages:
#   the program folder   ${XDG_DATA_HOME:-~/.local/share}/korrin-patcher (programs, samples)
#   the command line     ~/.local/bin/korrin-patch, a link into the program folder
#   the desktop menu     a desktop entry and hicolor icons under ${XDG_DATA_HOME:-~/.local/share}
# The program folder is the user's own because the programs read their definitions from it and
# the online update writes there.
#
#   scripts/install.sh               build (Release) and install, or update an installation
#   scripts/install.sh --uninstall   remove what the install put there; definition files added
#                                    since, and samples changed since, are kept
#   scripts/install.sh --uninstall --purge
#                                    remove the whole program folder as well
#   scripts/install.sh --no-build    install from build-install/ as it is (no packages, no build)
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
data_home=${XDG_DATA_HOME:-$HOME/.local/share}
program_folder=$data_home/korrin-patcher
bin_dir=$HOME/.local/bin
link=$bin_dir/korrin-patch
desktop_file=$data_home/applications/korrin-patcher.desktop
icon_root=$data_home/icons/hicolor
# What this script put in place, one "SHA256  PATH" line per file (as sha256sum writes them),
# so that an uninstall removes exactly those and spots the ones changed since.
manifest=$program_folder/.installed-files
# The folders it made, outermost first, which an uninstall removes again when they are empty.
folders=$program_folder/.installed-folders
build_dir=$source_dir/build-install

uninstall=0
purge=0
build=1
for arg in "$@"; do
  case "$arg" in
    --uninstall) uninstall=1 ;;
    --purge) purge=1 ;;
    --no-build) build=0 ;;
    -h | --help)
      sed -n '2,/^set -euo/p' "$0" | sed -e '$d' -e 's/^# \{0,1\}//'
      exit 0
      ;;
    *)
      echo "install.sh: unknown option $arg (see 'scripts/install.sh --help')" >&2
      exit 2
      ;;
  esac
done
if [ "$purge" = 1 ] && [ "$uninstall" = 0 ]; then
  echo "install.sh: --purge goes with --uninstall" >&2
  exit 2
fi

# Whether FILE is as the manifest recorded it.
unchanged() {
  local file=$1 recorded
  recorded=$(awk -v f="$file" 'substr($0, 67) == f { print $1 }' "$manifest" 2>/dev/null)
  [ -n "$recorded" ] && [ -f "$file" ] && [ "$(sha256sum "$file" | cut -d' ' -f1)" = "$recorded" ]
}

if [ "$uninstall" = 1 ]; then
  if [ ! -f "$manifest" ]; then
    # What an earlier --uninstall kept, which --purge is asked to take too.
    if [ "$purge" = 1 ] && [ -d "$program_folder" ]; then
      rm -rf "$program_folder"
      echo "Removed $program_folder"
      exit 0
    fi
    echo "install.sh: no installation found in $program_folder" >&2
    exit 1
  fi
  while IFS= read -r line; do
    file=${line:66}
    if [ -L "$file" ]; then
      # The command line's link: its hash is its target's, so it goes whenever it still
      # points into the program folder.
      [ "$(readlink "$file")" = "$program_folder/korrin-patch" ] && rm -f "$file"
    elif [ ! -e "$file" ]; then
      continue
    elif [ "$purge" = 1 ] || unchanged "$file"; then
      rm -f "$file"
    else
      echo "Kept $file: changed since the install"
    fi
  done <"$manifest"
  rm -f "$manifest"
  created=()
  [ -f "$folders" ] && mapfile -t created <"$folders"
  rm -f "$folders"
  if [ "$purge" = 1 ]; then
    rm -rf "$program_folder"
  fi
  for ((i = ${#created[@]} - 1; i >= 0; i--)); do
    rmdir "${created[$i]}" 2>/dev/null || true
  done
  echo "Korrin Patcher removed."
  if [ -d "$program_folder" ]; then
    echo "Kept $program_folder for what was added or changed there since the install:"
    (cd "$program_folder" && ls -A | sed 's/^/  /')
    echo "scripts/install.sh --uninstall --purge removes it too."
  fi
  exit 0
fi

if [ "$build" = 1 ]; then
  "$source_dir/scripts/install-deps.sh"
  # A build of its own, without tests: a compiler warning never stops an install.
  cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKORRIN_BUILD_TESTS=OFF -DKORRIN_BUILD_BENCH=OFF
  cmake --build "$build_dir" --parallel "$(nproc)"
fi

staging=$(mktemp -d "${TMPDIR:-/tmp}/korrin-install-XXXXXX")
trap 'rm -rf "$staging"' EXIT
cmake --install "$build_dir" --prefix "$staging" >/dev/null

if [ -e "$link" ] && ! { [ -L "$link" ] && [ "$(readlink "$link")" = "$program_folder/korrin-patch" ]; }; then
  echo "install.sh: $link exists and is not this installation's; move it away first" >&2
  exit 1
fi

make_folder() {
  local dir=$1 parent
  [ -d "$dir" ] && return 0
  parent=$(dirname "$dir")
  make_folder "$parent"
  mkdir "$dir"
  echo "$dir" >>"$staging/.folders"
}
: >"$staging/.folders"
[ -f "$folders" ] && cp "$folders" "$staging/.folders"
make_folder "$program_folder"
make_folder "$bin_dir"
make_folder "$data_home/applications"
new_manifest=$staging/.installed-files
: >"$new_manifest"
record() { sha256sum "$1" >>"$new_manifest"; }

# The program folder. A sample definition the user has changed since the last install stays as
# it is; so does one of the same name that the user or an update put there.
for file in "$staging"/*; do
  name=$(basename "$file")
  [ -f "$file" ] || continue
  dest=$program_folder/$name
  case "$name" in
    *.pat)
      if [ -e "$dest" ] && ! unchanged "$dest"; then
        echo "Kept your $dest"
        continue
      fi
      ;;
  esac
  cp -f "$file" "$dest.new.$$"
  mv -f "$dest.new.$$" "$dest"
  record "$dest"
done

for png in "$staging"/share/icons/hicolor/*/apps/korrin-patcher.png; do
  size=$(basename "$(dirname "$(dirname "$png")")")
  make_folder "$icon_root/$size/apps"
  cp -f "$png" "$icon_root/$size/apps/korrin-patcher.png"
  record "$icon_root/$size/apps/korrin-patcher.png"
done

# The menu starts the program by its full path: ~/.local/bin is not on every session's PATH.
sed -e "s|^Exec=.*|Exec=\"$program_folder/korrin-patcher\"|" \
  -e "s|^TryExec=.*|TryExec=$program_folder/korrin-patcher|" \
  "$staging/share/applications/korrin-patcher.desktop" >"$desktop_file"
record "$desktop_file"

ln -sfn "$program_folder/korrin-patch" "$link"
record "$link"

# Entries of the last install that this one no longer puts there (a sample since removed).
if [ -f "$manifest" ]; then
  cut -c67- "$new_manifest" >"$staging/.now"
  while IFS= read -r line; do
    file=${line:66}
    if ! grep -qxF -- "$file" "$staging/.now" && unchanged "$file"; then
      rm -f "$file"
    fi
  done <"$manifest"
fi
cp "$new_manifest" "$manifest"
cp "$staging/.folders" "$folders"

echo "Korrin Patcher is installed in $program_folder"
echo "  window:        the desktop menu (Utility), or $program_folder/korrin-patcher"
echo "  command line:  $link"
case ":$PATH:" in
  *":$bin_dir:"*) ;;
  *) echo "  $bin_dir is not on your PATH; add it to run korrin-patch by name." ;;
esac
