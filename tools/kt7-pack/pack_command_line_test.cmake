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
endfunction()

expect("help" 0 "--map-scramble N" --help)
expect("good package" 0 "" --out ${WORK}/KT7_Down.dat --main ${WORK}/main.bin@0x40010000
       --voice ${WORK}/voice.bin@0x40020000 --main-version M1 --voice-version V1 --time 2026-12-10 --seed 5)
file(SIZE ${WORK}/KT7_Down.dat size)
# key block + header + main (4096) + voice padded to 1024
if(NOT size EQUAL 6272)
  message(FATAL_ERROR "package size ${size}, expected 6272")
endif()
file(READ ${WORK}/KT7_Down.dat first HEX)
expect("same seed, same file" 0 "" --out ${WORK}/again.dat --main ${WORK}/main.bin@0x40010000
       --voice ${WORK}/voice.bin@0x40020000 --main-version M1 --voice-version V1 --time 2026-12-10 --seed 5)
file(READ ${WORK}/again.dat second HEX)
if(NOT first STREQUAL second)
  message(FATAL_ERROR "the same seed gave two different files")
endif()

expect("no --out" 2 "--out FILE is required" --main ${WORK}/main.bin@0x40010000)
expect("unknown option" 2 "unknown option '--mian'" --out ${WORK}/x.dat --mian ${WORK}/main.bin@0x40010000)
expect("missing value" 2 "--seed needs a value" --out ${WORK}/x.dat --seed)
expect("address missing" 2 "--main wants FILE@ADDR" --out ${WORK}/x.dat --main ${WORK}/main.bin)
expect("bad address" 2 "bad flash address '0x4001zz00'" --out ${WORK}/x.dat --main ${WORK}/main.bin@0x4001zz00)
expect("address over 32 bits" 2 "bad flash address" --out ${WORK}/x.dat --main ${WORK}/main.bin@0x140010000)
expect("unreadable area file" 2 "cannot read" --out ${WORK}/x.dat --main ${WORK}/none.bin@0x40010000)
execute_process(COMMAND mkfifo ${WORK}/fifo.bin RESULT_VARIABLE made)
if(NOT made EQUAL 0)
  message(FATAL_ERROR "cannot make a FIFO for the test")
endif()
expect("area file is a FIFO" 2 "^kt7-pack: --main: cannot read '[^\n]*fifo.bin'\n" --out ${WORK}/x.dat
       --main ${WORK}/fifo.bin@0x40010000)
expect("area file is a folder" 2 "^kt7-pack: --voice: cannot read '[^\n]*'\n" --out ${WORK}/x.dat
       --main ${WORK}/main.bin@0x40010000 --voice ${WORK}@0x40020000)
expect("long version" 2 "longer than 4 bytes" --out ${WORK}/x.dat --main ${WORK}/main.bin@0x40010000
       --main-version 12345)
expect("version without area" 2 "--map-version given without its area" --out ${WORK}/x.dat
       --main ${WORK}/main.bin@0x40010000 --map-version D1)
expect("long time" 2 "longer than 10 bytes" --out ${WORK}/x.dat --time 2026-12-10T08)
expect("bad number" 2 "--map-scramble: bad number '-1'" --out ${WORK}/x.dat --map-scramble -1)
expect("unwritable output" 1 "cannot create" --out ${WORK}/no/such/dir/x.dat --main ${WORK}/main.bin@0x40010000)
if(EXISTS ${WORK}/x.dat)
  message(FATAL_ERROR "a refused command line wrote a file")
endif()

# Packages the updater would refuse: a one-line message with the check's own
# text, exit code 1, and no file, not even over an existing one.
file(WRITE ${WORK}/kept.dat "an earlier package")
expect("voice in main's sector" 1 "would refuse this package.*读取文件地址错误！\n$" --out ${WORK}/kept.dat
       --main ${WORK}/main.bin@0x40010000 --voice ${WORK}/voice.bin@0x40010800 --seed 5)
file(READ ${WORK}/kept.dat kept)
if(NOT kept STREQUAL "an earlier package")
  message(FATAL_ERROR "a refused package replaced the existing file")
endif()
expect("voice before main" 1 "读取文件地址错误！" --out ${WORK}/refused.dat
       --main ${WORK}/main.bin@0x40020000 --voice ${WORK}/voice.bin@0x40010000)
expect("no main program" 1 "必须升级主程序！" --out ${WORK}/refused.dat --voice ${WORK}/voice.bin@0x40020000)
if(EXISTS ${WORK}/refused.dat)
  message(FATAL_ERROR "a package the updater would refuse was written")
endif()
