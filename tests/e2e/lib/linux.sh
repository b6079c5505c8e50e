# The Linux half of the runtime tests' platform adapter (wine.sh is the
# Windows half); runtime.sh sources the one of this build. Each half says
# what runs a program of this build (RUN_PREFIX; runtime.sh's start_app,
# start_program and run_built put it first), the build's runtime and append
# helper, what a program leaves in its temporary folder (left_temp_files),
# what it keeps in the settings store (emulation_values), paths as the
# programs name them (native_path) and the size of the X window a main
# window of a given outer size gets (main_area). Windows are found by title
# and closed with close_window on both.

PACKER="$LUMORA_BUILD/lumora-pack"
CLOSE_WINDOW="$LUMORA_BUILD/tests/helpers/lumora_close_window"
RUNTIME="$LUMORA_BUILD/lumora"
APPEND="$LUMORA_BUILD/tests/helpers/lumora_append"
PACK_RUNTIME=()
APP_SUFFIX=.app

# native_path PATH: PATH as the programs name it.
native_path() { printf '%s' "$1"; }

# What runs a program of this build: nothing, it runs itself.
RUN_PREFIX=()

# The registry store of the programs started here.
export XDG_CONFIG_HOME="$SCRATCH/config"
REGISTRY="$XDG_CONFIG_HOME/lumora/registry.sqlite3"
# feature_values NAME: the browser emulation values stored for NAME, as
# "type:hex" lines.
feature_values() {
  [ -f "$REGISTRY" ] || return 0
  sqlite3 "$REGISTRY" "SELECT type || ':' || hex(data) FROM vals WHERE name = '$1' ORDER BY key;"
}
# emulation_values NAME: the browser emulation values stored for NAME (a
# program's file name), one "FEATURE TYPE VALUE" line each, as Windows'
# reg prints them.
emulation_values() {
  [ -f "$REGISTRY" ] || return 0
  local path type data
  sqlite3 -separator '|' "$REGISTRY" \
    "SELECT k.path, v.type, hex(v.data) FROM vals v JOIN keys k ON k.fold = v.key WHERE v.name = '$1' ORDER BY v.key;" |
    while IFS='|' read -r path type data; do
      if [ "$type" = 4 ] && [ "${#data}" = 8 ]; then
        printf '%s REG_DWORD 0x%x\n' "${path##*\\}" "0x${data:6:2}${data:4:2}${data:2:2}${data:0:2}"
      else
        printf '%s type%s %s\n' "${path##*\\}" "$type" "$data"
      fi
    done
}

# left_temp_files: what the programs left in their temporary folder.
left_temp_files() { temp_files; }

# main_area WIDTH HEIGHT: the X window of a main window of that outer
# size: GTK's window is the whole of it.
main_area() { echo "${1}x${2}"; }
