# Shell helpers of the tests that use the runtime as installed. Source it
# after setting $work (a scratch folder) and defining fail <message>.

# One script for every program: ticks, clicks, a key (9 events).
write_input_script() {
  printf 'VELKO_PERIODIC(5);\nVELKO_MOUSE(10, 20);\nVELKO_KBD(120);\nVELKO_PERIODIC(2);\n' >"$1"
}

# expect_check <velko-check> <name> <program>: velko-check passes and the
# program got all 9 events of write_input_script's script.
expect_check() {
  local check=$1 name=$2 program=$3
  local out=$work/check-$name
  [ -f "$work/input.scr" ] || write_input_script "$work/input.scr"
  if ! "$check" -s "$work/input.scr" -o "$out" "$program" >"$work/$name.txt"; then
    cat "$work/$name.txt" >&2
    fail "velko-check failed on $name"
  fi
  [ "$(wc -l <"$out/events.txt")" -eq 9 ] || fail "$name got $(wc -l <"$out/events.txt") events, not 9"
  [ -s "$out/window.png" ] || fail "$name left no picture"
}

# extract_guide <runtime.md> <folder>: writes each C++ program of the guide
# to folder/exampleN.cpp and prints their paths.
extract_guide() {
  mkdir -p "$2"
  awk -v dir="$2" '
    /^```cpp$/ { n++; file = sprintf("%s/example%d.cpp", dir, n); writing = 1; next }
    /^```$/ { writing = 0; next }
    writing { print > file }
  ' "$1"
  find "$2" -name '*.cpp' | sort
}

# check_guide <velko-check> <runtime.md>: builds each C++ program of the
# guide with pkg-config alone and checks it with expect_check; prints how
# many there were.
check_guide() {
  local check=$1 guide=$2 examples example name
  examples=$(extract_guide "$guide" "$work/guide")
  [ -n "$examples" ] || fail "$guide holds no program"
  for example in $examples; do
    name=$(basename "$example" .cpp)
    # shellcheck disable=SC2046
    g++ -std=c++17 -Wall -Wextra -Werror "$example" $(pkg-config --cflags --libs velko) \
      -o "$work/guide/$name" || fail "$name of $guide does not build with pkg-config"
    expect_check "$check" "$name" "$work/guide/$name"
  done
  echo "$examples" | wc -l
}
