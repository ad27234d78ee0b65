# Runs kt7-pack with good and bad command lines and checks exit codes,
# messages and the size of the file written.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
string(REPEAT "M" 4096 main_bytes)
string(REPEAT "V" 1000 voice_bytes)
file(WRITE ${WORK}/main.bin "${main_bytes}")
file(WRITE ${WORK}/voice.bin "${voice_bytes}")

function(expect what code pattern)
  # A run that blocks (on a FIFO, say) is stopped and fails, instead of
  # hanging the suite.
  execute_process(COMMAND ${PACK} ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err
                  TIMEOUT 30)
  if(NOT result EQUAL code)
    message(FATAL_ERROR "${what}: exit code ${result}, expected ${code}\n${out}${err}")
  endif()
  if(pattern AND NOT "${out}${err}" MATCHES "${pattern}")
    message(FATAL_ERROR "${what}: output does not match '${pattern}':\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

# A usage error: exit code 2 and one line naming the problem, not the help.
function(expect_usage_error what message)
  expect("${what}" 2 "" ${ARGN})
  if(NOT "${out}${err}" MATCHES "^kt7-pack: ${message}[^\n]*; see kt7-pack --help\n$")
    message(FATAL_ERROR "${what}: not one line naming '${message}':\n${out}${err}")
  endif()
endfunction()

# An area the update would refuse where it is: exit code 1 and kt7-pack's
# own line naming the areas and addresses.
function(expect_placement_refused what message)
  expect("${what}" 1 "" ${ARGN})
  if(NOT "${out}${err}" STREQUAL "kt7-pack: ${message}; nothing written\n")
    message(FATAL_ERROR "${what}: expected\nkt7-pack: ${message}; nothing written\ngot\n${out}${err}")
  endif()
endfunction()

expect("help" 0 "--map-scramble N" --help)
expect("good package" 0 "" --out ${WORK}/KT7_Down.dat --main ${WORK}/main.bin@0x40010000
       --voice ${WORK}/voice.bin@0x40020000 --main-version M1 --voice-version V1 --time 2026-12-10 --seed 5)
file(SIZE ${WORK}/KT7_Down.dat size)
# key block + header + main (4096) + voice padded to 1024
if(NOT size EQUAL 6272)
  message(FATAL_ERROR "package size ${size}, expected 6272")
endif()
# What it wrote, on standard output: path, size, fingerprint, the areas.
file(SHA256 ${WORK}/KT7_Down.dat digest)
set(report "wrote ${WORK}/KT7_Down.dat, 6272 bytes\nSHA-256 ${digest}\n"
           "area   address      bytes  sectors  pages       version\n"
           "main   0x40010000    4096  16       256-271     M1\n"
           "voice  0x40020000    1000  32       512-515     V1\n")
string(CONCAT report ${report})
if(NOT out STREQUAL report OR NOT err STREQUAL "")
  message(FATAL_ERROR "the report of a good package:\n${out}${err}\nexpected:\n${report}")
endif()
file(READ ${WORK}/KT7_Down.dat first HEX)
expect("same seed, same file" 0 "" --out ${WORK}/again.dat --main ${WORK}/main.bin@0x40010000
       --voice ${WORK}/voice.bin@0x40020000 --main-version M1 --voice-version V1 --time 2026-12-10 --seed 5)
file(READ ${WORK}/again.dat second HEX)
if(NOT first STREQUAL second)
  message(FATAL_ERROR "the same seed gave two different files")
endif()

expect_usage_error("no --out" "--out FILE is required" --main ${WORK}/main.bin@0x40010000)
expect_usage_error("no area" "no area given: name at least the main program, --main FILE@ADDR"
                   --out ${WORK}/x.dat --main-version M1)
expect_usage_error("unknown option" "unknown option '--mian'" --out ${WORK}/x.dat --mian ${WORK}/main.bin@0x40010000)
expect_usage_error("stray argument" "unexpected argument 'main.bin'" --out ${WORK}/x.dat main.bin)
expect_usage_error("missing value" "--seed needs a value" --out ${WORK}/x.dat --seed)
expect_usage_error("address missing" "--main wants FILE@ADDR" --out ${WORK}/x.dat --main ${WORK}/main.bin)
expect_usage_error("bad address" "--main: bad flash address '0x4001zz00'" --out ${WORK}/x.dat
                   --main ${WORK}/main.bin@0x4001zz00)
expect_usage_error("address over 32 bits" "--main: bad flash address" --out ${WORK}/x.dat
                   --main ${WORK}/main.bin@0x140010000)
expect_usage_error("unreadable area file" "--main: cannot read '[^\n]*none.bin'" --out ${WORK}/x.dat
                   --main ${WORK}/none.bin@0x40010000)
execute_process(COMMAND mkfifo ${WORK}/fifo.bin RESULT_VARIABLE made)
if(NOT made EQUAL 0)
  message(FATAL_ERROR "cannot make a FIFO for the test")
endif()
expect_usage_error("area file is a FIFO" "--main: cannot read '[^\n]*fifo.bin'" --out ${WORK}/x.dat
                   --main ${WORK}/fifo.bin@0x40010000)
expect_usage_error("area file is a folder" "--voice: cannot read '[^\n]*'" --out ${WORK}/x.dat
                   --main ${WORK}/main.bin@0x40010000 --voice ${WORK}@0x40020000)
expect_usage_error("long version" "--main-version: '12345' is longer than 4 bytes" --out ${WORK}/x.dat
                   --main ${WORK}/main.bin@0x40010000 --main-version 12345)
expect_usage_error("version without area" "--map-version given without its area" --out ${WORK}/x.dat
                   --main ${WORK}/main.bin@0x40010000 --map-version D1)
expect_usage_error("long time" "--time: '2026-12-10T08' is longer than 10 bytes" --out ${WORK}/x.dat
                   --main ${WORK}/main.bin@0x40010000 --time 2026-12-10T08)
expect_usage_error("bad number" "--map-scramble: bad number '-1'" --out ${WORK}/x.dat --map-scramble -1)
expect("unwritable output" 1 "cannot create" --out ${WORK}/no/such/dir/x.dat --main ${WORK}/main.bin@0x40010000)
if(EXISTS ${WORK}/x.dat)
  message(FATAL_ERROR "a refused command line wrote a file")
endif()

# Areas where the update would refuse them, in kt7-pack's own words; no file,
# not even over an existing one.
file(WRITE ${WORK}/kept.dat "an earlier package")
expect_placement_refused("voice in main's bytes"
  "--main (0x40010000-0x40010FFF) and --voice (0x40010800-0x40010BE7) overlap"
  --out ${WORK}/kept.dat --main ${WORK}/main.bin@0x40010000 --voice ${WORK}/voice.bin@0x40010800 --seed 5)
file(READ ${WORK}/kept.dat kept)
if(NOT kept STREQUAL "an earlier package")
  message(FATAL_ERROR "a refused package replaced the existing file")
endif()
expect_placement_refused("voice in main's last sector"
  "--main (0x40010000-0x400103E7) and --voice (0x40010400-0x400107E7) share the flash sector at 0x40010000, which the update erases whole"
  --out ${WORK}/refused.dat --main ${WORK}/voice.bin@0x40010000 --voice ${WORK}/voice.bin@0x40010400)
expect_placement_refused("map in voice's last sector, main apart"
  "--voice (0x40020000-0x400203E7) and --map (0x40020F00-0x400213E7) share the flash sector at 0x40020000, which the update erases whole"
  --out ${WORK}/refused.dat --main ${WORK}/main.bin@0x40010000 --voice ${WORK}/voice.bin@0x40020000
  --map ${WORK}/voice.bin@0x40020F00)
expect_placement_refused("voice before main"
  "--voice at 0x40010000 is not above --main at 0x40020000: the areas go in the order --main, --voice, --map"
  --out ${WORK}/refused.dat --main ${WORK}/main.bin@0x40020000 --voice ${WORK}/voice.bin@0x40010000)
expect_placement_refused("main below the area window"
  "--main at 0x4000F000 is below 0x40010000: the flash below it holds the boot loader and the control blocks"
  --out ${WORK}/refused.dat --main ${WORK}/main.bin@0x4000F000)
expect_placement_refused("voice inside a page"
  "--voice at 0x40020010 is not on a 256-byte page boundary: the device would write it from 0x40020000"
  --out ${WORK}/refused.dat --main ${WORK}/main.bin@0x40010000 --voice ${WORK}/voice.bin@0x40020010)
expect_placement_refused("map past the flash"
  "--map (0x407FFD00-0x408001E7) reaches past the end of the flash at 0x40800000 (the map has a 256-byte block in front of its data)"
  --out ${WORK}/refused.dat --main ${WORK}/main.bin@0x40010000 --map ${WORK}/voice.bin@0x407FFD00)
# What only the updater's own checks see: its message, named as such.
expect("no main program" 1 "would refuse this package.*必须升级主程序！\n$" --out ${WORK}/refused.dat
       --voice ${WORK}/voice.bin@0x40020000)
if(EXISTS ${WORK}/refused.dat)
  message(FATAL_ERROR "a package the updater would refuse was written")
endif()
